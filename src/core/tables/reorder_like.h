#pragma once
// Putting a rescanned channel list back in the user's order. After a receiver rescans, its services come
// back in a new order and its favourite groups are empty; given the file the user had before (the
// reference), ReorderServicesLike finds each service's counterpart there and puts the services and the
// favourite groups back the way the reference has them.
//
// A service's counterpart is the reference service received the same way: same satellite (orbital
// position and orientation), same transponder frequency in whole MHz (or, when no reference service has
// the exact frequency, the nearest one at most 2 MHz away) and polarity, and same service id. A service
// that has no such counterpart, or several, is matched by kind (TV or radio) and channel name instead:
// first byte for byte, then with letters compared regardless of case (ISO-8859-1). Each reference service
// is the counterpart of at most one service. Stronger rules are applied to every service before weaker
// ones, so a weak match never takes a reference service that a strong one would have claimed.

#include "tables/channel_database.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tcn {

// The rule by which a service found its counterpart, strongest first.
enum class MatchRule : std::uint8_t {
    Tuning = 0,           // satellite, frequency, polarity and service id
    TuningWithin2Mhz = 1, // the same with the frequency up to 2 MHz apart
    Name = 2,             // kind and channel name, byte for byte
    NameIgnoringCase = 3, // kind and channel name, letters regardless of case
    None = 4,             // no counterpart
};
inline constexpr std::size_t kMatchRuleCount = 5;

// "tuning", "tuning within 2 MHz", "name", "name ignoring case", "none": how reports name the rules.
const char* MatchRuleLabel(MatchRule rule);

// How far a frequency (whole MHz) may lie from the reference's when no frequency matches exactly.
inline constexpr std::uint32_t kFrequencyToleranceMhz = 2;

// The counterpart found for one service: a reference table index and the rule, or rule None.
struct ServiceMatch {
    std::uint16_t reference = 0;
    MatchRule rule = MatchRule::None;
};

// The counterpart of each of db's services 0 to serviceCount-1 in `reference`. Reads both databases only.
std::vector<ServiceMatch> MatchServices(const ChannelDatabase& db, const ChannelDatabase& reference);
// The same, with the services f for which pairedAtSameIndex[f] holds already paired with reference
// service f (reported with rule Tuning); the rules match the others among the reference services left.
std::vector<ServiceMatch> MatchServices(const ChannelDatabase& db, const ChannelDatabase& reference,
                                        const std::vector<bool>& pairedAtSameIndex);

// What ReorderServicesLike did, counted per rule (indexed by MatchRule).
struct ReorderSummary {
    // db's services by the rule that matched them; None counts those kept after the matched ones.
    std::array<std::size_t, kMatchRuleCount> services{};
    // The reference's favourite entries by the rule that matched their service; None counts the entries
    // dropped because their service has no counterpart (or names no reference service at all).
    std::array<std::size_t, kMatchRuleCount> favourites{};
    // Reference table indices of the services that are nobody's counterpart, ascending.
    std::vector<std::uint16_t> referenceWithoutCounterpart;
};

// Puts db's services in the order of their counterparts in `reference`, followed by the services without
// one in their present relative order, and renumbers them (service number = table index). Each favourite
// group of db becomes the reference group's members that have a counterpart, in the reference group's
// order and under the reference group's name (its 20 bytes as they are); the groups' entries are table
// indices afterwards, as after ResolveFavourites. Reference entries are read as service numbers, as
// ResolveFavourites reads them. Nothing else changes: satellites, transponders, the rest of the config
// block and every byte of every service record but its number stay as they were.
ReorderSummary ReorderServicesLike(ChannelDatabase& db, const ChannelDatabase& reference);

// `text` with the letters of ISO-8859-1 in lower case (A-Z and À-Þ except ×); every other byte stays.
std::string FoldLatin1Case(std::string_view text);

} // namespace tcn
