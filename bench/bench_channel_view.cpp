// One channel-page refresh on a full database: ResolveFavourites followed by RebuildChannelView, for
// each of the eight orders (the three filter orders with a value chosen from their list).

#include "tables/favourite_groups.h"
#include "views/channel_view.h"

#include <benchmark/benchmark.h>

#include <memory>
#include <random>
#include <string>

namespace {

using namespace tcn;

// 5000 services (about one in five radio) on 1000 transponders of 12 satellites, with varied names,
// providers, languages and CA systems, and five favourite groups of 200 entries each.
std::unique_ptr<ChannelDatabase> BuildFullDatabase() {
    auto db = std::make_unique<ChannelDatabase>();
    std::mt19937 rng(20240601);
    auto pick = [&rng](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };

    constexpr int kSatellites = 12;
    for (int s = 0; s < kSatellites; ++s) {
        SatelliteRecord sat;
        sat.SetText(SatelliteRecord::kName, 20, 19, "Satellite " + std::to_string(s));
        sat.SetU8(SatelliteRecord::kFlags, 0x01);
        db->config.SetSatellite(static_cast<std::size_t>(s), sat);
    }
    db->satelliteCount = kSatellites;
    for (int t = 0; t < 1000; ++t) {
        TransponderRecord& tp = db->transponders[static_cast<std::size_t>(t)];
        tp.bytes.fill(0);
        tp.SetU8(TransponderRecord::kSatellite, static_cast<std::uint8_t>(pick(kSatellites)));
        tp.SetU32(TransponderRecord::kFrequency, 10700000u + static_cast<std::uint32_t>(t) * 1000u);
    }
    db->transponderCount = 1000;

    static const char* const kWords[] = {"news",  "Sport", "MOVIE", "kids",     "Music",  "Info",
                                         "Radio", "TV",    "Welt",  "\xC4rzte", "Cinema", "doku",
                                         "Zoo",   "alpha", "Beta",  "_x"};
    static const char* const kLanguages[] = {"deu", "eng", "fra", "ita", "spa", "pol", "tur", "ara", "rus",
                                             "",    "nld", "por", "ces", "hun", "swe", "1ab", "fin", "ell"};
    static const std::uint8_t kCaCodes[] = {1, 5, 6, 9, 11, 13, 14, 23, 24, 38, 74, 254, 66, 100};
    for (int i = 0; i < static_cast<int>(kServiceCapacity); ++i) {
        ServiceRecord& s = db->services[static_cast<std::size_t>(i)];
        s = ServiceRecord{};
        s.SetU16(ServiceRecord::kNumber, static_cast<std::uint16_t>(i));
        std::string name =
            std::string(kWords[pick(16)]) + " " + kWords[pick(16)] + " " + std::to_string(pick(1000));
        s.SetText(ServiceRecord::kName, 31, 30, name);
        const int p = pick(320);
        const std::string provider = p < 10   ? std::string()
                                     : p < 20 ? "123 Media"
                                              : "Provider " + std::to_string(p);
        s.SetText(ServiceRecord::kProvider, 84, 20, provider);
        s.SetText(ServiceRecord::kLanguage, 4, 3, kLanguages[pick(18)]);
        s.SetU8(ServiceRecord::kKind, pick(5) == 0 ? ServiceRecord::kKindRadio : ServiceRecord::kKindTv);
        s.SetU16(ServiceRecord::kTransponder, static_cast<std::uint16_t>(pick(1000)));
        if (pick(2) == 0) {
            s.SetU8(ServiceRecord::kFlags, ServiceRecord::kScrambledBit);
            const int systems = pick(4);
            for (int c = 0; c < systems; ++c)
                s.SetU8(ServiceRecord::kCa + static_cast<std::size_t>(c), kCaCodes[pick(14)]);
        }
    }
    db->serviceCount = kServiceCapacity;

    for (std::size_t g = 0; g < kFavouriteGroupCount; ++g) {
        FavouriteGroupRecord group;
        group.SetText(FavouriteGroupRecord::kName, 20, 19, "Group " + std::to_string(g));
        group.SetU16(FavouriteGroupRecord::kCount, kFavouriteCapacity);
        for (std::size_t e = 0; e < kFavouriteCapacity; ++e)
            group.SetEntry(e, static_cast<std::uint16_t>((e * 24 + g * 7 + 3) % kServiceCapacity));
        db->config.SetGroup(g, group);
    }
    return db;
}

ChannelDatabase& Database() {
    static const std::unique_ptr<ChannelDatabase> db = BuildFullDatabase();
    return *db;
}

// The refresh the channel page runs after every change, under "Sort by" order `state.range(0)`.
void BM_RefreshChannelView(benchmark::State& state) {
    ChannelDatabase& db = Database();
    auto view = std::make_unique<ChannelView>();
    ViewSettings settings;
    ResetViewSettings(settings);
    SetSortOrder(settings, static_cast<std::uint8_t>(state.range(0)));
    RebuildChannelView(db, settings, *view);
    // Filter orders: choose the second entry of their list (the first is often a catch-all).
    SetAdditionalChoice(settings, *view, 2);
    for (auto _ : state) {
        ResolveFavourites(db);
        RebuildChannelView(db, settings, *view);
        benchmark::DoNotOptimize(view->entries.data());
        benchmark::ClobberMemory();
    }
    state.counters["rows"] = view->count;
}
BENCHMARK(BM_RefreshChannelView)
    ->DenseRange(0, 7)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(9)
    ->ReportAggregatesOnly(true);

// The rebuild alone, for comparison with the full refresh.
void BM_RebuildChannelView(benchmark::State& state) {
    ChannelDatabase& db = Database();
    auto view = std::make_unique<ChannelView>();
    ViewSettings settings;
    ResetViewSettings(settings);
    SetSortOrder(settings, static_cast<std::uint8_t>(state.range(0)));
    RebuildChannelView(db, settings, *view);
    SetAdditionalChoice(settings, *view, 2);
    for (auto _ : state) {
        RebuildChannelView(db, settings, *view);
        benchmark::DoNotOptimize(view->entries.data());
        benchmark::ClobberMemory();
    }
    state.counters["rows"] = view->count;
}
BENCHMARK(BM_RebuildChannelView)
    ->DenseRange(0, 7)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(9)
    ->ReportAggregatesOnly(true);

} // namespace
