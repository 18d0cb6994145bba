#include "tables/favourite_groups.h"

#include "tables/service_table.h"

#include <algorithm>
#include <vector>

namespace tcn {

namespace {

// The group's count as every operation reads it: never more than the 200 entries the record holds.
std::size_t MemberCount(const FavouriteGroupRecord& rec) {
    return std::min<std::size_t>(rec.Count(), kFavouriteCapacity);
}

// Entries are matched as signed 16-bit values against unsigned service numbers, so only entries below
// 0x8000 can ever name a service.
constexpr std::size_t kMatchableNumbers = 0x8000;

} // namespace

bool IsFavourite(const ChannelDatabase& db, std::uint16_t number, std::size_t group) {
    if (group >= kFavouriteGroupCount) return false;
    const FavouriteGroupRecord rec = db.config.Group(group);
    const std::size_t count = MemberCount(rec);
    for (std::size_t i = 0; i < count; ++i)
        if (rec.Entry(i) == number) return true;
    return false;
}

bool AddFavourite(ChannelDatabase& db, const ServiceRecord& service, std::size_t group) {
    if (group >= kFavouriteGroupCount) return false;
    FavouriteGroupRecord rec = db.config.Group(group);
    const std::size_t count = MemberCount(rec);
    if (count >= kFavouriteCapacity) return false;
    rec.SetEntry(count, service.Number());
    rec.SetCount(static_cast<std::uint16_t>(count + 1));
    db.config.SetGroup(group, rec);
    return true;
}

bool RemoveFavourite(ChannelDatabase& db, const ServiceRecord& service, std::size_t group) {
    if (group >= kFavouriteGroupCount) return false;
    FavouriteGroupRecord rec = db.config.Group(group);
    const std::size_t count = MemberCount(rec);
    std::size_t pos = 0;
    while (pos < count && rec.Entry(pos) != service.Number())
        ++pos;
    if (pos == count) return false;
    if (count == 1) {
        ClearFavouriteGroup(db, group);
        return true;
    }
    for (std::size_t i = pos; i + 1 < count; ++i)
        rec.SetEntry(i, rec.Entry(i + 1));
    rec.SetEntry(count - 1, kNoFavourite);
    rec.SetCount(static_cast<std::uint16_t>(count - 1));
    db.config.SetGroup(group, rec);
    return true;
}

void ClearFavouriteGroup(ChannelDatabase& db, std::size_t group) {
    if (group >= kFavouriteGroupCount) return;
    FavouriteGroupRecord rec = db.config.Group(group);
    for (std::size_t i = 0; i < kFavouriteCapacity; ++i)
        rec.SetEntry(i, kNoFavourite);
    rec.SetCount(0);
    db.config.SetGroup(group, rec);
}

void MoveFavourite(ChannelDatabase& db, std::size_t from, std::size_t to, std::size_t group) {
    if (group >= kFavouriteGroupCount) return;
    FavouriteGroupRecord rec = db.config.Group(group);
    const std::size_t count = MemberCount(rec);
    if (from >= count || to >= count || from == to) return;
    const std::uint16_t moved = rec.Entry(from);
    if (from > to)
        for (std::size_t i = from; i > to; --i)
            rec.SetEntry(i, rec.Entry(i - 1));
    else
        for (std::size_t i = from; i < to; ++i)
            rec.SetEntry(i, rec.Entry(i + 1));
    rec.SetEntry(to, moved);
    db.config.SetGroup(group, rec);
}

void ResolveFavourites(ChannelDatabase& db) {
    // One pass over the services gives, for every matchable number, the first table index carrying it;
    // looking entries up there gives the same result as scanning the table once per entry. The map only
    // reaches the highest number a service carries (after a renumbering, the service count).
    const std::size_t services = std::min<std::size_t>(db.serviceCount, kServiceCapacity);
    std::size_t mapSize = 0;
    for (std::size_t i = 0; i < services; ++i) {
        const std::uint16_t number = db.services[i].Number();
        if (number < kMatchableNumbers) mapSize = std::max<std::size_t>(mapSize, number + 1u);
    }
    std::vector<std::uint16_t> firstIndex(mapSize, kNoFavourite);
    for (std::size_t i = 0; i < services; ++i) {
        const std::uint16_t number = db.services[i].Number();
        if (number < kMatchableNumbers && firstIndex[number] == kNoFavourite)
            firstIndex[number] = static_cast<std::uint16_t>(i);
    }

    for (std::size_t g = 0; g < kFavouriteGroupCount; ++g) {
        FavouriteGroupRecord rec = db.config.Group(g);
        const std::size_t count = MemberCount(rec);
        std::size_t kept = 0;
        // Resolved entries are written back in place: position `kept` never lies ahead of position i.
        for (std::size_t i = 0; i < count; ++i) {
            const std::uint16_t entry = rec.Entry(i);
            const std::uint16_t index = entry < mapSize ? firstIndex[entry] : kNoFavourite;
            if (index != kNoFavourite) rec.SetEntry(kept++, index);
        }
        for (std::size_t i = kept; i < kFavouriteCapacity; ++i)
            rec.SetEntry(i, kNoFavourite);
        rec.SetCount(static_cast<std::uint16_t>(kept));
        db.config.SetGroup(g, rec);
    }

    RenumberServices(db);
}

std::string FavouriteGroupName(const ChannelDatabase& db, std::size_t g) {
    if (g >= kFavouriteGroupCount) return {};
    return std::string(db.config.Group(g).Name());
}

void SetFavouriteGroupName(ChannelDatabase& db, std::size_t g, std::string_view name) {
    if (g >= kFavouriteGroupCount) return;
    FavouriteGroupRecord rec = db.config.Group(g);
    rec.SetText(FavouriteGroupRecord::kName, FavouriteGroupRecord::kNameSize, FavouriteGroupRecord::kNameSize,
                name);
    db.config.SetGroup(g, rec);
}

std::uint16_t FavouriteGroupCount(const ChannelDatabase& db, std::size_t g) {
    if (g >= kFavouriteGroupCount) return 0;
    return static_cast<std::uint16_t>(MemberCount(db.config.Group(g)));
}

std::uint16_t FavouriteEntry(const ChannelDatabase& db, std::size_t g, std::size_t pos) {
    if (g >= kFavouriteGroupCount) return kNoFavourite;
    const FavouriteGroupRecord rec = db.config.Group(g);
    if (pos >= MemberCount(rec)) return kNoFavourite;
    return rec.Entry(pos);
}

} // namespace tcn
