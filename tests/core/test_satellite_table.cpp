#include "support/db_builders.h"
#include "tables/satellite_table.h"

#include <gtest/gtest.h>

namespace tcn {
namespace {

using test::NewDatabase;

SatelliteEdit UniversalEdit(std::string name = "Sat") {
    SatelliteEdit e;
    e.name = std::move(name);
    e.position = 192;
    return e;
}

TEST(SatelliteCount, CountsInUseBitsOverAllSlotsAndStoresTheResult) {
    auto db = NewDatabase();
    EXPECT_EQ(CountSatellites(*db), 0);
    for (std::size_t slot : {0u, 1u, 40u, 79u})
        test::PutSatellite(*db, slot, test::MakeSatellite("x", 1));
    SatelliteRecord other = test::MakeSatellite("y", 2);
    other.SetFlags(0xFE); // every bit but in-use
    test::PutSatellite(*db, 2, other);
    EXPECT_EQ(CountSatellites(*db), 4);
    EXPECT_EQ(db->satelliteCount, 4);
}

TEST(SatelliteCount, ReadOnlyCountLeavesTheStoredCountAlone) {
    auto db = NewDatabase();
    test::PutSatellite(*db, 0, test::MakeSatellite("x", 1));
    test::PutSatellite(*db, 79, test::MakeSatellite("y", 2));
    db->satelliteCount = 7;
    EXPECT_EQ(CountSatellitesInUse(*db), 2);
    EXPECT_EQ(db->satelliteCount, 7);
}

TEST(SatelliteAdd, TakesTheNextSlotMarksItWestAndKeepsItsOtherBytes) {
    auto db = NewDatabase();
    std::mt19937 rng(1);
    SatelliteRecord stored;
    test::FillRandom(stored, rng);
    stored.SetFlags(0xFE);
    stored.SetSwitching(0xBF); // East, every lower bit set
    test::PutSatellite(*db, 0, stored);
    ASSERT_EQ(CountSatellites(*db), 0);

    ASSERT_EQ(AddSatellite(*db), std::optional<std::uint8_t>(0));
    EXPECT_EQ(db->satelliteCount, 1);
    const SatelliteRecord added = ReadSatellite(*db, 0);
    EXPECT_EQ(added.Flags(), 0xFF);
    EXPECT_EQ(added.Switching(), 0x7F);
    EXPECT_EQ(test::DifferingOffsets(stored, added), (std::vector<std::size_t>{35, 36}));
}

TEST(SatelliteAdd, IsRefusedAtEightySatellites) {
    auto db = NewDatabase();
    test::AddSatellites(*db, 79);
    EXPECT_EQ(AddSatellite(*db), std::optional<std::uint8_t>(79));
    const ConfigBuffer before = db->config;
    EXPECT_EQ(AddSatellite(*db), std::nullopt);
    EXPECT_EQ(db->satelliteCount, 80);
    EXPECT_EQ(db->config, before);
}

TEST(SatelliteEdit, ChangesOnlyTheFieldsItOwns) {
    std::mt19937 rng(7);
    for (int round = 0; round < 50; ++round) {
        auto db = NewDatabase();
        test::FillRandom(db->config, rng);
        db->satelliteCount = 3;
        const ConfigBuffer before = db->config;
        SatelliteEdit e = UniversalEdit("Hot Bird");
        e.orientation = Orientation::East;
        e.lnbType = kLnbUser;
        e.lnbLow = 9750;
        e.lnbHigh = 10700;
        e.diseqcType = kDiseqcSwitch10;
        e.diseqcPort = 2;
        ApplySatelliteEdit(*db, 1, e);

        const SatelliteRecord old = before.Satellite(1), now = ReadSatellite(*db, 1);
        for (std::size_t off : test::DifferingOffsets(before, db->config)) {
            const std::size_t rel = off - ConfigBuffer::kSatelliteTable - 40;
            ASSERT_TRUE(rel < 26 || rel == 35 || rel == 36) << "byte " << off;
        }
        EXPECT_EQ(now.Name(), "Hot Bird");
        EXPECT_EQ(now.Position(), 192);
        EXPECT_EQ(now.Flags(), (old.Flags() & 0xF3) | 0x08);
        EXPECT_EQ(now.Switching(), 0xA2);
        EXPECT_EQ(now.LnbLow(), 9750);
        EXPECT_EQ(now.LnbHigh(), 10700);
    }
}

TEST(SatelliteEdit, UserLnbPairFallsBackToUniversalWhenInvalid) {
    struct Case {
        std::uint32_t low, high;
        bool accepted;
    };
    for (const Case c :
         {Case{9750, 10750, true}, Case{0, 1, true}, Case{10750, 10750, false}, Case{10600, 9750, false},
          Case{9750, 10751, false}, Case{9750, 65536, false}, Case{65536 + 9750, 10600, false}}) {
        auto db = NewDatabase();
        test::AddSatellites(*db, 1);
        SatelliteEdit e = UniversalEdit();
        e.lnbType = kLnbUser;
        e.lnbLow = c.low;
        e.lnbHigh = c.high;
        ApplySatelliteEdit(*db, 0, e);
        const SatelliteRecord rec = ReadSatellite(*db, 0);
        SCOPED_TRACE(std::to_string(c.low) + "/" + std::to_string(c.high));
        EXPECT_EQ(rec.LnbType(), c.accepted ? kLnbUser : kLnbUniversal);
        EXPECT_EQ(rec.LnbLow(), c.accepted ? c.low : 9750u);
        EXPECT_EQ(rec.LnbHigh(), c.accepted ? c.high : 10600u);
    }
}

TEST(SatelliteEdit, FixedLnbTypesOverwriteTheStoredPair) {
    auto db = NewDatabase();
    test::AddSatellites(*db, 1);
    SatelliteRecord rec = ReadSatellite(*db, 0);
    rec.SetLnbLow(1234);
    rec.SetLnbHigh(5678);
    rec.SetFlags(0x0D); // type 3
    test::PutSatellite(*db, 0, rec);
    SatelliteEdit e = UniversalEdit();
    e.lnbType = kLnbNormal;
    ApplySatelliteEdit(*db, 0, e);
    EXPECT_EQ(ReadSatellite(*db, 0).LnbType(), kLnbNormal);
    EXPECT_EQ(ReadSatellite(*db, 0).LnbLow(), 5150);
    EXPECT_EQ(ReadSatellite(*db, 0).LnbHigh(), 5750);
    e.lnbType = kLnbUniversal;
    ApplySatelliteEdit(*db, 0, e);
    EXPECT_EQ(ReadSatellite(*db, 0).Flags(), 0x01);
    EXPECT_EQ(ReadSatellite(*db, 0).LnbLow(), 9750);
    EXPECT_EQ(ReadSatellite(*db, 0).LnbHigh(), 10600);
}

TEST(SatelliteEdit, DiseqcPortIsKeptOnlyForPortedTypesAndAbsentChoicesKeepBits) {
    auto db = NewDatabase();
    test::PutSatellite(*db, 0, test::MakeSatellite("x", 1, 0x80 | 0x10 | kDiseqcToneBurst)); // East, port B
    db->satelliteCount = 1;
    const auto switching = [&] { return ReadSatellite(*db, 0).Switching(); };

    SatelliteEdit e = UniversalEdit(); // no orientation, no DiSEqC type
    ApplySatelliteEdit(*db, 0, e);
    EXPECT_EQ(switching(), 0x91);

    e.diseqcType = kDiseqcMotor;
    e.diseqcPort = 1;
    ApplySatelliteEdit(*db, 0, e);
    EXPECT_EQ(switching(), 0x84);

    e.diseqcType = kDiseqcSwitch11;
    e.diseqcPort = 3;
    e.orientation = Orientation::West;
    ApplySatelliteEdit(*db, 0, e);
    EXPECT_EQ(switching(), 0x73);

    e.diseqcType = kDiseqcNone;
    ApplySatelliteEdit(*db, 0, e);
    EXPECT_EQ(switching(), 0x40);
}

TEST(SatelliteEdit, NameIsCutToNineteenCharactersAndZeroFilled) {
    auto db = NewDatabase();
    test::AddSatellites(*db, 1);
    const auto field = [&] {
        const SatelliteRecord r = ReadSatellite(*db, 0);
        return std::string(reinterpret_cast<const char*>(r.bytes.data()), 20);
    };
    ApplySatelliteEdit(*db, 0, UniversalEdit("ABCDEFGHIJKLMNOPQRSTUVWXYZ"));
    EXPECT_EQ(field(), std::string("ABCDEFGHIJKLMNOPQRS") + '\0');
    ApplySatelliteEdit(*db, 0, UniversalEdit("Astra"));
    EXPECT_EQ(field(), std::string("Astra") + std::string(15, '\0'));
    ApplySatelliteEdit(*db, 0, UniversalEdit(""));
    EXPECT_EQ(field(), std::string(20, '\0'));
}

TEST(SatelliteEdit, ValuesTheRecordCannotHoldAndSlotsNotInUseChangeNothing) {
    auto db = NewDatabase();
    test::AddSatellites(*db, 2);
    const ConfigBuffer before = db->config;
    SatelliteEdit e = UniversalEdit("Changed");
    ApplySatelliteEdit(*db, 2, e);  // beyond the count
    ApplySatelliteEdit(*db, 80, e); // beyond the table
    e.position = 65536;
    ApplySatelliteEdit(*db, 0, e);
    e = UniversalEdit("Changed");
    e.lnbType = 3;
    ApplySatelliteEdit(*db, 0, e);
    e = UniversalEdit("Changed");
    e.diseqcType = 6;
    ApplySatelliteEdit(*db, 0, e);
    e.diseqcType = kDiseqcSwitch10;
    e.diseqcPort = 4;
    ApplySatelliteEdit(*db, 0, e);
    EXPECT_EQ(db->config, before);
    // Even with a count no operation produces, nothing is written past slot 79 (the favourite groups
    // follow it) and nothing is read there.
    db->satelliteCount = 255;
    ApplySatelliteEdit(*db, 80, UniversalEdit("Changed"));
    EXPECT_EQ(db->config, before);
    EXPECT_EQ(ReadSatellite(*db, 80), SatelliteRecord{});
    db->satelliteCount = 2;

    e = UniversalEdit("Changed");
    e.position = 65535;
    ApplySatelliteEdit(*db, 0, e);
    EXPECT_EQ(ReadSatellite(*db, 0).Position(), 65535);
}

TEST(SatelliteText, PositionAndLabelForms) {
    EXPECT_EQ(FormatSatellitePosition(test::MakeSatellite("", 192, 0x80)), "19.2  E");
    EXPECT_EQ(FormatSatellitePosition(test::MakeSatellite("", 5, 0x40)), "0.5  W");
    EXPECT_EQ(FormatSatellitePosition(test::MakeSatellite("", 1300, 0x3F)), "130.0  ");
    EXPECT_EQ(FormatSatellitePosition(test::MakeSatellite("", 65535, 0xC0)), "6553.5  ");
    EXPECT_EQ(FormatSatelliteLabel(test::MakeSatellite("Astra 1", 192, 0x80)), "Astra 1  19.2  E");

    SatelliteRecord full = test::MakeSatellite("", 10, 0x40);
    for (std::size_t i = 0; i < 20; ++i)
        full.bytes[i] = 'N';
    EXPECT_EQ(FormatSatelliteLabel(full), std::string(20, 'N') + "  1.0  W");
}

} // namespace
} // namespace tcn
