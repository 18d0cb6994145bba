#include "tables/transponder_table.h"

#include "tables/service_table.h"

#include <algorithm>
#include <array>
#include <limits>

namespace tcn {

namespace {

constexpr std::uint8_t kPolarityBit = 0x08;
constexpr std::uint8_t kFecMask = 0x07;
// Tuning bits 4 and 5, set in every new record (FEC None, horizontal, bits 6-7 as the slot held them).
constexpr std::uint8_t kNewTuningBits = 0x30;

std::size_t UsedTransponders(const ChannelDatabase& db) {
    return std::min<std::size_t>(db.transponderCount, kTransponderCapacity);
}

} // namespace

TransponderRecord ReadTransponder(const ChannelDatabase& db, std::size_t index) {
    if (index >= UsedTransponders(db)) return FreeTransponderSlot();
    return db.transponders[index];
}

std::vector<std::uint16_t> BuildSatelliteTransponderList(const ChannelDatabase& db, std::uint8_t s) {
    std::vector<std::uint16_t> list;
    const std::size_t count = UsedTransponders(db);
    for (std::size_t i = 0; i < count; ++i)
        if (db.transponders[i].Satellite() == s) list.push_back(static_cast<std::uint16_t>(i));
    return list;
}

std::optional<std::uint16_t> AddTransponder(ChannelDatabase& db, std::uint8_t s) {
    if (s >= kSatelliteCapacity) return std::nullopt;
    const std::size_t t = db.transponderCount;
    if (t >= kTransponderCapacity) return std::nullopt;
    std::size_t ofSatellite = 0;
    for (std::size_t i = 0; i < t; ++i)
        if (db.transponders[i].Satellite() == s) ++ofSatellite;
    if (ofSatellite >= kTranspondersPerSatellite) return std::nullopt;

    // Byte 1, byte 11 and tuning bits 6-7 keep what the free slot held.
    TransponderRecord& rec = db.transponders[t];
    rec.SetSatellite(s);
    rec.SetU16(2, 0);
    rec.SetFrequency(0);
    rec.SetSymbolRate(0);
    rec.SetTuningFlags(static_cast<std::uint8_t>((rec.TuningFlags() & 0xC0) | kNewTuningBits));
    db.transponderCount = static_cast<std::uint16_t>(t + 1);
    return static_cast<std::uint16_t>(t);
}

void ApplyTransponderEdit(ChannelDatabase& db, std::size_t index, std::uint32_t mhz, std::uint16_t symbolRate,
                          std::uint8_t fec, std::uint8_t polarity) {
    if (mhz > std::numeric_limits<std::uint32_t>::max() / 1000) return;
    SetTransponderTuning(db, index, mhz * 1000, symbolRate, fec, polarity);
}

void SetTransponderTuning(ChannelDatabase& db, std::size_t index, std::uint32_t khz, std::uint16_t symbolRate,
                          std::uint8_t fec, std::uint8_t polarity) {
    if (index >= UsedTransponders(db)) return;
    TransponderRecord& rec = db.transponders[index];
    rec.SetFrequency(khz);
    rec.SetSymbolRate(symbolRate);
    const std::uint8_t tuning = static_cast<std::uint8_t>((rec.TuningFlags() & 0xF0) | (fec & kFecMask) |
                                                          ((polarity & 0x01) ? kPolarityBit : 0));
    rec.SetTuningFlags(tuning);
}

void DeleteTransponders(ChannelDatabase& db, std::span<const std::uint16_t> indices) {
    // Marking every record first and then removing their services in one pass gives the same table as
    // marking and removing one transponder at a time: service links do not change until the compaction.
    const std::size_t count = UsedTransponders(db);
    std::array<bool, kTransponderCapacity> doomed{};
    bool any = false;
    for (const std::uint16_t d : indices) {
        if (d >= count) continue;
        db.transponders[d] = FreeTransponderSlot();
        doomed[d] = true;
        any = true;
    }
    if (!any) return;
    RemoveServicesIf(db, [&doomed](const ServiceRecord& rec) {
        const std::uint16_t link = rec.Transponder();
        return link < kTransponderCapacity && doomed[link];
    });
    CompactTransponderTable(db);
}

void CompactTransponderTable(ChannelDatabase& db) {
    std::array<std::uint16_t, kTransponderCapacity> map;
    map.fill(kNoTransponder);
    const std::size_t count = UsedTransponders(db);
    std::size_t k = 0;
    // Kept records only ever move towards the front, so the table can be compacted in place.
    for (std::size_t i = 0; i < count; ++i) {
        if (db.transponders[i].Satellite() == kDeletedTransponder) continue;
        if (k != i) db.transponders[k] = db.transponders[i];
        map[i] = static_cast<std::uint16_t>(k);
        ++k;
    }
    const TransponderRecord free = FreeTransponderSlot();
    std::fill(db.transponders.begin() + static_cast<std::ptrdiff_t>(k), db.transponders.end(), free);
    db.transponderCount = static_cast<std::uint16_t>(k);
    RemapServiceTransponders(db, map);
}

std::string_view FecText(std::uint8_t fec) {
    static constexpr std::array<std::string_view, 8> kTexts = {"None", "1/2", "2/3",  "3/4",
                                                               "5/6",  "7/8", "Auto", "Auto"};
    return kTexts[fec & kFecMask];
}

std::string_view PolarityText(std::uint8_t polarity) {
    return (polarity & 0x01) ? "V" : "H";
}

std::string FormatTransponderLabel(const TransponderRecord& rec) {
    std::string text = std::to_string(rec.Frequency() / 1000);
    text += "  ";
    text += PolarityText(rec.Polarity());
    text += "  ";
    text += std::to_string(rec.SymbolRate());
    text += "  ";
    text += FecText(rec.Fec());
    return text;
}

} // namespace tcn
