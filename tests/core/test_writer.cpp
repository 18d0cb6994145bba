// Saving: the new file's exact bytes, its statuses and boxes, and every way a save can fail without
// reporting success or leaving temporary files behind.

#include "channelfile/channel_file_session.h"
#include "channelfile/file_format.h"
#include "channelfile/load_chain.h"
#include "testkit/memory_file_system.h"
#include "support/db_builders.h"
#include "support/file_builder.h"
#include "support/recording_reporter.h"

#include <gtest/gtest.h>

#include <random>

namespace tcn {
namespace {

using test::BuildFile;
using test::PartsFrom;
using test::RecordingReporter;
using test::SampleDatabase;
using Lines = std::vector<std::string>;

struct Opened {
    MemoryFileSystem files;
    std::unique_ptr<ChannelFileSession> session;
};

std::unique_ptr<Opened> OpenSample(const ChannelDatabase& db, const std::string& name = "/x/CH.TCN") {
    auto o = std::make_unique<Opened>();
    o->files.Put(name, BuildFile(PartsFrom(db)));
    o->session = std::make_unique<ChannelFileSession>(o->files);
    RecordingReporter reporter;
    EXPECT_EQ(o->session->Open(name, reporter).status, LoadStatus::Loaded);
    return o;
}

TEST(Writer, SavedFileHasExactlyTheExpectedBytes) {
    auto o = OpenSample(SampleDatabase(21, 40, 90));
    RecordingReporter reporter;
    ASSERT_TRUE(o->session->Save(reporter));
    EXPECT_EQ(reporter.lines, (Lines{"status: Saving....", "status: The New TARV Channel File Successfully Created.",
                                     "message: [Success] NEW_CH.TCN Created", "status: Idle"}));
    // Built independently from the live tables, the file must match byte for byte.
    const auto expected = BuildFile(PartsFrom(o->session->Database()));
    EXPECT_EQ(o->files.Get("/x/NEW_CH.TCN"), expected);
    EXPECT_EQ(BuildChannelFileImage(o->session->Database()), expected);
    // Only the source and the new file remain: no temporary files.
    EXPECT_EQ(o->files.Names(), (std::vector<std::string>{"/x/CH.TCN", "/x/NEW_CH.TCN"}));
}

TEST(Writer, SaveThenLoadGivesTheSameTables) {
    auto o = OpenSample(SampleDatabase(22, 100, 300));
    RecordingReporter reporter;
    ASSERT_TRUE(o->session->Save(reporter));
    ChannelFileSession again(o->files);
    ASSERT_EQ(again.Open("/x/NEW_CH.TCN", reporter).status, LoadStatus::Loaded);
    EXPECT_TRUE(again.Database() == o->session->Database());
}

TEST(Writer, SavingAnEditedTableSealsTheFileButLeavesTheTablesAsTheyWere) {
    // After an edit the CRC at the head of the live config buffer is stale: the saved file carries a
    // fresh one, the tables being edited do not change (an undo history follows them byte for byte).
    auto o = OpenSample(SampleDatabase(23, 30, 60));
    ChannelDatabase& live = o->session->Database();
    live.config.SetSatellite(0, test::MakeSatellite("Edited", 130));
    const auto before = std::make_unique<ChannelDatabase>(live);
    RecordingReporter reporter;
    ASSERT_TRUE(o->session->Save(reporter));
    EXPECT_TRUE(live == *before);
    ChannelFileSession again(o->files);
    ASSERT_EQ(again.Open("/x/NEW_CH.TCN", reporter).status, LoadStatus::Loaded);
    ConfigBuffer sealed = before->config;
    SealConfigBlock(sealed);
    EXPECT_TRUE(again.Database().config == sealed);
}

TEST(Writer, EmptyTablesGiveTheSmallestFile) {
    auto o = OpenSample(ChannelDatabase());
    RecordingReporter reporter;
    ASSERT_TRUE(o->session->Save(reporter));
    const auto file = o->files.Get("/x/NEW_CH.TCN");
    ASSERT_EQ(file.size(), 8184u);
    EXPECT_EQ(GetBe32(file.data() + 16), 8120u);
    EXPECT_EQ(GetBe32(file.data() + 8020 + 16), 12u);
    EXPECT_EQ(GetBe32(file.data() + 8096 + 16), 12u);
    EXPECT_EQ(GetLe32(file.data() + 8160 + 8), 8u); // the zlib stream of no bytes
}

TEST(Writer, BlockHeadersCarryUncompressedLengthsAndTemplateCrc) {
    auto o = OpenSample(SampleDatabase(23, 7, 11));
    RecordingReporter reporter;
    ASSERT_TRUE(o->session->Save(reporter));
    const auto file = o->files.Get("/x/NEW_CH.TCN");
    const std::size_t tsl = 8020, ser = 8096 + 12 * 7;
    EXPECT_EQ(GetBe32(file.data() + tsl + 16), 12u + 12 * 7);
    EXPECT_EQ(GetBe32(file.data() + ser + 16), 12u + 138 * 11);
    for (std::size_t h : {tsl, ser}) {
        EXPECT_EQ(GetBe32(file.data() + h + 60), 0x11223344u);
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(file.data() + h), 14), "TARVA_V_TR_ALL");
    }
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(file.data() + tsl + 32)), "TSL");
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(file.data() + ser + 32)), "SER");
}

TEST(Writer, SavingTwiceGivesIdenticalFilesAndReleasesTheSource) {
    auto o = OpenSample(SampleDatabase(24));
    RecordingReporter reporter;
    ASSERT_TRUE(o->session->Save(reporter));
    const auto first = o->files.Get("/x/NEW_CH.TCN");
    EXPECT_FALSE(o->session->Context().SourceHandle);
    EXPECT_NE(o->files.OpenExclusive("/x/CH.TCN"), nullptr);
    ASSERT_TRUE(o->session->Save(reporter));
    EXPECT_EQ(o->files.Get("/x/NEW_CH.TCN"), first);
}

TEST(Writer, FileAlreadyNamedNewGetsASecondPrefix) {
    auto o = OpenSample(SampleDatabase(25), "/x/NEW_CH.TCN");
    RecordingReporter reporter;
    ASSERT_TRUE(o->session->Save(reporter));
    EXPECT_TRUE(o->files.Exists("/x/NEW_NEW_CH.TCN"));
}

TEST(Writer, NothingLoadedFailsWithLevel9) {
    MemoryFileSystem files;
    ChannelFileSession session(files);
    RecordingReporter reporter;
    EXPECT_FALSE(session.Save(reporter));
    EXPECT_EQ(reporter.lines, (Lines{"status: Saving....", "status: Error creating new file.",
                                     "message: [Error] Level[9] : Couldn't create New TCN File.", "status: Idle"}));
    EXPECT_TRUE(files.Names().empty());
}

TEST(Writer, ReadOnlyNewFileIsLeftAloneWithLevel8) {
    auto o = OpenSample(SampleDatabase(26));
    o->files.Put("/x/NEW_CH.TCN", {1, 2, 3}, /*readOnly=*/true);
    RecordingReporter reporter;
    EXPECT_FALSE(o->session->Save(reporter));
    EXPECT_EQ(reporter.lines, (Lines{"status: Saving....", "status: Error creating new file.",
                                     "message: [Error] Level[8] : Couldn't create New TCN File.", "status: Idle"}));
    EXPECT_EQ(o->files.Get("/x/NEW_CH.TCN"), (std::vector<std::uint8_t>{1, 2, 3}));
    EXPECT_TRUE(o->session->Context().SourceHandle) << "the source stays held after Level[8]";
}

TEST(Writer, ServicesThatDoNotCompressIntoTheBlockFailWithLevel10) {
    auto o = OpenSample(SampleDatabase(28, 30, 10));
    ChannelDatabase& db = o->session->Database();
    // 5000 records of random bytes: their zlib stream is longer than the 690000 bytes the block may hold.
    std::mt19937 rng(28);
    db.serviceCount = static_cast<std::uint16_t>(kServiceCapacity);
    for (ServiceRecord& rec : db.services)
        test::FillRandom(rec, rng);
    RecordingReporter reporter;
    EXPECT_FALSE(o->session->Save(reporter));
    EXPECT_EQ(reporter.lines,
              (Lines{"status: Saving....", "status: Error Compressing the DataBase!",
                     "message: [Compression Error] Level[10] : Error[8] : Couldn't Compress the dat file!",
                     "status: Idle"}));
    EXPECT_FALSE(o->session->Context().SourceHandle) << "the source is released, as after a success";

    // The incomplete new file (placeholder header, no service block) is removed with the temporary files.
    EXPECT_EQ(o->files.Names(), (std::vector<std::string>{"/x/CH.TCN"}));

    // A table that compresses again saves again.
    db.serviceCount = 4000;
    std::fill(db.services.begin() + 4000, db.services.end(), EmptyServiceSlot());
    for (std::size_t i = 0; i < 4000; ++i)
        db.services[i].bytes.fill(static_cast<std::uint8_t>(i));
    EXPECT_TRUE(o->session->Save(reporter));
}

// A file system whose files refuse writes once a byte budget is spent, like a disk that fills up.
class FullDisk : public MemoryFileSystem {
  public:
    std::unique_ptr<File> Create(const std::string& path) override {
        auto inner = MemoryFileSystem::Create(path);
        if (!inner) return nullptr;
        return std::make_unique<Limited>(std::move(inner), budget);
    }
    std::size_t budget = SIZE_MAX;

  private:
    class Limited : public File {
      public:
        Limited(std::unique_ptr<File> inner, std::size_t& budget) : m_inner(std::move(inner)), m_budget(budget) {}
        std::size_t Read(void* b, std::size_t n) override { return m_inner->Read(b, n); }
        void Write(const void* b, std::size_t n) override {
            if (n > m_budget) throw IoError("no space left");
            m_budget -= n;
            m_inner->Write(b, n);
        }
        std::int64_t Seek(std::int64_t o, SeekOrigin w) override { return m_inner->Seek(o, w); }
        std::int64_t Size() override { return m_inner->Size(); }
        std::optional<FileId> Id() const override { return m_inner->Id(); }

      private:
        std::unique_ptr<File> m_inner;
        std::size_t& m_budget;
    };
};

TEST(Writer, FullDiskIsReportedAsFailureAndLeavesNothingBehind) {
    const auto source = BuildFile(PartsFrom(SampleDatabase(27, 50, 200)));
    for (std::size_t budget : {std::size_t{0}, std::size_t{100}, std::size_t{9000}, std::size_t{40000}}) {
        FullDisk files;
        files.Put("/x/CH.TCN", source);
        ChannelFileSession session(files);
        RecordingReporter reporter;
        ASSERT_EQ(session.Open("/x/CH.TCN", reporter).status, LoadStatus::Loaded);
        files.budget = budget;
        reporter.lines.clear();
        EXPECT_FALSE(session.Save(reporter)) << budget;
        EXPECT_EQ(reporter.lines[reporter.lines.size() - 2], "message: [File Error] Problem writing to file.");
        for (const auto& line : reporter.lines) EXPECT_EQ(line.find("Success"), std::string::npos);
        EXPECT_EQ(files.Names(), std::vector<std::string>{"/x/CH.TCN"}) << budget;
    }
}

} // namespace
} // namespace tcn
