#pragma once
// The satellite table inside the config buffer: 80 slots, the first SatelliteCount in use. A satellite's
// index is its slot number; transponder records name their satellite by it.

#include "tables/channel_database.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace tcn {

// Which way from the meridian a satellite lies; the values are the codes of switching bits 6-7.
enum class Orientation : std::uint8_t { West = 1, East = 2 };

// LNB types and DiSEqC types as the record stores them.
inline constexpr std::uint8_t kLnbUniversal = 0, kLnbNormal = 1, kLnbUser = 2;
inline constexpr std::uint8_t kDiseqcNone = 0, kDiseqcToneBurst = 1, kDiseqcSwitch10 = 2, kDiseqcSwitch11 = 3,
                              kDiseqcMotor = 4, kDiseqcGotoX = 5;
// The fixed oscillator pairs of the Universal and Normal LNB types, and the highest User frequency, in MHz.
inline constexpr std::uint16_t kUniversalLnbLow = 9750, kUniversalLnbHigh = 10600;
inline constexpr std::uint16_t kNormalLnbLow = 5150, kNormalLnbHigh = 5750;
inline constexpr std::uint32_t kUserLnbMax = 10750;

// What the satellite page hands over when the user applies changes to one satellite.
struct SatelliteEdit {
    std::optional<std::string> name;        // cut to 19 characters; absent: keep the stored name
    std::uint32_t position = 0;             // tenths of a degree, 0 to 65535
    std::optional<Orientation> orientation; // absent: keep the stored orientation
    std::uint8_t lnbType = kLnbUniversal;   // 0 Universal, 1 Normal, 2 User
    std::uint32_t lnbLow = 0, lnbHigh = 0;  // MHz as entered; used only for User
    std::optional<std::uint8_t> diseqcType; // 0 to 5; absent: keep type and port
    std::uint8_t diseqcPort = 0;            // 0 to 3 (Port A to D); used only for types 1 to 3
};

// Counts the slots whose in-use bit is set, over all 80, and stores the result as satelliteCount.
std::uint8_t CountSatellites(ChannelDatabase& db);
// The same count without storing it, for readers that must leave the tables alone.
std::uint8_t CountSatellitesInUse(const ChannelDatabase& db);

// A copy of slot `index`; an all-zero record for an index beyond the 80 slots.
SatelliteRecord ReadSatellite(const ChannelDatabase& db, std::size_t index);

// "19.2  E": whole degrees, a dot, the tenth, two blanks and W or E (nothing for orientation codes 0 and 3).
std::string FormatSatellitePosition(const SatelliteRecord& rec);
// The name, two blanks and the position text: how choosers and information lines name a satellite.
std::string FormatSatelliteLabel(const SatelliteRecord& rec);

// Takes slot satelliteCount into use, marks it West and keeps every other byte the slot held. Returns the
// new index, or nothing when all 80 slots are in use.
std::optional<std::uint8_t> AddSatellite(ChannelDatabase& db);

// Writes an edit into satellite `index` in one step. An invalid User LNB pair turns the satellite into a
// Universal one. Only slots below satelliteCount can be edited; an edit with a value its field cannot
// hold (position above 65535, LNB type above 2, DiSEqC type above 5, a used port above 3) changes nothing.
void ApplySatelliteEdit(ChannelDatabase& db, std::size_t index, const SatelliteEdit& edit);

} // namespace tcn
