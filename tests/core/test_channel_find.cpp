// Finding a channel by name in the channel view: containment regardless of case over ISO-8859-1, the
// start row and the wrap past the last row, the view's order and filter.

#include "support/db_builders.h"
#include "views/channel_find.h"

#include <gtest/gtest.h>

namespace tcn {
namespace {

TEST(FindInView, FindsTheNextRowHoldingTheTextInTheViewsOrder) {
    auto db = test::NewDatabase();
    const char* const names[] = {"Sport Eins", "Nachrichten", "\xC9\x63ole Sport", "Das Erste"}; // École
    for (const char* name : names)
        test::PushService(*db, test::MakeService(db->serviceCount, 0, name));
    test::PushService(*db, test::MakeService(db->serviceCount, 0, "Sport Radio", ServiceRecord::kKindRadio));
    ViewSettings settings;
    ResetViewSettings(settings);
    auto view = std::make_unique<ChannelView>();
    RebuildChannelView(*db, settings, *view);
    const auto find = [&](int from, std::string_view text) { return FindInView(*db, *view, from, text); };
    EXPECT_EQ(find(1, "SPORT"), 1); // the start row itself counts
    EXPECT_EQ(find(2, "sport"), 3);
    EXPECT_EQ(find(4, "sport"), 1);       // on from the top after the last row
    EXPECT_EQ(find(9, "ERST"), 4);        // a start outside the view is row 1
    EXPECT_EQ(find(1, "\xC9\x43OLE"), 3); // ÉCOLE
    EXPECT_EQ(find(1, "\xE9\x63ole"), 3); // école finds École
    EXPECT_EQ(find(1, "radio"), 0);       // not in the TV view
    EXPECT_EQ(find(1, ""), 0);

    settings.sortOrder = kOrderAscending; // Das Erste, Nachrichten, Sport Eins, École Sport
    RebuildChannelView(*db, settings, *view);
    EXPECT_EQ(find(1, "sport"), 3);
    EXPECT_EQ(find(4, "sport"), 4);
    EXPECT_EQ(FindInView(*db, ChannelView(), 1, "sport"), 0);
}

} // namespace
} // namespace tcn
