// Opening and saving a channel file filled to capacity, each beside its floor: the bare zlib work the same
// bytes need (inflate or deflate at level 9, and the CRC-32 over the file body). The ratio of a flow to
// its floor is what the load chain and the writer add on top of zlib.

#include "channelfile/channel_file_session.h"
#include "channelfile/file_format.h"
#include "compare/channel_comparison.h"
#include "demo_database.h"
#include "tables/favourite_groups.h"
#include "tables/service_table.h"
#include "platform/file_system.h"

#include <benchmark/benchmark.h>
#include <zlib.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace {

// Swallows every report.
class DiscardingReporter : public tcn::Reporter {
  public:
    void ShowStatus(std::string_view) override {}
    void ShowMessageBox(std::string_view, std::string_view) override {}
};

// The full demo written to a file in a fresh temporary folder, which is also the working directory for
// the whole run (the flows put their temporary files there). Removed when the program ends.
struct FullDemoFile {
    std::filesystem::path previousDir;
    std::filesystem::path dir;
    std::string path;
    std::string rescanPath; // the same tables after a rescan: services reordered, frequencies shifted, renames
    std::vector<std::uint8_t> image;
    std::vector<std::uint8_t> servicePayload; // the 690000 bytes the writer compresses
    std::size_t compressedOffset = 0;         // where the compressed service payload starts in the image

    FullDemoFile() {
        const auto db = std::make_unique<tcn::ChannelDatabase>(tcn::BuildDemoDatabase(true));
        image = tcn::BuildChannelFileImage(*db);
        servicePayload = tcn::ServicePayload(*db);
        compressedOffset = 8176 + 12 * std::size_t{db->transponderCount};

        std::string pattern = (std::filesystem::temp_directory_path() / "tcn-bench-XXXXXX").string();
        if (!mkdtemp(pattern.data())) std::abort();
        dir = pattern;
        previousDir = std::filesystem::current_path();
        std::filesystem::current_path(dir);
        path = (dir / "full.TCN").string();
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(image.data()), static_cast<std::streamsize>(image.size()));

        std::mt19937 rng(5);
        for (int i = 0; i < 2000; ++i)
            tcn::MoveService(*db, rng() % db->serviceCount, rng() % db->serviceCount);
        for (std::size_t t = 0; t < db->transponderCount; t += 7)
            db->transponders[t].SetFrequency(db->transponders[t].Frequency() + 1000);
        for (std::size_t i = 0; i < db->serviceCount; i += 13)
            db->services[i].SetText(tcn::ServiceRecord::kName, tcn::ServiceRecord::kNameArea, 30, "Renamed");
        tcn::ResolveFavourites(*db);
        const std::vector<std::uint8_t> rescan = tcn::BuildChannelFileImage(*db);
        rescanPath = (dir / "rescan.TCN").string();
        std::ofstream(rescanPath, std::ios::binary)
            .write(reinterpret_cast<const char*>(rescan.data()), static_cast<std::streamsize>(rescan.size()));
    }
    ~FullDemoFile() {
        std::error_code ec;
        std::filesystem::current_path(previousDir, ec);
        std::filesystem::remove_all(dir, ec);
    }
};

FullDemoFile& Demo() {
    static FullDemoFile demo;
    return demo;
}

// The open flow: load chain (header, CRCs, inflate through the temporary files) and post-load operations.
void BM_Open(benchmark::State& state) {
    FullDemoFile& demo = Demo();
    tcn::PosixFileSystem files;
    DiscardingReporter reporter;
    std::unique_ptr<tcn::ChannelFileSession> session;
    for (auto _ : state) {
        state.PauseTiming();
        session.reset();
        session = std::make_unique<tcn::ChannelFileSession>(files);
        state.ResumeTiming();
        if (session->Open(demo.path, reporter).status != tcn::LoadStatus::Loaded) {
            state.SkipWithError("the demo file did not load");
            break;
        }
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * demo.image.size()));
}
BENCHMARK(BM_Open)->Unit(benchmark::kMillisecond);

// Floor of the open flow: inflate the compressed service payload and CRC-32 the file body.
void BM_OpenFloor(benchmark::State& state) {
    FullDemoFile& demo = Demo();
    std::vector<std::uint8_t> out(demo.servicePayload.size());
    for (auto _ : state) {
        uLongf outSize = static_cast<uLongf>(out.size());
        const int rc = uncompress(out.data(), &outSize, demo.image.data() + demo.compressedOffset,
                                  static_cast<uLong>(demo.image.size() - demo.compressedOffset));
        const uLong crc = crc32(0, demo.image.data() + 64, static_cast<uInt>(demo.image.size() - 64));
        if (rc != Z_OK || outSize != demo.servicePayload.size()) {
            state.SkipWithError("inflate failed");
            break;
        }
        benchmark::DoNotOptimize(crc);
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * demo.image.size()));
}
BENCHMARK(BM_OpenFloor)->Unit(benchmark::kMillisecond);

// The save flow: NEW_full.TCN written from the loaded tables, service payload deflated at level 9.
void BM_Save(benchmark::State& state) {
    FullDemoFile& demo = Demo();
    tcn::PosixFileSystem files;
    DiscardingReporter reporter;
    tcn::ChannelFileSession session(files);
    if (session.Open(demo.path, reporter).status != tcn::LoadStatus::Loaded) {
        state.SkipWithError("the demo file did not load");
        return;
    }
    for (auto _ : state) {
        if (!session.Save(reporter)) {
            state.SkipWithError("the save failed");
            break;
        }
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * demo.servicePayload.size()));
}
BENCHMARK(BM_Save)->Unit(benchmark::kMillisecond);

// Floor of the save flow: deflate the 690000-byte service payload at level 9 and CRC-32 the body of the
// resulting file (everything before the compressed bytes, then the compressed bytes).
void BM_SaveFloor(benchmark::State& state) {
    FullDemoFile& demo = Demo();
    std::vector<std::uint8_t> out(compressBound(static_cast<uLong>(demo.servicePayload.size())));
    for (auto _ : state) {
        uLongf outSize = static_cast<uLongf>(out.size());
        const int rc = compress2(out.data(), &outSize, demo.servicePayload.data(),
                                 static_cast<uLong>(demo.servicePayload.size()), 9);
        uLong crc = crc32(0, demo.image.data() + 64, static_cast<uInt>(demo.compressedOffset - 64));
        crc = crc32(crc, out.data(), static_cast<uInt>(outSize));
        if (rc != Z_OK) {
            state.SkipWithError("deflate failed");
            break;
        }
        benchmark::DoNotOptimize(crc);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * demo.servicePayload.size()));
}
BENCHMARK(BM_SaveFloor)->Unit(benchmark::kMillisecond);

// Two full files opened (the original and its rescan), and the two compared: comparing must take at most
// twice as long as opening both.
void BM_OpenBoth(benchmark::State& state) {
    FullDemoFile& demo = Demo();
    tcn::PosixFileSystem files;
    DiscardingReporter reporter;
    for (auto _ : state) {
        tcn::ChannelFileSession a(files), b(files);
        if (a.Open(demo.path, reporter).status != tcn::LoadStatus::Loaded ||
            b.Open(demo.rescanPath, reporter).status != tcn::LoadStatus::Loaded) {
            state.SkipWithError("a file did not load");
            break;
        }
    }
}
BENCHMARK(BM_OpenBoth)->Unit(benchmark::kMillisecond);

void BM_CompareBoth(benchmark::State& state) {
    FullDemoFile& demo = Demo();
    tcn::PosixFileSystem files;
    DiscardingReporter reporter;
    tcn::ChannelFileSession a(files), b(files);
    if (a.Open(demo.path, reporter).status != tcn::LoadStatus::Loaded ||
        b.Open(demo.rescanPath, reporter).status != tcn::LoadStatus::Loaded) {
        state.SkipWithError("a file did not load");
        return;
    }
    for (auto _ : state) {
        const tcn::ChannelComparison comparison = tcn::CompareChannelDatabases(a.Database(), b.Database());
        benchmark::DoNotOptimize(comparison.differences.data());
    }
}
BENCHMARK(BM_CompareBoth)->Unit(benchmark::kMillisecond);

} // namespace
