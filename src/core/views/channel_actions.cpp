#include "views/channel_actions.h"

#include "tables/favourite_groups.h"
#include "tables/satellite_table.h"
#include "tables/service_table.h"
#include "tables/transponder_table.h"

#include <algorithm>
#include <vector>

namespace tcn {

namespace {

// The table index of the k-th service (from 0) of `kind` in table order, or the service count when
// there are not that many. Matches the way the view picks services: kind 2 is radio, anything else TV.
std::size_t NthServiceOfKind(const ChannelDatabase& db, std::uint8_t kind, std::size_t k) {
    const std::size_t count = std::min<std::size_t>(db.serviceCount, kServiceCapacity);
    for (std::size_t i = 0; i < count; ++i) {
        const bool radio = db.services[i].IsRadio();
        const bool matches =
            kind == ServiceRecord::kKindRadio ? radio : kind == ServiceRecord::kKindTv && !radio;
        if (matches && k-- == 0) return i;
    }
    return count;
}

// The transponder a service links to, or nothing when the link names no record of the table or a
// record marked deleted.
const TransponderRecord* LinkedTransponder(const ChannelDatabase& db, const ServiceRecord& service) {
    const std::size_t count = std::min<std::size_t>(db.transponderCount, kTransponderCapacity);
    const std::uint16_t link = service.Transponder();
    if (link >= count || db.transponders[link].Satellite() == kDeletedTransponder) return nullptr;
    return &db.transponders[link];
}

} // namespace

std::int64_t ServiceAtRow(const ChannelDatabase& db, const ChannelView& view, int r) {
    if (r < 1 || r > view.count) return -1;
    const std::int32_t index = view.entries[static_cast<std::size_t>(r - 1)];
    return index >= 0 && index < db.serviceCount ? index : -1;
}

void CollectFavouriteMarks(const ChannelDatabase& db, FavouriteMarks& marks) {
    marks.bits.fill(0);
    for (std::size_t g = 0; g < kFavouriteGroupCount; ++g) {
        const std::size_t count = FavouriteGroupCount(db, g);
        for (std::size_t i = 0; i < count; ++i)
            marks.bits[FavouriteEntry(db, g, i)] |= static_cast<std::uint8_t>(1u << g);
    }
}

void ToggleLockRows(ChannelDatabase& db, const ChannelView& view, int top, int bottom) {
    for (int r = top; r <= bottom; ++r) {
        const std::int64_t index = ServiceAtRow(db, view, r);
        if (index >= 0) ToggleServiceLock(db, static_cast<std::size_t>(index));
    }
}

void ToggleFavouriteRows(ChannelDatabase& db, const ChannelView& view, int top, int bottom,
                         std::size_t group) {
    for (int r = top; r <= bottom; ++r) {
        const std::int64_t index = ServiceAtRow(db, view, r);
        if (index < 0) continue;
        const ServiceRecord service = GetService(db, static_cast<std::size_t>(index));
        if (IsFavourite(db, service.Number(), group))
            RemoveFavourite(db, service, group);
        else
            AddFavourite(db, service, group); // a full group refuses silently
    }
}

void DeleteViewRows(ChannelDatabase& db, const ChannelView& view, int top, int bottom) {
    std::vector<bool> doomed(db.serviceCount, false);
    bool any = false;
    for (int r = top; r <= bottom; ++r) {
        const std::int64_t index = ServiceAtRow(db, view, r);
        if (index >= 0) doomed[static_cast<std::size_t>(index)] = any = true;
    }
    if (!any) return;
    // One compacting pass gives the same table as DeleteService in decreasing index, in linear time.
    // The predicate is handed each record in place, so its position in the table is its index.
    const ServiceRecord* first = db.services.data();
    RemoveServicesIf(
        db, [&](const ServiceRecord& rec) { return doomed[static_cast<std::size_t>(&rec - first)]; });
}

void MoveViewRows(ChannelDatabase& db, const ChannelView& view, std::uint8_t kind, int top, int bottom,
                  int to) {
    bottom = std::min<int>(bottom, view.count);
    const std::int64_t target = ServiceAtRow(db, view, to);
    if (target < 0 || top < 1 || top > bottom || to == top) return;
    const std::size_t t = static_cast<std::size_t>(target);
    const int n = bottom - top + 1;
    if (to < top) {
        // Every block service stands behind the target in the table, and moving one towards the front
        // shifts only the records between, so the indices the view gave stay valid for the next ones.
        for (int k = 0; k < n; ++k) {
            const std::int64_t index = ServiceAtRow(db, view, top + k);
            if (index >= 0) MoveService(db, static_cast<std::size_t>(index), t + static_cast<std::size_t>(k));
        }
        return;
    }
    for (int pass = 0; pass < n; ++pass)
        MoveService(db, NthServiceOfKind(db, kind, static_cast<std::size_t>(top - 1)), t);
}

std::string ServiceSatelliteLine(const ChannelDatabase& db, const ServiceRecord& service) {
    const TransponderRecord* transponder = LinkedTransponder(db, service);
    if (!transponder || transponder->Satellite() >= kSatelliteCapacity) return {};
    return FormatSatelliteLabel(db.config.Satellite(transponder->Satellite()));
}

std::string ServiceTransponderLine(const ChannelDatabase& db, const ServiceRecord& service) {
    const TransponderRecord* transponder = LinkedTransponder(db, service);
    if (!transponder) return {};
    std::string line = std::to_string(transponder->Frequency() / 1000);
    line += "     ";
    line += PolarityText(transponder->Polarity());
    line += "     ";
    line += std::to_string(transponder->SymbolRate());
    return line;
}

} // namespace tcn
