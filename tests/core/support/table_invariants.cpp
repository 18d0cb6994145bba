#include "support/table_invariants.h"

#include "support/db_builders.h"
#include "tables/favourite_groups.h"
#include "tables/transponder_table.h"

#include <algorithm>

namespace tcn::test {

namespace {

// The satellite bytes no operation interprets (name 0-19, LNB 20-23, position 24-25, flags 35 and
// switching 36 are edited).
constexpr std::size_t kReservedSatelliteBytes[] = {26, 27, 28, 29, 30, 31, 32, 33, 34, 37, 38, 39};

} // namespace

TableBaseline BaselineOf(const ChannelDatabase& loaded) {
    TableBaseline baseline;
    baseline.loadedConfig = loaded.config;
    baseline.transponderLimit.fill(kTranspondersPerSatellite);
    std::array<std::size_t, 256> perSatellite{};
    for (std::size_t t = 0; t < loaded.transponderCount; ++t)
        ++perSatellite[loaded.transponders[t].Satellite()];
    for (std::size_t s = 0; s < 256; ++s)
        baseline.transponderLimit[s] = std::max(baseline.transponderLimit[s], perSatellite[s]);
    baseline.satelliteSlotsUsed = loaded.satelliteCount;
    RememberBeforeOperation(baseline, loaded);
    return baseline;
}

void RememberBeforeOperation(TableBaseline& baseline, const ChannelDatabase& db) {
    for (std::size_t g = 0; g < kFavouriteGroupCount; ++g)
        baseline.duplicateFree[g] = !HasDuplicates(GroupEntries(db, g));
    baseline.satelliteSlotsUsed = std::max<std::size_t>(baseline.satelliteSlotsUsed, db.satelliteCount);
}

bool HasDuplicates(std::vector<std::uint16_t> entries) {
    std::sort(entries.begin(), entries.end());
    return std::adjacent_find(entries.begin(), entries.end()) != entries.end();
}

std::string CheckTableShape(const ChannelDatabase& db, const TableBaseline& baseline, bool resolved) {
    const auto text = [](auto... parts) { return (std::string() + ... + parts); };
    const auto n = [](std::size_t v) { return std::to_string(v); };

    if (db.satelliteCount > kSatelliteCapacity) return "satelliteCount is " + n(db.satelliteCount);
    if (db.transponderCount > kTransponderCapacity) return "transponderCount is " + n(db.transponderCount);
    if (db.serviceCount > kServiceCapacity) return "serviceCount is " + n(db.serviceCount);
    std::array<std::size_t, 256> perSatellite{};
    for (std::size_t t = 0; t < db.transponderCount; ++t)
        ++perSatellite[db.transponders[t].Satellite()];
    for (std::size_t s = 0; s < 256; ++s)
        if (perSatellite[s] > baseline.transponderLimit[s])
            return text("satellite ", n(s), " has ", n(perSatellite[s]), " transponders");

    const TransponderRecord freeSlot = FreeTransponderSlot();
    for (std::size_t t = db.transponderCount; t < kTransponderCapacity; ++t)
        if (db.transponders[t] != freeSlot) return "free transponder slot " + n(t) + " is not 0xFF";
    const ServiceRecord empty = EmptyServiceSlot();
    for (std::size_t i = 0; i < kServiceCapacity; ++i) {
        if (i >= db.serviceCount) {
            if (db.services[i] != empty) return "empty service slot " + n(i) + " is not empty";
            continue;
        }
        const std::uint16_t link = db.services[i].Transponder();
        if (link != kNoTransponder && link >= db.transponderCount)
            return text("service ", n(i), " links to transponder ", n(link), " of ", n(db.transponderCount));
        if (resolved && db.services[i].Number() != i)
            return text("service ", n(i), " is numbered ", n(db.services[i].Number()));
    }

    for (std::size_t g = 0; g < kFavouriteGroupCount; ++g) {
        const FavouriteGroupRecord rec = db.config.Group(g);
        if (rec.Count() > kFavouriteCapacity) return "group " + n(g) + " counts more than 200";
        for (std::size_t i = rec.Count(); i < kFavouriteCapacity; ++i)
            if (rec.Entry(i) != kNoFavourite)
                return text("group ", n(g), " position ", n(i), " is not 0xFFFF");
        if (!resolved) continue;
        for (std::size_t i = 0; i < rec.Count(); ++i)
            if (rec.Entry(i) >= db.serviceCount)
                return text("group ", n(g), " entry ", n(i), " names no service");
        if (baseline.duplicateFree[g] && HasDuplicates(GroupEntries(db, g)))
            return "group " + n(g) + " got a duplicate entry";
    }

    // What no operation interprets is what was loaded (the first 8 config bytes are rewritten by saves).
    const ConfigBuffer& loaded = baseline.loadedConfig;
    for (std::size_t off = kConfigPayloadOffset; off < kConfigBlockSize; ++off) {
        const bool reserved = off < ConfigBuffer::kSatelliteTable || off >= 5350;
        if (reserved && db.config.bytes[off] != loaded.bytes[off])
            return "reserved config byte " + n(off) + " changed";
    }
    const std::size_t slotsUsed = std::max<std::size_t>(baseline.satelliteSlotsUsed, db.satelliteCount);
    for (std::size_t slot = 0; slot < kSatelliteCapacity; ++slot) {
        const SatelliteRecord now = db.config.Satellite(slot), then = loaded.Satellite(slot);
        if (slot >= slotsUsed && now != then)
            return "satellite slot " + n(slot) + " that was never in use changed";
        for (std::size_t off : kReservedSatelliteBytes)
            if (now.bytes[off] != then.bytes[off])
                return text("reserved byte ", n(off), " of satellite ", n(slot), " changed");
        if ((now.Flags() & 0xF2) != (then.Flags() & 0xF2))
            return "preserved flag bits of satellite " + n(slot) + " changed";
    }
    return {};
}

} // namespace tcn::test
