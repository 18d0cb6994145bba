// The actions of the pages that are more than one table operation: block moves and range deletes in a
// favourite group, the transponder range delete with the row it leaves selected, and a satellite added
// like the one selected.

#include "actions/favourite_actions.h"
#include "actions/satellite_actions.h"
#include "actions/transponder_actions.h"
#include "support/db_builders.h"
#include "tables/favourite_groups.h"
#include "tables/transponder_table.h"

#include <gtest/gtest.h>

namespace tcn {
namespace {

using test::GroupEntries;
using test::NewDatabase;
using List = std::vector<std::uint16_t>;

// Services 0..9 numbered by their index; group 1 holds 2, 4, 6, 8, 9 in that order.
std::unique_ptr<ChannelDatabase> GroupOfFive() {
    auto db = NewDatabase();
    test::FillServices(*db, 10);
    test::SetGroupEntries(*db, 1, {2, 4, 6, 8, 9});
    return db;
}

TEST(FavouriteActions, ABlockKeepsItsOrderUpAndDownAndOnlyShownRowsMove) {
    auto db = GroupOfFive();
    MoveFavouriteRows(*db, 1, 3, 4, 1); // rows 3..4 up onto row 1
    EXPECT_EQ(GroupEntries(*db, 1), (List{6, 8, 2, 4, 9}));
    MoveFavouriteRows(*db, 1, 1, 2, 4); // rows 1..2 down onto row 4: the block ends there
    EXPECT_EQ(GroupEntries(*db, 1), (List{2, 4, 6, 8, 9}));
    MoveFavouriteRows(*db, 1, 4, 9, 2); // a bottom beyond the group: rows 4..5 only
    EXPECT_EQ(GroupEntries(*db, 1), (List{2, 8, 9, 4, 6}));
    const List before = GroupEntries(*db, 1);
    for (int to : {0, 6, 4}) // the header row, beyond the group, the block's own top row
        MoveFavouriteRows(*db, 1, 4, 5, to);
    EXPECT_EQ(GroupEntries(*db, 1), before);
}

TEST(FavouriteActions, ARangeLeavesTheGroupWithRowsBeyondItIgnored) {
    auto db = GroupOfFive();
    RemoveFavouriteRows(*db, 1, 2, 3);
    EXPECT_EQ(GroupEntries(*db, 1), (List{2, 8, 9}));
    RemoveFavouriteRows(*db, 1, 3, 200);
    EXPECT_EQ(GroupEntries(*db, 1), (List{2, 8}));
    RemoveFavouriteRows(*db, 1, 0, 0);
    EXPECT_EQ(GroupEntries(*db, 1), (List{2, 8}));
}

TEST(TransponderActions, TheRowLeftSelectedFollowsTheDeletedRange) {
    struct Case {
        int top, bottom, selected;
    } cases[] = {{3, 5, 3}, {9, 10, 8}, {10, 10, 9}, {4, 4, 4}, {1, 10, 0}, {8, 99, 7}};
    for (const Case& c : cases) {
        auto db = NewDatabase();
        test::AddSatellites(*db, 2);
        for (std::uint32_t i = 0; i < 10; ++i) {
            test::PushTransponder(*db, test::MakeTransponder(1, 10000000 + i * 1000));
            test::PushTransponder(*db, test::MakeTransponder(0, 11000000 + i * 1000)); // another satellite
        }
        EXPECT_EQ(DeleteTransponderRows(*db, 1, c.top, c.bottom), c.selected) << c.top << ".." << c.bottom;
        const int kept = 10 - (std::min(c.bottom, 10) - c.top + 1);
        EXPECT_EQ(BuildSatelliteTransponderList(*db, 1).size(), static_cast<std::size_t>(kept));
        EXPECT_EQ(BuildSatelliteTransponderList(*db, 0).size(), 10u);
    }
}

TEST(SatelliteActions, AnAddedSatelliteTakesWhatTheGroupShowsForTheSelectedOne) {
    // ToneBurst on port C is shown on the last port it offers (B); LNB code 3 reads as User with the
    // stored pair; a record without a side takes the side the group showed.
    auto db = NewDatabase();
    SatelliteRecord model = test::MakeSatellite("A name longer than nineteen", 1305, 0x20 | kDiseqcToneBurst);
    model.SetFlags(static_cast<std::uint8_t>(model.Flags() | (3 << 2)));
    model.SetLnbLow(9000);
    model.SetLnbHigh(10000);
    test::PutSatellite(*db, 0, model);
    db->satelliteCount = 1;

    const auto slot = AddSatelliteLike(*db, EditShowing(ReadSatellite(*db, 0), Orientation::East));
    ASSERT_EQ(slot, std::optional<std::uint8_t>(1));
    const SatelliteRecord added = ReadSatellite(*db, 1);
    EXPECT_EQ(added.Name(), std::string_view("A name longer than "));
    EXPECT_EQ(added.Position(), 1305);
    EXPECT_EQ(added.Orientation(), static_cast<std::uint8_t>(Orientation::East));
    EXPECT_EQ(added.LnbType(), kLnbUser);
    EXPECT_EQ(added.LnbLow(), 9000);
    EXPECT_EQ(added.LnbHigh(), 10000);
    EXPECT_EQ(added.DiseqcType(), kDiseqcToneBurst);
    EXPECT_EQ(added.DiseqcPort(), 1);
    EXPECT_EQ(db->satelliteCount, 2);

    db->satelliteCount = kSatelliteCapacity;
    EXPECT_EQ(AddSatelliteLike(*db, EditShowing(model, std::nullopt)), std::nullopt);
}

} // namespace
} // namespace tcn
