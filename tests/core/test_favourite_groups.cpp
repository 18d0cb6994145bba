#include "support/db_builders.h"
#include "tables/favourite_groups.h"
#include "tables/service_table.h"
#include "tables/transponder_table.h"

#include <gtest/gtest.h>

namespace tcn {
namespace {

using test::GroupEntries;
using test::NewDatabase;
using test::SetGroupEntries;
using List = std::vector<std::uint16_t>;

// Resolves the groups the slow, obvious way: one scan of the table per entry, signed comparison.
void ReferenceResolve(ChannelDatabase& db) {
    for (std::size_t g = 0; g < kFavouriteGroupCount; ++g) {
        List kept;
        for (std::uint16_t entry : GroupEntries(db, g)) {
            const auto e = static_cast<std::int16_t>(entry);
            for (std::size_t i = 0; i < db.serviceCount; ++i)
                if (db.services[i].Number() == e) {
                    kept.push_back(static_cast<std::uint16_t>(i));
                    break;
                }
        }
        SetGroupEntries(db, g, kept);
    }
    RenumberServices(db);
}

// Services named by the given numbers, linked to transponder 0.
std::unique_ptr<ChannelDatabase> Numbered(const List& numbers) {
    auto db = NewDatabase();
    for (std::uint16_t n : numbers)
        test::PushService(*db, test::MakeService(n, 0, test::IndexedName("N", n)));
    return db;
}

TEST(FavouriteMembership, AddTestAndRemove) {
    auto db = Numbered({0, 1, 2, 3});
    ClearFavouriteGroup(*db, 2);
    for (std::uint16_t i : {3, 1, 2})
        EXPECT_TRUE(AddFavourite(*db, db->services[i], 2));
    EXPECT_TRUE(IsFavourite(*db, 1, 2));
    EXPECT_FALSE(IsFavourite(*db, 0, 2));
    EXPECT_FALSE(IsFavourite(*db, 0xFFFF, 2)); // the unused positions do not count
    EXPECT_FALSE(IsFavourite(*db, 1, 1));

    EXPECT_TRUE(RemoveFavourite(*db, db->services[3], 2));
    EXPECT_EQ(GroupEntries(*db, 2), (List{1, 2}));
    EXPECT_EQ(db->config.Group(2).Entry(2), kNoFavourite);
    EXPECT_FALSE(RemoveFavourite(*db, db->services[0], 2));
    EXPECT_EQ(GroupEntries(*db, 2), (List{1, 2}));
}

TEST(FavouriteMembership, RemovingTheOnlyMemberClearsTheGroupButANonMemberLeavesIt) {
    auto db = Numbered({0, 1});
    FavouriteGroupRecord rec;
    rec.bytes.fill(0x11);
    rec.SetCount(1);
    rec.SetEntry(0, 1);
    db->config.SetGroup(0, rec);

    EXPECT_FALSE(RemoveFavourite(*db, db->services[0], 0));
    EXPECT_EQ(GroupEntries(*db, 0), List{1});
    EXPECT_TRUE(RemoveFavourite(*db, db->services[1], 0));
    const FavouriteGroupRecord now = db->config.Group(0);
    EXPECT_EQ(now.Count(), 0);
    for (std::size_t i = 0; i < kFavouriteCapacity; ++i)
        ASSERT_EQ(now.Entry(i), kNoFavourite);
    EXPECT_EQ(now.Name(), std::string(20, '\x11')); // the name stays
}

TEST(FavouriteMembership, GroupsHoldTwoHundredEntries) {
    auto db = Numbered({7});
    ClearFavouriteGroup(*db, 4);
    for (int i = 0; i < 200; ++i)
        ASSERT_TRUE(AddFavourite(*db, db->services[0], 4));
    const ConfigBuffer before = db->config;
    EXPECT_FALSE(AddFavourite(*db, db->services[0], 4));
    EXPECT_EQ(db->config, before);
    EXPECT_EQ(FavouriteGroupCount(*db, 4), 200);
}

TEST(FavouriteMembership, GroupIndicesOutsideTheFiveDoNothing) {
    auto db = Numbered({0});
    const ConfigBuffer before = db->config;
    EXPECT_FALSE(AddFavourite(*db, db->services[0], 5));
    EXPECT_FALSE(RemoveFavourite(*db, db->services[0], 5));
    EXPECT_FALSE(IsFavourite(*db, 0, 5));
    ClearFavouriteGroup(*db, 5);
    MoveFavourite(*db, 0, 1, 5);
    SetFavouriteGroupName(*db, 5, "x");
    EXPECT_EQ(db->config, before);
    EXPECT_EQ(FavouriteGroupCount(*db, 5), 0);
    EXPECT_EQ(FavouriteEntry(*db, 5, 0), kNoFavourite);
    EXPECT_EQ(FavouriteGroupName(*db, 5), "");
}

TEST(FavouriteMove, MovesOneEntryWithinTheGroup) {
    const auto moved = [](std::size_t from, std::size_t to) {
        auto db = NewDatabase();
        SetGroupEntries(*db, 1, {10, 11, 12, 13, 14});
        MoveFavourite(*db, from, to, 1);
        return GroupEntries(*db, 1);
    };
    EXPECT_EQ(moved(3, 1), (List{10, 13, 11, 12, 14}));
    EXPECT_EQ(moved(1, 3), (List{10, 12, 13, 11, 14}));
    EXPECT_EQ(moved(0, 4), (List{11, 12, 13, 14, 10}));
    EXPECT_EQ(moved(2, 2), (List{10, 11, 12, 13, 14}));
    EXPECT_EQ(moved(5, 0), (List{10, 11, 12, 13, 14}));
    EXPECT_EQ(moved(0, 5), (List{10, 11, 12, 13, 14}));
}

TEST(FavouriteResolve, TurnsNumbersIntoIndicesDropsUnknownOnesAndRenumbers) {
    auto db = Numbered({40, 7, 0x8000, 7, 12});
    SetGroupEntries(*db, 0, {7, 99, 12, 40, 0x8000, 0xFFFF, 7});
    SetGroupEntries(*db, 3, {99});
    ResolveFavourites(*db);
    // Entries at 0x8000 and above never name a service, even one carrying that number.
    EXPECT_EQ(GroupEntries(*db, 0), (List{1, 4, 0, 1}));
    EXPECT_EQ(GroupEntries(*db, 3), List{});
    for (std::size_t i = 4; i < kFavouriteCapacity; ++i)
        ASSERT_EQ(db->config.Group(0).Entry(i), kNoFavourite);
    EXPECT_EQ(test::ServiceNumbers(*db), (List{0, 1, 2, 3, 4}));
}

TEST(FavouriteResolve, MatchesAScanPerEntryOnRandomData) {
    std::mt19937 rng(99);
    std::uniform_int_distribution<int> number(0, 6000), count(0, 200);
    for (int round = 0; round < 20; ++round) {
        auto db = NewDatabase();
        test::FillRandom(db->config, rng);
        for (std::size_t i = 0; i < 3000; ++i) {
            ServiceRecord rec;
            rec.SetNumber(static_cast<std::uint16_t>(i % 7 == 0 ? 0x8000 + number(rng) : number(rng)));
            test::PushService(*db, rec);
        }
        for (std::size_t g = 0; g < kFavouriteGroupCount; ++g) {
            List entries(static_cast<std::size_t>(count(rng)));
            for (auto& e : entries)
                e = static_cast<std::uint16_t>(g == 4 ? rng() : number(rng));
            SetGroupEntries(*db, g, entries);
        }
        auto expected = std::make_unique<ChannelDatabase>(*db);
        ResolveFavourites(*db);
        ReferenceResolve(*expected);
        ASSERT_TRUE(*db == *expected);
    }
}

TEST(FavouriteResolve, CountsAboveTwoHundredAreReadAsTwoHundred) {
    auto db = Numbered({0, 1, 2});
    std::mt19937 rng(4);
    test::FillRandom(db->config, rng);
    SetGroupEntries(*db, 1, List(200, 2));
    FavouriteGroupRecord rec = db->config.Group(1);
    rec.SetCount(0xFFFF);
    db->config.SetGroup(1, rec);
    const FavouriteGroupRecord next = db->config.Group(2);

    EXPECT_EQ(FavouriteGroupCount(*db, 1), 200);
    EXPECT_FALSE(AddFavourite(*db, db->services[0], 1));
    EXPECT_EQ(FavouriteEntry(*db, 1, 199), 2);
    EXPECT_EQ(FavouriteEntry(*db, 1, 200), kNoFavourite);
    ResolveFavourites(*db);
    EXPECT_EQ(db->config.Group(1).Count(), 200);
    EXPECT_EQ(db->config.Group(2).Name(), next.Name()); // position 200 would be group 2's name
}

TEST(FavouriteResolve, MembershipsFollowServicesThroughMovesAndDeletes) {
    auto db = NewDatabase();
    test::PushTransponder(*db, test::MakeTransponder(0));
    test::PushTransponder(*db, test::MakeTransponder(0));
    for (std::uint16_t i = 0; i < 6; ++i)
        test::PushService(*db, test::MakeService(i, i == 4 ? 1 : 0, test::IndexedName("S", i)));
    SetGroupEntries(*db, 0, {5, 2, 4});
    SetGroupEntries(*db, 1, {1, 3});
    ResolveFavourites(*db);

    MoveService(*db, 5, 0); // S5 S0 S1 S2 S3 S4
    DeleteService(*db, 2);  // S5 S0 S2 S3 S4
    ResolveFavourites(*db);
    EXPECT_EQ(GroupEntries(*db, 0), (List{0, 2, 4}));
    EXPECT_EQ(GroupEntries(*db, 1), (List{3}));

    DeleteTransponders(*db, List{1}); // takes S4 with it
    ResolveFavourites(*db);
    EXPECT_EQ(GroupEntries(*db, 0), (List{0, 2}));
    EXPECT_EQ(test::ServiceNames(*db), (std::vector<std::string>{"S5", "S0", "S2", "S3"}));

    AppendService(*db, NewServiceRecord(*db, 0, ServiceRecord::kKindTv));
    ResolveFavourites(*db);
    for (std::size_t g = 0; g < kFavouriteGroupCount; ++g)
        EXPECT_FALSE(IsFavourite(*db, 4, g));
}

TEST(FavouriteNames, TwentyCharactersWithoutTerminatorAndNothingBeyond) {
    auto db = NewDatabase();
    SetGroupEntries(*db, 3, {1, 2});
    SetFavouriteGroupName(*db, 3, "ABCDEFGHIJKLMNOPQRSTUVWXYZ");
    EXPECT_EQ(FavouriteGroupName(*db, 3), "ABCDEFGHIJKLMNOPQRST");
    EXPECT_EQ(FavouriteGroupCount(*db, 3), 2);
    SetFavouriteGroupName(*db, 3, "News");
    EXPECT_EQ(FavouriteGroupName(*db, 3), "News");
    const FavouriteGroupRecord rec = db->config.Group(3);
    EXPECT_TRUE(std::all_of(rec.bytes.begin() + 4, rec.bytes.begin() + 20, [](auto b) { return b == 0; }));
}

} // namespace
} // namespace tcn
