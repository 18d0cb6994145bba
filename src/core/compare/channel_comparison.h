#pragma once
// What differs between two channel files: before copying NEW_<name> to the receiver, what changed against
// the original; after the receiver rescanned, which channels are new, gone, renamed or moved. The tables
// of OLD and NEW are read only.
//
// Satellites are paired by orbital position and orientation (in slot order among equals), then by name
// among those left, so that a satellite that moved is one change. Transponders are paired within their
// paired satellites by polarity and frequency in whole MHz (exact, else the nearest within 2 MHz; a tie
// pairs none). Services identical at the same table index are paired first; the others are matched as
// `MatchServices` matches them with OLD as the reference. Favourite groups are compared group by group,
// their members followed through the service pairing.

#include "tables/channel_database.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace tcn {

enum class DiffArea : std::uint8_t { Satellite, Transponder, Service, Favourites, Config };
enum class DiffKind : std::uint8_t { Added, Removed, Changed, Moved };
inline constexpr std::size_t kDiffAreaCount = 5, kDiffKindCount = 4;

// One field that differs: its key ("name", "position", "symbol_rate", ...) and both values as text
// (8-bit bytes, as the tables hold them).
struct FieldDiff {
    std::string field, before, after;
};

// One difference. For satellites the indices are slots, for transponders and services table indices,
// for favourites the services' table indices; -1 where the item is not in that file. `group` is the
// favourite group (0 to 4) of a Favourites difference. `label` names the item as the editor shows it
// (the satellite's label, the transponder's satellite and tuning, the channel name, "Fav<n>").
struct Difference {
    DiffArea area = DiffArea::Satellite;
    DiffKind kind = DiffKind::Changed;
    int oldIndex = -1, newIndex = -1;
    int group = -1;
    std::string label;
    std::vector<FieldDiff> fields;
};

struct ChannelComparison {
    // Grouped by area in the order of DiffArea; within an area removals, additions, changes, moves, each
    // in table order.
    std::vector<Difference> differences;
    std::size_t Count(DiffArea area, DiffKind kind) const;
    bool Empty() const { return differences.empty(); }
};

ChannelComparison CompareChannelDatabases(const ChannelDatabase& oldDb, const ChannelDatabase& newDb);

// Single-letter marks of the kinds, as reports show them: "+", "-", "~", ">".
const char* DiffMark(DiffKind kind);
// "satellites", "transponders", "services", "favourites", "config".
const char* DiffAreaName(DiffArea area);
const char* DiffKindName(DiffKind kind); // "added", "removed", "changed", "moved"

// One line for a difference, as reports print it (8-bit bytes): its mark, what it concerns and, for a
// change or a move, each field with its old and new value. For example
//   ~ service 3 "ZDF": provider "ZDF" -> "ZDFvision"; video_pid "110" -> "120"
//   > service 0 "RTL": number "5" -> "0"
//   + Fav1 service 12 "Das Erste"
std::string FormatDifference(const Difference& difference);
// "satellites +1 -0 ~2 >0, transponders ..., config ~1": the counts of every area and kind.
std::string FormatCounts(const ChannelComparison& comparison);

} // namespace tcn
