#include "support/db_builders.h"

#include "tables/favourite_groups.h"
#include "tables/service_table.h"

#include <algorithm>
#include <numeric>

namespace tcn::test {

std::unique_ptr<ChannelDatabase> NewDatabase() {
    return std::make_unique<ChannelDatabase>();
}

std::string IndexedName(std::string_view prefix, std::size_t i) {
    std::string name(prefix);
    name += std::to_string(i);
    return name;
}

SatelliteRecord MakeSatellite(std::string_view name, std::uint16_t position, std::uint8_t switching) {
    SatelliteRecord rec;
    rec.SetText(SatelliteRecord::kName, SatelliteRecord::kNameSize, SatelliteRecord::kNameMax, name);
    rec.SetPosition(position);
    rec.SetFlags(0x01);
    rec.SetSwitching(switching);
    return rec;
}

void PutSatellite(ChannelDatabase& db, std::size_t slot, const SatelliteRecord& rec) {
    db.config.SetSatellite(slot, rec);
}

void AddSatellites(ChannelDatabase& db, std::size_t n) {
    for (std::size_t i = 0; i < n; ++i)
        PutSatellite(db, i, MakeSatellite(IndexedName("Sat ", i), static_cast<std::uint16_t>(10 * i)));
    db.satelliteCount = static_cast<std::uint8_t>(n);
}

TransponderRecord MakeTransponder(std::uint8_t satellite, std::uint32_t khz, std::uint16_t symbolRate,
                                  std::uint8_t tuningFlags) {
    TransponderRecord rec;
    rec.SetSatellite(satellite);
    rec.SetFrequency(khz);
    rec.SetSymbolRate(symbolRate);
    rec.SetTuningFlags(tuningFlags);
    return rec;
}

std::uint16_t PushTransponder(ChannelDatabase& db, const TransponderRecord& rec) {
    const std::uint16_t index = db.transponderCount;
    db.transponders[index] = rec;
    ++db.transponderCount;
    return index;
}

ServiceRecord MakeService(std::uint16_t number, std::uint16_t transponder, std::string_view name,
                          std::uint8_t kind) {
    ServiceRecord rec;
    rec.SetNumber(number);
    rec.SetTransponder(transponder);
    rec.SetText(ServiceRecord::kName, ServiceRecord::kNameArea, ServiceRecord::kNameMax, name);
    rec.SetKind(kind);
    return rec;
}

std::uint16_t PushService(ChannelDatabase& db, const ServiceRecord& rec) {
    const std::uint16_t index = db.serviceCount;
    db.services[index] = rec;
    ++db.serviceCount;
    return index;
}

void FillServices(ChannelDatabase& db, std::size_t n, std::uint16_t transponder) {
    while (db.serviceCount < n) {
        const std::uint16_t i = db.serviceCount;
        PushService(db, MakeService(i, transponder, IndexedName("S", i)));
    }
}

std::vector<std::string> ServiceNames(const ChannelDatabase& db) {
    std::vector<std::string> out;
    for (std::size_t i = 0; i < db.serviceCount; ++i)
        out.emplace_back(db.services[i].Name());
    return out;
}

std::vector<std::uint16_t> ServiceNumbers(const ChannelDatabase& db) {
    std::vector<std::uint16_t> out;
    for (std::size_t i = 0; i < db.serviceCount; ++i)
        out.push_back(db.services[i].Number());
    return out;
}

std::vector<std::uint16_t> ServiceLinks(const ChannelDatabase& db) {
    std::vector<std::uint16_t> out;
    for (std::size_t i = 0; i < db.serviceCount; ++i)
        out.push_back(db.services[i].Transponder());
    return out;
}

void SetGroupEntries(ChannelDatabase& db, std::size_t g, const std::vector<std::uint16_t>& entries) {
    FavouriteGroupRecord rec = db.config.Group(g);
    for (std::size_t i = 0; i < kFavouriteCapacity; ++i)
        rec.SetEntry(i, i < entries.size() ? entries[i] : kNoFavourite);
    rec.SetCount(static_cast<std::uint16_t>(entries.size()));
    db.config.SetGroup(g, rec);
}

std::vector<std::uint16_t> GroupEntries(const ChannelDatabase& db, std::size_t g) {
    const FavouriteGroupRecord rec = db.config.Group(g);
    std::vector<std::uint16_t> out;
    const std::size_t count = std::min<std::size_t>(rec.Count(), kFavouriteCapacity);
    for (std::size_t i = 0; i < count; ++i)
        out.push_back(rec.Entry(i));
    return out;
}

ChannelDatabase Rescanned(const ChannelDatabase& original) {
    ChannelDatabase copy = original;
    std::vector<std::size_t> order(original.serviceCount);
    std::iota(order.begin(), order.end(), 0);
    std::shuffle(order.begin(), order.end(), std::mt19937(42));
    for (std::size_t i = 0; i < order.size(); ++i)
        copy.services[i] = original.services[order[i]];
    RenumberServices(copy);
    for (std::size_t g = 0; g < kFavouriteGroupCount; ++g) {
        ClearFavouriteGroup(copy, g);
        SetFavouriteGroupName(copy, g, "");
    }
    return copy;
}

} // namespace tcn::test
