// Opening channel files: every check of the load chain, its statuses and boxes in order, the refusal
// of damaged and oversized files, and what a failed open leaves alone.

#include "channelfile/channel_file_session.h"
#include "channelfile/load_chain.h"
#include "testkit/memory_file_system.h"
#include "support/file_builder.h"
#include "support/recording_reporter.h"
#include "tables/favourite_groups.h"

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <utility>

namespace tcn {
namespace {

using test::BuildFile;
using test::FileParts;
using test::PartsFrom;
using test::RecordingReporter;
using test::SampleDatabase;
using Lines = std::vector<std::string>;

const Lines kAllChecksPass = {
    "status: Config Signature : OK",  "status: Config CRC : OK",      "status: TP Signature : OK",
    "status: TP DataBase : OK",       "status: TP DataBase CRC : OK", "status: Service Signature : OK",
    "status: Service DataBase : OK",  "status: Service DataBase CRC : OK",
};

Lines Prefix(std::size_t n) {
    return Lines(kAllChecksPass.begin(), kAllChecksPass.begin() + static_cast<std::ptrdiff_t>(n));
}
Lines Plus(Lines lines, const Lines& more) {
    lines.insert(lines.end(), more.begin(), more.end());
    return lines;
}

struct OpenOutcome {
    LoadResult result;
    Lines lines;
};

OpenOutcome OpenBytes(const std::vector<std::uint8_t>& bytes, const std::string& name = "/media/usb/CH.TCN") {
    MemoryFileSystem files;
    files.Put(name, bytes);
    ChannelFileSession session(files);
    RecordingReporter reporter;
    const LoadResult result = session.Open(name, reporter);
    EXPECT_FALSE(files.Exists("TdaT.tmp"));
    EXPECT_FALSE(files.Exists("TdaT2.tmp"));
    return {result, reporter.lines};
}

void ExpectRefused(const OpenOutcome& outcome, int code, const Lines& lines) {
    EXPECT_EQ(outcome.result.status, LoadStatus::Refused);
    EXPECT_EQ(outcome.result.code, code);
    EXPECT_EQ(outcome.lines, lines);
}

TEST(LoadChain, ValidFileFillsTablesWithExactlyItsBytes) {
    const ChannelDatabase source = SampleDatabase(1, 25, 70);
    MemoryFileSystem files;
    MemoryStream file(BuildFile(PartsFrom(source)));
    RecordingReporter reporter;
    ChannelDatabase db;
    ASSERT_EQ(ReadChannelFile(file, files, reporter, {}, db), kLoadedOk);
    EXPECT_EQ(reporter.lines, kAllChecksPass);
    // The config buffer comes back whole, signature and CRC included.
    ChannelDatabase sealed = source;
    std::vector<std::uint8_t> bytes = BuildFile(PartsFrom(source));
    std::memcpy(sealed.config.bytes.data(), bytes.data() + 64, 7956);
    EXPECT_EQ(db.config, sealed.config);
    EXPECT_EQ(db.transponderCount, 25);
    EXPECT_EQ(db.serviceCount, 70);
    for (std::size_t i = 0; i < 25; ++i) EXPECT_EQ(db.transponders[i], source.transponders[i]);
    for (std::size_t i = 0; i < 70; ++i) EXPECT_EQ(db.services[i], source.services[i]);
    EXPECT_EQ(db.services[70], EmptyServiceSlot());
    EXPECT_TRUE(files.Names().empty()) << "temporary files remain";
}

TEST(LoadChain, EmptyTablesLoad) {
    ChannelDatabase empty;
    const OpenOutcome outcome = OpenBytes(BuildFile(PartsFrom(empty)));
    EXPECT_EQ(outcome.result.status, LoadStatus::Loaded);
    EXPECT_EQ(outcome.lines, kAllChecksPass);
}

TEST(LoadChain, ExtensionIsCheckedCaseInsensitively) {
    const auto bytes = BuildFile(PartsFrom(SampleDatabase(2)));
    EXPECT_EQ(OpenBytes(bytes, "/a/b.tcn").result.status, LoadStatus::Loaded);
    EXPECT_EQ(OpenBytes(bytes, "/a/b.TcN").result.status, LoadStatus::Loaded);
    for (const char* name : {"/a/b.TCX", "/a/b", "/a.TCN/b", "/a/b.TCN.bak"})
        ExpectRefused(OpenBytes(bytes, name), 0, {"message: [File Error] Error[0] : Wrong File Format."});
}

TEST(LoadChain, MissingOrReadOnlyFileCannotBeOpened) {
    MemoryFileSystem files;
    files.Put("/ro/CH.TCN", BuildFile(PartsFrom(SampleDatabase(3))), /*readOnly=*/true);
    ChannelFileSession session(files);
    for (const char* name : {"/ro/CH.TCN", "/nowhere/CH.TCN"}) {
        RecordingReporter reporter;
        const LoadResult result = session.Open(name, reporter);
        EXPECT_EQ(result.code, 1);
        EXPECT_EQ(reporter.lines, Lines{"message: [File Error] Error[1] : Couldn't open TARV channel file.\n"});
    }
}

TEST(LoadChain, HeaderTypeAndKindChecks) {
    const auto valid = BuildFile(PartsFrom(SampleDatabase(4)));
    const Lines notTarv = {"message: [File Error] Error[2] : Wrong file format, Not a TARV File!"};
    const Lines notChannel = {"message: [File Error] Error[3] : Wrong file format, Not a channel File!"};

    auto fifth = valid;
    fifth[4] = 'X'; // only four bytes are compared
    EXPECT_EQ(OpenBytes(fifth).result.status, LoadStatus::Loaded);

    auto fourth = valid;
    fourth[3] = 'X';
    ExpectRefused(OpenBytes(fourth), 2, notTarv);

    auto tsl = valid;
    std::memcpy(tsl.data() + 32, "TSL", 3);
    ExpectRefused(OpenBytes(tsl), 3, notChannel);

    auto unterminated = valid;
    unterminated[35] = 'X';
    ExpectRefused(OpenBytes(unterminated), 3, notChannel);

    // Shorter than a header, or nothing at all.
    ExpectRefused(OpenBytes(std::vector<std::uint8_t>(valid.begin(), valid.begin() + 63)), 2, notTarv);
    ExpectRefused(OpenBytes({}), 2, notTarv);
}

TEST(LoadChain, WholeFileCrcCoversEverythingAfterTheHeader) {
    const auto valid = BuildFile(PartsFrom(SampleDatabase(5)));
    const Lines crc = {"message: [CRC Error] Error[4] : Wrong CRC, The file is corrupted!"};
    for (std::size_t offset : {std::size_t{64}, std::size_t{8020 + 20}, std::size_t{9000}, valid.size() - 1}) {
        auto damaged = valid;
        damaged[offset] ^= 0x01;
        ExpectRefused(OpenBytes(damaged), 4, crc);
    }
    auto appended = valid;
    appended.push_back(0);
    ExpectRefused(OpenBytes(appended), 4, crc);

    // Header bytes outside the type, the kind and the CRC are never examined.
    auto length = valid;
    length[16] ^= 0xFF;
    length[40] ^= 0xFF;
    EXPECT_EQ(OpenBytes(length).result.status, LoadStatus::Loaded);
}

TEST(LoadChain, ConfigBlockSignatureAndCrc) {
    FileParts parts = PartsFrom(SampleDatabase(6));
    const Lines box = {"message: [Config Error] Error[5] : Wrong Config file, The file is corrupted!"};

    FileParts badSignature = parts;
    badSignature.sealConfig = false;
    std::memcpy(badSignature.config.data(), "-CFX", 4);
    ExpectRefused(OpenBytes(BuildFile(badSignature)), 5, Plus({"status: Wrong Config Signature"}, box));

    FileParts badCrc = parts;
    badCrc.sealConfig = false;
    std::memcpy(badCrc.config.data(), "-CFG", 4);
    badCrc.config[4] ^= 1;
    ExpectRefused(OpenBytes(BuildFile(badCrc)), 5,
                  Plus({"status: Config Signature : OK", "status: Wrong Config CRC"}, box));
}

TEST(LoadChain, TransponderBlockChecks) {
    const FileParts parts = PartsFrom(SampleDatabase(7));
    const Lines box = {"message: [Tp Error] Error[6] : Wrong transponder list, The file is corrupted!"};

    FileParts signature = parts;
    signature.tslSignature = "-TSX";
    ExpectRefused(OpenBytes(BuildFile(signature)), 6, Plus(Prefix(2), Plus({"status: Wrong TP Signature"}, box)));

    FileParts version = parts;
    version.tslVersion = 0x0201;
    ExpectRefused(OpenBytes(BuildFile(version)), 6,
                  Plus(Prefix(3), Plus({"status: Wrong TP DataBase Version"}, box)));

    FileParts crc = parts;
    crc.tslCrc = 0x12345678;
    ExpectRefused(OpenBytes(BuildFile(crc)), 6, Plus(Prefix(4), Plus({"status: Wrong TP DataBase CRC"}, box)));

    // A count the table cannot hold, with a consistent CRC over all its records.
    FileParts tooMany = PartsFrom(ChannelDatabase());
    tooMany.transponders.assign(12 * 3501, 0x01);
    ExpectRefused(OpenBytes(BuildFile(tooMany)), 6, Plus(Prefix(4), Plus({"status: Wrong TP DataBase CRC"}, box)));
}

TEST(LoadChain, ServiceBlockChecks) {
    const FileParts parts = PartsFrom(SampleDatabase(8));
    const Lines box = {"message: [List Error] Error[7] : Wrong service List, The file is corrupted!"};

    FileParts signature = parts;
    signature.serSignature = "-SEX";
    ExpectRefused(OpenBytes(BuildFile(signature)), 7,
                  Plus(Prefix(5), Plus({"status: Wrong Service Signature"}, box)));

    FileParts version = parts;
    version.serVersion = 0x0301;
    ExpectRefused(OpenBytes(BuildFile(version)), 7,
                  Plus(Prefix(6), Plus({"status: Wrong Service DataBase Version"}, box)));

    FileParts crc = parts;
    crc.serCrc = 0;
    ExpectRefused(OpenBytes(BuildFile(crc)), 7,
                  Plus(Prefix(7), Plus({"status: Wrong Service DataBase CRC"}, box)));

    FileParts notZlib = parts;
    notZlib.compressed = std::vector<std::uint8_t>{'n', 'o', 't', ' ', 'z', 'l', 'i', 'b'};
    ExpectRefused(OpenBytes(BuildFile(notZlib)), 7,
                  Plus(Prefix(8), Plus({"message: [Decompression Error] Error[8] : Couldn't decompress the dat file!"},
                                       box)));
}

TEST(LoadChain, ServicePayloadMustHoldEveryCountedRecord) {
    const ChannelDatabase db = SampleDatabase(9, 10, 30);
    const Lines box = {"message: [List Error] Error[7] : Wrong service List, The file is corrupted!"};

    FileParts shortPayload = PartsFrom(db);
    shortPayload.serCount = 31; // one record more than the payload holds
    ExpectRefused(OpenBytes(BuildFile(shortPayload)), 7, Plus(Prefix(8), box));

    FileParts longPayload = PartsFrom(db);
    longPayload.serCount = 29; // the extra record is ignored
    MemoryFileSystem files;
    files.Put("/x/A.TCN", BuildFile(longPayload));
    ChannelFileSession session(files);
    RecordingReporter reporter;
    ASSERT_EQ(session.Open("/x/A.TCN", reporter).status, LoadStatus::Loaded);
    EXPECT_EQ(session.Database().serviceCount, 29);
}

// Remembers how large each file was when it was removed.
class RemovalSizes : public MemoryFileSystem {
  public:
    bool Remove(const std::string& path) override {
        if (Exists(path)) sizes[path] = Get(path).size();
        return MemoryFileSystem::Remove(path);
    }
    std::map<std::string, std::size_t> sizes;
};

TEST(LoadChain, PayloadInflatingFarBeyondItsCountNeverFillsTheDisk) {
    // Two records followed by 8 MiB of zeros: a small zlib stream that inflates over several chunks.
    const ChannelDatabase db = SampleDatabase(11, 5, 2);
    FileParts parts = PartsFrom(db);
    std::vector<std::uint8_t> payload = parts.services;
    payload.resize(payload.size() + (8u << 20), 0);
    parts.compressed = test::ZlibCompress(payload);
    RemovalSizes files;
    files.Put("/x/BIG.TCN", BuildFile(parts));
    ChannelFileSession session(files);
    RecordingReporter reporter;
    ASSERT_EQ(session.Open("/x/BIG.TCN", reporter).status, LoadStatus::Loaded);
    EXPECT_EQ(session.Database().serviceCount, 2);
    EXPECT_EQ(files.sizes.at("TdaT2.tmp"), 2 * sizeof(ServiceRecord)) << "only what the table holds is kept";
    EXPECT_FALSE(files.Exists("TdaT2.tmp"));
}

TEST(LoadChain, OversizedServiceCountsAreRefusedBeforeReading) {
    const Lines box = {"message: [List Error] Error[7] : Wrong service List, The file is corrupted!"};
    FileParts tooMany = PartsFrom(ChannelDatabase());
    tooMany.serCount = 5001;
    ExpectRefused(OpenBytes(BuildFile(tooMany)), 7, Plus(Prefix(7), Plus({"status: Wrong Service DataBase CRC"}, box)));

    FileParts tooBig = PartsFrom(ChannelDatabase());
    tooBig.compressed = std::vector<std::uint8_t>(690001, 0);
    ExpectRefused(OpenBytes(BuildFile(tooBig)), 7, Plus(Prefix(7), Plus({"status: Wrong Service DataBase CRC"}, box)));
}

TEST(LoadChain, FilesCutShortWithAConsistentCrcAreRefused) {
    const auto valid = BuildFile(PartsFrom(SampleDatabase(10, 30, 40)));
    // Cut inside the config block, inside the transponder block's head and records, inside the service
    // block's head (before its signature, version and count are complete) and inside the compressed payload.
    const std::size_t services = 8096 + 360 + 64;
    const struct {
        std::size_t length;
        int code;
    } cuts[] = {{64, 5}, {66, 5}, {3000, 5}, {8084 + 2, 6}, {8084 + 6, 6}, {8084 + 11, 6}, {8084 + 112, 6},
                {services + 2, 7}, {services + 10, 7}, {services + 14, 7}, {valid.size() - 1, 7}};
    for (const auto& cut : cuts) {
        auto file = std::vector<std::uint8_t>(valid.begin(), valid.begin() + static_cast<std::ptrdiff_t>(cut.length));
        test::FixFileCrc(file);
        const OpenOutcome outcome = OpenBytes(file);
        EXPECT_EQ(outcome.result.status, LoadStatus::Refused) << cut.length;
        EXPECT_EQ(outcome.result.code, cut.code) << cut.length;
    }
}

TEST(LoadChain, PostLoadOperationsRunInOrder) {
    ChannelDatabase db = SampleDatabase(11, 4, 6);
    // Transponder 1 is marked deleted; services on it lose their link, later links move down.
    db.transponders[1].SetU8(TransponderRecord::kSatellite, 0xFF);
    for (std::uint16_t i = 0; i < 6; ++i) {
        db.services[i].SetU16(ServiceRecord::kTransponder, static_cast<std::uint16_t>(i % 4));
        db.services[i].SetU16(ServiceRecord::kNumber, static_cast<std::uint16_t>(100 + i));
    }
    FavouriteGroupRecord group = db.config.Group(0);
    group.SetU16(FavouriteGroupRecord::kCount, 3);
    group.SetEntry(0, 105);
    group.SetEntry(1, 999); // names no service: dropped
    group.SetEntry(2, 101);
    db.config.SetGroup(0, group);
    FavouriteGroupRecord full = db.config.Group(1);
    full.SetU16(FavouriteGroupRecord::kCount, 450); // more than a group holds: read as 200
    for (std::size_t i = 0; i < 200; ++i) full.SetEntry(i, 100);
    db.config.SetGroup(1, full);

    MemoryFileSystem files;
    files.Put("/x/A.TCN", BuildFile(PartsFrom(db)));
    ChannelFileSession session(files);
    RecordingReporter reporter;
    ASSERT_EQ(session.Open("/x/A.TCN", reporter).status, LoadStatus::Loaded);
    const ChannelDatabase& live = session.Database();
    EXPECT_EQ(live.transponderCount, 3);
    const std::uint16_t links[] = {0, 0xFFFF, 1, 2, 0, 0xFFFF};
    for (std::size_t i = 0; i < 6; ++i) {
        EXPECT_EQ(live.services[i].Transponder(), links[i]);
        EXPECT_EQ(live.services[i].Number(), i);
    }
    EXPECT_EQ(live.config.Group(0).Count(), 2);
    EXPECT_EQ(live.config.Group(0).Entry(0), 5);
    EXPECT_EQ(live.config.Group(0).Entry(1), 1);
    EXPECT_EQ(live.config.Group(0).Entry(2), 0xFFFF);
    EXPECT_EQ(live.config.Group(1).Count(), 200);
    EXPECT_EQ(live.satelliteCount, 4);
    EXPECT_EQ(reporter.lines.back(), "status: Service DataBase CRC : OK");
}

TEST(LoadChain, FailedOpenLeavesTheFileBeingEditedAlone) {
    MemoryFileSystem files;
    const ChannelDatabase good = SampleDatabase(12);
    files.Put("/x/GOOD.TCN", BuildFile(PartsFrom(good)));
    auto damaged = BuildFile(PartsFrom(SampleDatabase(13)));
    damaged[9000] ^= 1;
    files.Put("/y/BAD.TCN", damaged);
    files.Put("/y/BAD.TXT", damaged);

    ChannelFileSession session(files);
    RecordingReporter reporter;
    ASSERT_EQ(session.Open("/x/GOOD.TCN", reporter).status, LoadStatus::Loaded);
    const ChannelDatabase before = session.Database();

    for (const char* name : {"/y/BAD.TCN", "/y/BAD.TXT", "/y/MISSING.TCN"}) {
        EXPECT_EQ(session.Open(name, reporter).status, LoadStatus::Refused);
        EXPECT_TRUE(session.Database() == before);
        EXPECT_EQ(session.Context().SourcePath, "/x/GOOD.TCN");
        EXPECT_EQ(session.Context().NewFilePath, "/x/NEW_GOOD.TCN");
        EXPECT_EQ(session.Context().LastFolder, "/y/");
        ASSERT_TRUE(session.Context().SourceHandle);
        EXPECT_EQ(files.OpenExclusive("/x/GOOD.TCN"), nullptr) << "the hold was lost";
    }
    // A save now writes the file being edited, not a mixture.
    RecordingReporter saveReporter;
    ASSERT_TRUE(session.Save(saveReporter));
    EXPECT_TRUE(files.Exists("/x/NEW_GOOD.TCN"));
    EXPECT_FALSE(files.Exists("/y/NEW_BAD.TCN"));
}

TEST(LoadChain, ReopeningTheHeldFileWorks) {
    MemoryFileSystem files;
    files.Put("/x/A.TCN", BuildFile(PartsFrom(SampleDatabase(14))));
    files.Put("/x/B.TCN", BuildFile(PartsFrom(SampleDatabase(15))));
    ChannelFileSession session(files);
    RecordingReporter reporter;
    ASSERT_EQ(session.Open("/x/A.TCN", reporter).status, LoadStatus::Loaded);
    ASSERT_EQ(session.Open("/x/A.TCN", reporter).status, LoadStatus::Loaded);
    ASSERT_EQ(session.Open("/x/B.TCN", reporter).status, LoadStatus::Loaded);
    // The earlier hold ended once the new file loaded.
    EXPECT_NE(files.OpenExclusive("/x/A.TCN"), nullptr);
    EXPECT_EQ(files.OpenExclusive("/x/B.TCN"), nullptr);
}

TEST(LoadChain, EverySlotBeyondWhatWasReadIsEmptyWhateverTheTableHeldBefore) {
    const ChannelDatabase source = SampleDatabase(16, 10, 20);
    const auto checkLoad = [](const FileParts& parts, int expected, std::size_t bytesRead) {
        // A table full of other services, as a database used before holds them.
        auto db = std::make_unique<ChannelDatabase>(SampleDatabase(17, 10, kServiceCapacity));
        MemoryFileSystem files;
        MemoryStream file(BuildFile(parts));
        RecordingReporter reporter;
        EXPECT_EQ(ReadChannelFile(file, files, reporter, {}, *db), expected);
        // What a cleared table holds once the bytes read have been copied over its start.
        auto want = std::make_unique<ChannelDatabase>();
        std::memcpy(want->services.data(), parts.services.data(), bytesRead);
        for (std::size_t i = 0; i < kServiceCapacity; ++i)
            ASSERT_EQ(db->services[i], want->services[i]) << i;
    };
    checkLoad(PartsFrom(source), kLoadedOk, 20 * sizeof(ServiceRecord));

    // A payload that ends inside record 20 of 21: the part read stays, the rest reads as an empty slot.
    FileParts cut = PartsFrom(source);
    cut.services.resize(cut.services.size() + 69, 0xAB);
    cut.serCount = 21;
    checkLoad(cut, kBadServices, cut.services.size());
}

TEST(LoadChain, FilesBeyondTheSizeReadWholeAreCheckedPieceByPiece) {
    const ChannelDatabase source = SampleDatabase(18, 12, 30);
    FileParts parts = PartsFrom(source);
    parts.trailing.assign(5u << 20, 0x5A); // bytes after the service block, covered by a correct CRC
    std::vector<std::uint8_t> large = BuildFile(parts);
    const OpenOutcome small = OpenBytes(BuildFile(PartsFrom(source)));
    ASSERT_EQ(small.result.status, LoadStatus::Loaded);

    MemoryFileSystem files;
    files.Put("/x/A.TCN", large);
    ChannelFileSession session(files);
    RecordingReporter reporter;
    ASSERT_EQ(session.Open("/x/A.TCN", reporter).status, LoadStatus::Loaded);
    EXPECT_EQ(reporter.lines, kAllChecksPass);
    MemoryFileSystem smallFiles;
    smallFiles.Put("/x/A.TCN", BuildFile(PartsFrom(source)));
    ChannelFileSession smallSession(smallFiles);
    ASSERT_EQ(smallSession.Open("/x/A.TCN", reporter).status, LoadStatus::Loaded);
    EXPECT_TRUE(session.Database() == smallSession.Database());

    large[large.size() - 1000] ^= 1;
    ExpectRefused(OpenBytes(large), 4, {"message: [CRC Error] Error[4] : Wrong CRC, The file is corrupted!"});
}

TEST(LoadChain, BeforeTheFirstOpenTheTablesAreEmptyAndAFailedOpenKeepsThemSo) {
    MemoryFileSystem files;
    files.Put("/x/BAD.TCN", {1, 2, 3});
    ChannelFileSession session(files);
    const auto empty = std::make_unique<ChannelDatabase>();
    EXPECT_TRUE(session.Database() == *empty);
    RecordingReporter reporter;
    EXPECT_EQ(session.Open("/x/BAD.TCN", reporter).status, LoadStatus::Refused);
    EXPECT_TRUE(std::as_const(session).Database() == *empty);
}

TEST(FileContext, PathsDerivedFromTheChosenFile) {
    const ChosenPath p = DerivePaths("/media/usb/Sat List.TCN");
    EXPECT_EQ(p.folder, "/media/usb/");
    EXPECT_EQ(p.extension, ".TCN");
    EXPECT_EQ(p.newFilePath, "/media/usb/NEW_Sat List.TCN");
    EXPECT_EQ(DerivePaths("/a.b/NEW_x").extension, "");
    EXPECT_EQ(DerivePaths("/a.b/NEW_x").newFilePath, "/a.b/NEW_NEW_x");
    EXPECT_EQ(DerivePaths("plain.tcn").newFilePath, "NEW_plain.tcn");
    EXPECT_EQ(HelpFilePathFor("/home/user/"), "/home/user/Rivavad Irizov.chm");
    EXPECT_EQ(HelpFilePathFor("/"), "/Rivavad Irizov.chm");
    EXPECT_EQ(HelpFilePathFor("/" + std::string(300, 'a')), "");
}

} // namespace
} // namespace tcn
