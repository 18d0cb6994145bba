#pragma once
// The transponder table: records in index order, each naming its satellite; services link by index, so
// removing a record renumbers every later record and every service link with it.

#include "tables/channel_database.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tcn {

// A copy of record `index`; a free slot (0xFF in every byte, so no satellite) beyond transponderCount.
TransponderRecord ReadTransponder(const ChannelDatabase& db, std::size_t index);

// The table indices of satellite s's transponders, ascending. A loaded file may give a satellite more
// than 200; all of them are listed so none becomes unreachable.
std::vector<std::uint16_t> BuildSatelliteTransponderList(const ChannelDatabase& db, std::uint8_t s);

// Appends a new transponder of satellite s (no frequency, FEC None, horizontal) and returns its index.
// Refused when s already has 200, the table holds 3500, or s names no satellite slot.
std::optional<std::uint16_t> AddTransponder(ChannelDatabase& db, std::uint8_t s);

// Stores the tuning parameters of transponder `index`. FEC is masked to 3 bits and polarity to 1 bit;
// the satellite byte, the reserved bytes and tuning flag bits 4-7 stay. Nothing changes when the index is
// outside the table or `mhz` has no kHz value that fits the field.
void ApplyTransponderEdit(ChannelDatabase& db, std::size_t index, std::uint32_t mhz, std::uint16_t symbolRate,
                          std::uint8_t fec, std::uint8_t polarity);

// ApplyTransponderEdit with the frequency in exact kHz, for tuning data that comes finer than whole MHz
// (a transponder list).
void SetTransponderTuning(ChannelDatabase& db, std::size_t index, std::uint32_t khz, std::uint16_t symbolRate,
                          std::uint8_t fec, std::uint8_t polarity);

// Removes the given transponders and every service linked to one of them, then compacts the table.
// Indices outside the table are ignored.
void DeleteTransponders(ChannelDatabase& db, std::span<const std::uint16_t> indices);

// Drops records marked deleted, keeps the order of the rest, refills free slots with 0xFF and re-points
// every service link at the new positions (links to dropped or out-of-table records become 0xFFFF).
void CompactTransponderTable(ChannelDatabase& db);

// "None", "1/2", "2/3", "3/4", "5/6", "7/8", "Auto" for FEC codes 0 to 6; code 7 also reads "Auto".
// Only bits 0-2 count.
std::string_view FecText(std::uint8_t fec);
// "H" for polarity 0, "V" for 1 (only bit 0 counts).
std::string_view PolarityText(std::uint8_t polarity);
// "11362  V  27500  3/4": the frequency in whole MHz (kHz / 1000, rounded down), the polarity, the symbol
// rate and the FEC text, two blanks apart. How the chooser dialog lists a satellite's transponders.
std::string FormatTransponderLabel(const TransponderRecord& rec);

} // namespace tcn
