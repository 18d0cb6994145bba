#pragma once
// ChannelDatabase: everything a channel file holds, as one copyable value. The program keeps exactly one
// live instance; loading fills a fresh one and swaps it in only when every check passed.

#include "tables/records.h"

#include <array>
#include <cstdint>

namespace tcn {

struct ChannelDatabase {
    // The config block image, with the satellite table and the favourite groups inside it.
    ConfigBuffer config;
    // Satellites in use, as last counted by CountSatellites or grown by AddSatellite.
    std::uint8_t satelliteCount = 0;

    std::array<TransponderRecord, kTransponderCapacity> transponders;
    std::uint16_t transponderCount = 0;

    std::array<ServiceRecord, kServiceCapacity> services;
    std::uint16_t serviceCount = 0;

    // A database with nothing loaded: zero config, free transponder slots, empty service slots.
    ChannelDatabase();
    // Back to the state of a fresh database, without allocating.
    void Clear();

    friend bool operator==(const ChannelDatabase&, const ChannelDatabase&) = default;
};

// The content of a free transponder slot and of an empty service slot.
TransponderRecord FreeTransponderSlot();
ServiceRecord EmptyServiceSlot();

} // namespace tcn
