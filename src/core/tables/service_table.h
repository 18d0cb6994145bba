#pragma once
// The service table: records 0 to serviceCount-1 in table order, empty slots after them. Operations carry
// each record's service number along; only RenumberServices rewrites the numbers.

#include "tables/channel_database.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace tcn {

// What the channel page hands over when the user applies changes to one service.
struct ServiceEdit {
    // A text that is absent keeps the stored bytes (a name the user did not touch may be longer than the
    // field that shows it).
    std::optional<std::string> name;     // channel name, cut to 30 characters
    std::optional<std::string> provider; // provider name, cut to 20 characters
    bool radio = false;
    std::uint16_t serviceId = 0;
    std::uint32_t videoPid = 0, audioPid = 0, pcrPid = 0; // a value above 8191 keeps the stored PID
    bool scrambled = false;
};

// The largest value a PID can take (13 bits).
inline constexpr std::uint32_t kMaxPid = 0x1FFF;

// Every slot becomes an empty slot (zero bytes, service number 0xFFFF); the count becomes 0.
void ClearServiceTable(ChannelDatabase& db);

// A copy of record i; an empty slot for an index not below serviceCount.
ServiceRecord GetService(const ChannelDatabase& db, std::size_t i);

// Stores `rec` at index serviceCount and counts it. False, and no change, when the table is full.
bool AppendService(ChannelDatabase& db, const ServiceRecord& rec);

// Overwrites record i with `rec`.
void ReplaceService(ChannelDatabase& db, std::size_t i, const ServiceRecord& rec);

// Writes the names that are given, the kind, service id, PIDs and scrambled bit of an edit into record i in
// one step. The service number, CA codes, language, transponder link, locked bit, flag bits 2-7, byte 137
// and the provider area behind byte 26 stay as they were.
void ApplyServiceEdit(ChannelDatabase& db, std::size_t i, const ServiceEdit& edit);

// Removes record i; later records move down one place and the last slot becomes empty.
void DeleteService(ChannelDatabase& db, std::size_t i);

// Moves record a to index b; the records between shift by one place towards a's old index.
void MoveService(ChannelDatabase& db, std::size_t a, std::size_t b);

// Removes every record linked to transponder t, keeping the order of the rest.
void DeleteServicesOnTransponder(ChannelDatabase& db, std::uint16_t t);

// Every service's transponder link becomes map[link]; links at or beyond 3500 become 0xFFFF.
void RemapServiceTransponders(ChannelDatabase& db,
                              const std::array<std::uint16_t, kTransponderCapacity>& map);

// Record i gets service number i for every i below the count.
void RenumberServices(ChannelDatabase& db);

// Inverts the locked bit of record i.
void ToggleServiceLock(ChannelDatabase& db, std::size_t i);

// The record an inserted service starts as: "Noname" for both names, kind `kind`, linked to `transponder`,
// numbered with the index it will get, everything else zero.
ServiceRecord NewServiceRecord(const ChannelDatabase& db, std::uint16_t transponder, std::uint8_t kind);

// Removes, in one pass, every service for which `remove(record)` holds, keeping the order of the rest. The
// result equals removing them one by one with DeleteService, including the cleared table when none is left.
template <typename Predicate> void RemoveServicesIf(ChannelDatabase& db, Predicate remove) {
    const std::size_t count = std::min<std::size_t>(db.serviceCount, kServiceCapacity);
    std::size_t kept = 0;
    for (std::size_t i = 0; i < count; ++i) {
        if (remove(static_cast<const ServiceRecord&>(db.services[i]))) continue;
        if (kept != i) db.services[kept] = db.services[i];
        ++kept;
    }
    if (kept == count) return;
    if (kept == 0) {
        ClearServiceTable(db);
        return;
    }
    std::fill(db.services.begin() + static_cast<std::ptrdiff_t>(kept),
              db.services.begin() + static_cast<std::ptrdiff_t>(count), EmptyServiceSlot());
    db.serviceCount = static_cast<std::uint16_t>(kept);
}

} // namespace tcn
