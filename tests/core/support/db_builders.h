#pragma once
// Helpers that build ChannelDatabase contents in memory for tests: records with chosen fields, records
// filled with random bytes, and short readers that turn tables into comparable lists.

#include "tables/channel_database.h"

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <random>
#include <string>
#include <string_view>
#include <vector>

namespace tcn::test {

// Databases are about 740 KB; tests keep them on the heap.
std::unique_ptr<ChannelDatabase> NewDatabase();

// `prefix` followed by `i` in decimal: "S" and 12 give "S12".
std::string IndexedName(std::string_view prefix, std::size_t i);

// Every byte of `rec` from `rng`.
template <std::size_t N> void FillRandom(ByteImage<N>& rec, std::mt19937& rng) {
    std::uniform_int_distribution<int> byte(0, 255);
    for (auto& b : rec.bytes)
        b = static_cast<std::uint8_t>(byte(rng));
}

// The offsets at which two images differ.
template <std::size_t N>
std::vector<std::size_t> DifferingOffsets(const ByteImage<N>& a, const ByteImage<N>& b) {
    std::vector<std::size_t> out;
    for (std::size_t i = 0; i < N; ++i)
        if (a.bytes[i] != b.bytes[i]) out.push_back(i);
    return out;
}

// A satellite record in use with the given name, position and switching byte, everything else zero.
SatelliteRecord MakeSatellite(std::string_view name, std::uint16_t position, std::uint8_t switching = 0x40);
// Puts `rec` into slot `slot` of the config buffer (the count is left alone).
void PutSatellite(ChannelDatabase& db, std::size_t slot, const SatelliteRecord& rec);
// Slots 0 to n-1 become satellites in use named "Sat <i>" and satelliteCount becomes n.
void AddSatellites(ChannelDatabase& db, std::size_t n);

// A transponder of `satellite` with frequency in kHz, symbol rate and tuning flags; reserved bytes zero.
TransponderRecord MakeTransponder(std::uint8_t satellite, std::uint32_t khz = 0, std::uint16_t symbolRate = 0,
                                  std::uint8_t tuningFlags = 0);
// Appends `rec` at index transponderCount and returns that index.
std::uint16_t PushTransponder(ChannelDatabase& db, const TransponderRecord& rec);

// A service numbered `number` on `transponder` with a channel name, everything else zero.
ServiceRecord MakeService(std::uint16_t number, std::uint16_t transponder, std::string_view name = {},
                          std::uint8_t kind = ServiceRecord::kKindTv);
// Appends `rec` at index serviceCount and returns that index.
std::uint16_t PushService(ChannelDatabase& db, const ServiceRecord& rec);
// Appends services named "S<i>", numbered i and linked to transponder `transponder`, until there are n.
void FillServices(ChannelDatabase& db, std::size_t n, std::uint16_t transponder = 0);

// The channel names, service numbers or transponder links of records 0 to serviceCount-1.
std::vector<std::string> ServiceNames(const ChannelDatabase& db);
std::vector<std::uint16_t> ServiceNumbers(const ChannelDatabase& db);
std::vector<std::uint16_t> ServiceLinks(const ChannelDatabase& db);

// Stores group g with exactly these entries (count = their number, the rest 0xFFFF).
void SetGroupEntries(ChannelDatabase& db, std::size_t g, const std::vector<std::uint16_t>& entries);
// The entries at positions 0 to count-1 of group g, as stored (count read as at most 200).
std::vector<std::uint16_t> GroupEntries(const ChannelDatabase& db, std::size_t g);

// `original` as a receiver's rescan gives it back: services shuffled (the same way on every call) and
// numbered afresh, favourite groups empty and unnamed.
ChannelDatabase Rescanned(const ChannelDatabase& original);

} // namespace tcn::test
