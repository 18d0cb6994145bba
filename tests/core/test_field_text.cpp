#include "views/field_text.h"

#include <gtest/gtest.h>

namespace tcn {
namespace {

TEST(FieldText, IntegersAreWholeDecimalNumbersAroundBlanks) {
    EXPECT_EQ(ParseInteger("09750"), 9750);
    EXPECT_EQ(ParseInteger(" 12  "), 12);
    EXPECT_EQ(ParseInteger("-5"), -5);
    EXPECT_EQ(ParseInteger("+7"), 7);
    EXPECT_EQ(ParseInteger("70000"), 70000);
    for (const char* bad : {"", "   ", "12 34", "09_50", "_____", "1,2", "-", "0x10", "1234567890123456789"})
        EXPECT_EQ(ParseInteger(bad), std::nullopt) << bad;
}

TEST(FieldText, TheMessageNamesTheTrimmedText) {
    EXPECT_EQ(InvalidIntegerMessage("  12 34 "), "'12 34' is not a valid integer value");
    EXPECT_EQ(InvalidIntegerMessage("     "), "'' is not a valid integer value");
}

TEST(FieldText, PositionsReadAsExactTenths) {
    EXPECT_EQ(ParsePositionText("19,2"), 192);
    EXPECT_EQ(ParsePositionText("05,0"), 50);
    EXPECT_EQ(ParsePositionText(" 00,0"), 0);
    EXPECT_EQ(ParsePositionText("19, "), 190); // a blank tenth reads as whole degrees
    EXPECT_EQ(ParsePositionText("130,5"), 1305);
    EXPECT_EQ(ParsePositionText(" 7,3"), 73);
    EXPECT_EQ(ParsePositionText("6553,5"), 65535);
    for (const char* bad : {"  ,  ", ",", "1 9,2", "19,x", "6553,6", "10000,0", "19,25", "a,1", ""})
        EXPECT_EQ(ParsePositionText(bad), std::nullopt) << bad;
}

TEST(FieldText, PositionsAndPaddedNumbersShowAsTheFieldsExpect) {
    EXPECT_EQ(FormatPositionText(192), "19,2");
    EXPECT_EQ(FormatPositionText(5), "00,5");
    EXPECT_EQ(FormatPositionText(0), "00,0");
    EXPECT_EQ(FormatPositionText(1305), "130,5");
    EXPECT_EQ(ParsePositionText(FormatPositionText(3600)), 3600);
    EXPECT_EQ(ZeroPadded(9750, 5), "09750");
    EXPECT_EQ(ZeroPadded(123456, 5), "123456");
}

} // namespace
} // namespace tcn
