#pragma once
// The channel view: which services the "Edit Channels" page lists and in which order, the value lists
// collected while building it (they fill the "Sat Sort" and "Additional List" choices), and the settings
// changes made by the "Sort Options" controls.

#include "tables/channel_database.h"
#include "views/view_settings.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace tcn {

inline constexpr std::size_t kSatelliteListCapacity = 80;
inline constexpr std::size_t kCaSystemListCapacity = 50;
inline constexpr std::size_t kProviderListCapacity = 500;
inline constexpr std::size_t kLanguageListCapacity = 500;
inline constexpr std::size_t kProviderEntrySize = 20; // up to 19 characters and a zero
inline constexpr std::size_t kLanguageEntrySize = 4;  // 3 characters and a zero
inline constexpr std::uint8_t kNoSatellite = 255;     // empty satellite-list slot; "no satellite chosen"

// The sort and filter orders of "Sort by".
enum SortOrder : std::uint8_t {
    kOrderTable = 0,     // "1-2-3"
    kOrderAscending = 1, // "A - Z"
    kOrderDescending = 2,
    kOrderFreeToAir = 3,
    kOrderScrambled = 4,
    kOrderCaSystem = 5,
    kOrderProvider = 6,
    kOrderLanguage = 7,
};

// Distinct values met while building the view, each list in order of first appearance. Values that
// arrive when a list is full are dropped.
struct ValueLists {
    // Satellite index of every satellite that has services of the chosen kind; 255 marks a free slot.
    std::array<std::uint8_t, kSatelliteListCapacity> satellites;
    std::uint16_t satelliteCount = 0;
    // CA system codes of the services that passed the satellite filter; 0 marks a free slot.
    std::array<std::uint8_t, kCaSystemListCapacity> caSystems{};
    std::uint16_t caSystemCount = 0;
    // Provider names ("Others" for one not beginning with a letter), zero-terminated and zero-filled.
    std::array<std::array<std::uint8_t, kProviderEntrySize>, kProviderListCapacity> providers{};
    std::uint16_t providerCount = 0;
    // Language codes ("aud" for one not beginning with a letter), zero-terminated and zero-filled.
    std::array<std::array<std::uint8_t, kLanguageEntrySize>, kLanguageListCapacity> languages{};
    std::uint16_t languageCount = 0;

    ValueLists() { satellites.fill(kNoSatellite); }
    friend bool operator==(const ValueLists&, const ValueLists&) = default;
};

// The ordered service-table indices the channel grid shows: entries 0 to count-1 hold them, every later
// slot holds -1. A large value (about 35 KB); callers keep one and rebuild it in place.
struct ChannelView {
    std::array<std::int32_t, kServiceCapacity> entries;
    std::uint16_t count = 0;
    ValueLists lists;
    // True only for table order over all satellites: the page may then move rows and insert services.
    bool reorderingAllowed = false;

    ChannelView() { entries.fill(-1); }
    friend bool operator==(const ChannelView&, const ChannelView&) = default;
};

// Rebuilds the view, its value lists and reorderingAllowed from the service table under `settings`.
// Reads the database only.
void RebuildChannelView(const ChannelDatabase& db, const ViewSettings& settings, ChannelView& view);

// The satellite a service is received from: the satellite byte of its transponder, or 255 when its
// transponder link names no transponder of the table or the transponder is marked deleted.
std::uint8_t ServiceSatellite(const ChannelDatabase& db, const ServiceRecord& service);

// Settings changes made by the "Sort Options" controls. Each applies the resets that belong to it;
// a position or value the control cannot offer changes nothing.

// "Tv or Radio" clicked: kind 1 (TV) or 2 (radio); all satellites, "1-2-3", nothing chosen.
void SetViewKind(ViewSettings& settings, std::uint8_t kind);
// "Sat Sort" changed to `item` (0 = "All Satellites", k = satellite list entry k-1), with `kind` the
// kind the "Tv or Radio" group shows; the order returns to "1-2-3".
void SetSatelliteChoice(ViewSettings& settings, const ChannelView& view, int item, std::uint8_t kind);
// "Sort by" clicked: order 0..7; the additional value is cleared.
void SetSortOrder(ViewSettings& settings, std::uint8_t order);
// "Additional List" changed to `item` (0 = "All ...", k = entry k-1 of the list the order uses).
void SetAdditionalChoice(ViewSettings& settings, const ChannelView& view, int item);

// The texts and selections of the "Sort Options" combo boxes, computed after a rebuild.

// "All Satellites" followed by the name of each satellite in the satellite list.
std::vector<std::string> SatelliteChoiceTexts(const ChannelDatabase& db, const ChannelView& view);
// For orders 5, 6, 7: "All Systems", "All Providers" or "All Languages" followed by the matching list;
// empty for the other orders.
std::vector<std::string> AdditionalChoiceTexts(const ChannelView& view, const ViewSettings& settings);
// The "Additional List" is usable only under the three filter orders 5, 6 and 7.
bool AdditionalChoiceEnabled(const ViewSettings& settings);
// The "Sat Sort" item matching the settings; -1 when the chosen satellite is no longer listed.
int SelectedSatelliteChoice(const ViewSettings& settings, const ChannelView& view);
// The "Additional List" item matching the settings; -1 when nothing matches or the order has no list.
int SelectedAdditionalChoice(const ViewSettings& settings, const ChannelView& view);

} // namespace tcn
