// The channel page's row actions on the tables where the page's own tests do not reach: membership marks
// for every number, deletion against the one-by-one rule, the odd cases of a dragged block, the info lines.

#include "support/db_builders.h"
#include "tables/favourite_groups.h"
#include "tables/service_table.h"
#include "actions/channel_actions.h"
#include "views/channel_rows.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

namespace tcn {
namespace {

using test::FillServices;
using test::MakeService;
using test::NewDatabase;
using test::PushService;
using test::ServiceNames;
using test::SetGroupEntries;

ViewSettings Settings(std::uint8_t kind, std::uint8_t order = kOrderTable) {
    ViewSettings settings;
    ResetViewSettings(settings);
    settings.viewKind = kind;
    settings.sortOrder = order;
    return settings;
}

std::unique_ptr<ChannelView> View(const ChannelDatabase& db, const ViewSettings& settings) {
    auto view = std::make_unique<ChannelView>();
    RebuildChannelView(db, settings, *view);
    return view;
}

TEST(FavouriteMarks, AgreeWithIsFavouriteForEveryNumber) {
    auto db = NewDatabase();
    FillServices(*db, 300);
    std::mt19937 rng(7);
    for (std::size_t g = 0; g < kFavouriteGroupCount; ++g) {
        std::vector<std::uint16_t> entries;
        for (int i = 0; i < 40; ++i)
            entries.push_back(static_cast<std::uint16_t>(rng() % 400)); // some name no service
        SetGroupEntries(*db, g, entries);
    }
    auto marks = std::make_unique<FavouriteMarks>();
    marks->bits.fill(0xFF); // stale marks of an earlier fill must go
    CollectFavouriteMarks(*db, *marks);
    for (std::uint32_t n = 0; n < 0x10000; n += (n < 500 ? 1 : 97))
        for (std::size_t g = 0; g < kFavouriteGroupCount; ++g)
            ASSERT_EQ(marks->IsMember(static_cast<std::uint16_t>(n), g),
                      IsFavourite(*db, static_cast<std::uint16_t>(n), g))
                << n << " " << g;
}

TEST(RowDeletion, MatchesDeletingInDecreasingIndexInEveryOrder) {
    std::mt19937 rng(11);
    for (std::uint8_t order : {kOrderTable, kOrderAscending, kOrderDescending}) {
        auto db = NewDatabase();
        for (int i = 0; i < 60; ++i) {
            auto rec = MakeService(static_cast<std::uint16_t>(i), 0, test::IndexedName("n", rng() % 1000),
                                   i % 3 ? ServiceRecord::kKindTv : ServiceRecord::kKindRadio);
            PushService(*db, rec);
        }
        const auto view = View(*db, Settings(1, order));
        auto expected = std::make_unique<ChannelDatabase>(*db);
        std::vector<std::int32_t> doomed(view->entries.begin() + 4, view->entries.begin() + 17);
        std::sort(doomed.rbegin(), doomed.rend());
        for (std::int32_t index : doomed)
            DeleteService(*expected, static_cast<std::size_t>(index));
        ResolveFavourites(*expected); // every action ends with the groups resolved
        DeleteViewRows(*db, *view, 5, 17);
        EXPECT_TRUE(*db == *expected) << int(order);
    }
}

// Services "T0".."T<n-1>", all TV, in table order.
std::unique_ptr<ChannelDatabase> TvServices(std::size_t n) {
    auto db = NewDatabase();
    while (db->serviceCount < n)
        PushService(*db, MakeService(db->serviceCount, 0, test::IndexedName("T", db->serviceCount)));
    return db;
}

TEST(RowMoves, OddDropsFollowTheRuleAndStayInsideTheView) {
    auto inside = TvServices(6); // rows 3..5 dropped on row 4: the first two swap
    MoveViewRows(*inside, *View(*inside, Settings(1)), 1, 3, 5, 4);
    EXPECT_EQ(ServiceNames(*inside), (std::vector<std::string>{"T0", "T1", "T3", "T2", "T4", "T5"}));
    auto beyond = TvServices(5); // a recorded bottom beyond the view moves only the rows that exist
    MoveViewRows(*beyond, *View(*beyond, Settings(1)), 1, 4, 9, 1);
    EXPECT_EQ(ServiceNames(*beyond), (std::vector<std::string>{"T3", "T4", "T0", "T1", "T2"}));

    auto same = TvServices(4);
    ResolveFavourites(*same);
    const auto before = std::make_unique<ChannelDatabase>(*same);
    const auto view = View(*same, Settings(1));
    for (int to : {2, 0, 5}) // its own first row, the header row, beyond the view
        MoveViewRows(*same, *view, 1, 2, 3, to);
    EXPECT_TRUE(*same == *before);
}

TEST(InfoLines, NameTheSatelliteAndTransponderOrStayEmptyWithoutATransponder) {
    auto db = NewDatabase();
    test::PutSatellite(*db, 3, test::MakeSatellite("Astra 1", 192, 0x80)); // East
    db->satelliteCount = 4;
    test::PushTransponder(*db, test::MakeTransponder(3, 11836500, 27500, 0x08)); // vertical
    test::PushTransponder(*db, test::MakeTransponder(90, 10714000, 22000, 0x00));
    const ServiceRecord onAstra = MakeService(0, 0, "A");
    EXPECT_EQ(ServiceSatelliteLine(*db, onAstra), "Astra 1  19.2  E");
    EXPECT_EQ(ServiceTransponderLine(*db, onAstra), "11836     V     27500");
    const ServiceRecord noSlot = MakeService(0, 1, "B");
    EXPECT_EQ(ServiceSatelliteLine(*db, noSlot), "");
    EXPECT_EQ(ServiceTransponderLine(*db, noSlot), "10714     H     22000");
    for (std::uint16_t link : {std::uint16_t{2}, kNoTransponder}) {
        const ServiceRecord orphan = MakeService(0, link, "C");
        EXPECT_EQ(ServiceSatelliteLine(*db, orphan), "");
        EXPECT_EQ(ServiceTransponderLine(*db, orphan), "");
    }
}

} // namespace
} // namespace tcn
