// The orbital position field: how it shows a stored position and reads what it holds back as tenths.

#include "views/position_field.h"

#include <gtest/gtest.h>

using namespace tcn;

TEST(PositionField, ShowsEveryStoredPositionExactly) {
    EXPECT_EQ(PositionFieldText(192, PositionFieldDigits(192)), " 19,2");
    EXPECT_EQ(PositionFieldText(5, PositionFieldDigits(5)), " 00,5");
    EXPECT_EQ(PositionFieldText(0, PositionFieldDigits(0)), " 00,0");
    EXPECT_EQ(PositionFieldText(1305, PositionFieldDigits(1305)), "130,5");
    EXPECT_EQ(PositionFieldText(9999, PositionFieldDigits(9999)), "999,9");
    // Beyond three places the field widens rather than drop a digit.
    EXPECT_EQ(PositionFieldDigits(10000), 4);
    EXPECT_EQ(PositionFieldText(10000, 4), "1000,0");
    EXPECT_EQ(PositionFieldText(65535, 4), "6553,5");
    EXPECT_EQ(PositionFieldText(192, 4), "  19,2");
    for (std::uint32_t tenths : {0u, 5u, 192u, 999u, 1000u, 3600u, 9999u, 10000u, 65535u}) {
        const auto t = static_cast<std::uint16_t>(tenths);
        EXPECT_EQ(ReadPositionField(PositionFieldText(t, PositionFieldDigits(t))), t) << tenths;
    }
}

TEST(PositionField, ReadsTypedTextWithBlanksBesideTheComma) {
    EXPECT_EQ(ReadPositionField("19 ,2"), 192); // two digits typed into three places
    EXPECT_EQ(ReadPositionField("5  ,0"), 50);
    EXPECT_EQ(ReadPositionField("123, "), 1230); // a blank tenth reads as whole degrees
    EXPECT_EQ(ReadPositionField(" 19, "), 190);
    EXPECT_EQ(ReadPositionField("   ,7"), 7);
    for (const char* bad : {"   , ", "1 9,2", " 1 ,2 2", "19,x", "6553,6", "", "12_,4"})
        EXPECT_EQ(ReadPositionField(bad), std::nullopt) << bad;
}
