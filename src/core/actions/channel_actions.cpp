#include "actions/channel_actions.h"

#include "tables/favourite_groups.h"
#include "views/channel_rows.h"

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

void ReorderRows(ChannelDatabase& db, const ChannelView& view, std::uint8_t kind, int top, int bottom, int to) {
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

} // namespace

void ApplyChannelEdit(ChannelDatabase& db, std::size_t index, const ServiceEdit& edit) {
    ApplyServiceEdit(db, index, edit);
    ResolveFavourites(db);
}

void ToggleLockRows(ChannelDatabase& db, const ChannelView& view, int top, int bottom) {
    for (int r = top; r <= bottom; ++r) {
        const std::int64_t index = ServiceAtRow(db, view, r);
        if (index >= 0) ToggleServiceLock(db, static_cast<std::size_t>(index));
    }
    ResolveFavourites(db);
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
    ResolveFavourites(db);
}

void DeleteViewRows(ChannelDatabase& db, const ChannelView& view, int top, int bottom) {
    std::vector<bool> doomed(db.serviceCount, false);
    bool any = false;
    for (int r = top; r <= bottom; ++r) {
        const std::int64_t index = ServiceAtRow(db, view, r);
        if (index >= 0) doomed[static_cast<std::size_t>(index)] = any = true;
    }
    if (any) {
        // One compacting pass gives the same table as DeleteService in decreasing index, in linear time.
        // The predicate is handed each record in place, so its position in the table is its index.
        const ServiceRecord* first = db.services.data();
        RemoveServicesIf(
            db, [&](const ServiceRecord& rec) { return doomed[static_cast<std::size_t>(&rec - first)]; });
    }
    ResolveFavourites(db);
}

bool InsertChannel(ChannelDatabase& db, std::uint16_t transponder, std::uint8_t kind) {
    const bool inserted = AppendService(db, NewServiceRecord(db, transponder, kind));
    ResolveFavourites(db);
    return inserted;
}

void MoveViewRows(ChannelDatabase& db, const ChannelView& view, std::uint8_t kind, int top, int bottom,
                  int to) {
    ReorderRows(db, view, kind, top, bottom, to);
    ResolveFavourites(db);
}

} // namespace tcn
