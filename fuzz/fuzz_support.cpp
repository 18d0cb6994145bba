#include "fuzz_support.h"

#include "channelfile/file_format.h"
#include "tables/bytes.h"
#include "tables/favourite_groups.h"
#include "tables/satellite_table.h"
#include "tables/transponder_table.h"

#include <zlib.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <random>

namespace tcn::fuzz {

void Require(bool ok, const char* what) {
    if (ok) return;
    std::fprintf(stderr, "fuzz check failed: %s\n", what);
    std::abort();
}

bool FixUpChecksums(Bytes& file) {
    if (file.size() < kHeaderSize) return false;
    const Bytes before = file;
    std::uint8_t* f = file.data();
    const std::size_t size = file.size();

    if (size >= kConfigOffset + kConfigBlockSize)
        PutLe32(f + kConfigOffset + 4, Crc32(f + kConfigOffset + kConfigPayloadOffset, kConfigPayloadSize));

    const std::size_t tsl = kConfigOffset + kConfigBlockSize + kHeaderSize;
    if (size >= tsl + kTransponderBlockHead) {
        const std::size_t tslEnd = tsl + kTransponderBlockHead + 12 * std::size_t{GetLe16(f + tsl + 10)};
        if (size >= tslEnd) {
            PutLe32(f + tsl + 4, Crc32(f + tsl + 8, tslEnd - tsl - 8));
            const std::size_t ser = tslEnd + kHeaderSize;
            if (size >= ser + kServiceBlockHead) {
                const std::size_t room = size - ser - kServiceBlockHead;
                if (GetLe32(f + ser + 8) > room) PutLe32(f + ser + 8, static_cast<std::uint32_t>(room));
                PutLe32(f + ser + 4, Crc32(f + ser + 8, 8 + std::size_t{GetLe32(f + ser + 8)}));
            }
        }
    }

    PutBe32(f + 16, static_cast<std::uint32_t>(size - kHeaderSize));
    PutBe32(f + 60, Crc32(f + kHeaderSize, size - kHeaderSize));
    return file != before;
}

std::unique_ptr<ChannelDatabase> GeneratedDatabase(std::uint32_t seed, std::size_t transponders,
                                                   std::size_t services) {
    std::mt19937 rng(seed);
    const auto byte = [&rng] { return static_cast<std::uint8_t>(rng()); };
    transponders = std::min(transponders, kTransponderCapacity);
    services = std::min(services, kServiceCapacity);

    auto owned = std::make_unique<ChannelDatabase>();
    ChannelDatabase& db = *owned;
    for (auto& b : db.config.bytes)
        b = byte();
    const std::size_t inUse = 1 + rng() % 6;
    for (std::size_t s = 0; s < kSatelliteCapacity; ++s) {
        SatelliteRecord sat = db.config.Satellite(s);
        sat.SetFlags(static_cast<std::uint8_t>((sat.Flags() & ~1u) | (s < inUse ? 1u : 0u)));
        db.config.SetSatellite(s, sat);
    }
    for (std::size_t t = 0; t < transponders; ++t) {
        for (auto& b : db.transponders[t].bytes)
            b = byte();
        // Mostly satellites in use, now and then a deleted record or a satellite beyond the count.
        const std::uint32_t pick = rng() % 16;
        const std::uint8_t sat = pick == 0   ? kDeletedTransponder
                                 : pick == 1 ? byte()
                                             : static_cast<std::uint8_t>(rng() % inUse);
        db.transponders[t].SetSatellite(sat);
    }
    db.transponderCount = static_cast<std::uint16_t>(transponders);
    for (std::size_t i = 0; i < services; ++i) {
        ServiceRecord& rec = db.services[i];
        for (auto& b : rec.bytes)
            b = byte();
        rec.SetNumber(static_cast<std::uint16_t>(rng() % 8 == 0 ? byte() : i));
        const std::uint16_t link = transponders == 0 || rng() % 16 == 0
                                       ? kNoTransponder
                                       : static_cast<std::uint16_t>(rng() % transponders);
        rec.SetTransponder(link);
    }
    db.serviceCount = static_cast<std::uint16_t>(services);
    for (std::size_t g = 0; g < kFavouriteGroupCount; ++g) {
        FavouriteGroupRecord group = db.config.Group(g);
        const std::uint16_t count = static_cast<std::uint16_t>(rng() % 12);
        for (std::size_t e = 0; e < kFavouriteCapacity; ++e) {
            const std::uint16_t number = services == 0 || rng() % 8 == 0
                                             ? static_cast<std::uint16_t>(rng())
                                             : static_cast<std::uint16_t>(rng() % services);
            group.SetEntry(e, e < count ? number : kNoFavourite);
        }
        group.SetCount(count);
        db.config.SetGroup(g, group);
    }
    SealConfigBlock(db.config);
    CountSatellites(db);
    return owned;
}

ChannelDatabase& Scratch(std::size_t which) {
    static const std::unique_ptr<ChannelDatabase> scratch[3] = {std::make_unique<ChannelDatabase>(),
                                                                std::make_unique<ChannelDatabase>(),
                                                                std::make_unique<ChannelDatabase>()};
    Require(which < 3, "scratch database index");
    return *scratch[which];
}

void AfterReload(const ChannelDatabase& db, ChannelDatabase& out) {
    out = db;
    CompactTransponderTable(out);
    ResolveFavourites(out);
    CountSatellites(out);
}

bool OnlyTheseFiles(const MemoryFileSystem& files, std::vector<std::string> expected) {
    std::sort(expected.begin(), expected.end());
    expected.erase(std::unique(expected.begin(), expected.end()), expected.end());
    return files.Names() == expected; // Names() comes sorted (a map)
}

bool NoTemporaryFiles(const MemoryFileSystem& files) {
    for (const std::string& name : files.Names())
        for (const char* temp : {"TdaT.tmp", "TdaT2.tmp", "ser.tmp", "comp_ser.tmp"})
            if (name == temp) return false;
    return true;
}

namespace {

// The size of the service table compressed at the level the writer uses.
std::size_t CompressedServiceSize(const ChannelDatabase& db) {
    const Bytes payload = ServicePayload(db);
    uLongf size = compressBound(static_cast<uLong>(payload.size()));
    Bytes out(size);
    Require(compress2(out.data(), &size, payload.data(), static_cast<uLong>(payload.size()),
                      kCompressionLevel) == Z_OK,
            "compress2");
    return size;
}

} // namespace

void SaveAndCheck(ChannelFileSession& session, MemoryFileSystem& files, bool compareWithImage) {
    const std::string newPath = session.Context().NewFilePath;
    const std::string sourcePath = session.Context().SourcePath;
    const Bytes source = files.Get(sourcePath);
    ChannelDatabase& expected = Scratch(1);
    expected = session.Database();

    CountingReporter reporter;
    const bool saved = session.Save(reporter);
    Require(reporter.boxes == 1, "a save shows exactly one box");
    Require(session.Database() == expected, "a save changed the tables");
    Require(!session.Context().SourceHandle, "the source file is released after a save that got that far");
    if (!saved) {
        Require(reporter.lastCaption == "Compression Error",
                "a save in memory failed other than in compression");
        Require(CompressedServiceSize(expected) > kMaxCompressedSize,
                "a save failed although the services fit");
        Require(NoTemporaryFiles(files), "a failed save left temporary files");
        return;
    }
    Require(reporter.lastCaption == "Success", "a successful save shows the Success box");
    Require(NoTemporaryFiles(files), "a save left temporary files");
    Require(files.Get(sourcePath) == source, "a save changed the chosen file");
    if (compareWithImage)
        Require(files.Get(newPath) == BuildChannelFileImage(expected),
                "the new file differs from the tables' image");

    // The new file is loaded by a session that lives for the whole run, over a file system of its own, so
    // that its databases are reused from input to input instead of being allocated afresh.
    static MemoryFileSystem* const checkFiles = new MemoryFileSystem();
    static ChannelFileSession* const check = new ChannelFileSession(*checkFiles);
    checkFiles->Put("/c/NEW.TCN", files.Get(newPath));
    CountingReporter quiet;
    Require(check->Open("/c/NEW.TCN", quiet).status == LoadStatus::Loaded, "the new file does not load");
    Require(quiet.boxes == 0, "loading the new file showed a box");
    SealConfigBlock(expected.config); // the file carries a fresh signature and CRC
    AfterReload(expected, Scratch(2));
    Require(check->Database() == Scratch(2), "the new file loads as other tables");
}

} // namespace tcn::fuzz
