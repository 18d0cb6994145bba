#include "support/db_builders.h"
#include "tables/service_table.h"
#include "tables/transponder_table.h"

#include <gtest/gtest.h>

namespace tcn {
namespace {

using test::NewDatabase;
using List = std::vector<std::uint16_t>;

// Deletes one transponder at a time the slow, obvious way, for comparison with DeleteTransponders.
void ReferenceDelete(ChannelDatabase& db, const List& indices) {
    for (std::uint16_t d : indices) {
        if (d >= db.transponderCount) continue;
        db.transponders[d] = FreeTransponderSlot();
        for (bool found = true; found;) {
            found = false;
            for (std::size_t i = 0; i < db.serviceCount && !found; ++i)
                if (db.services[i].Transponder() == d) {
                    DeleteService(db, i);
                    found = true;
                }
        }
    }
    CompactTransponderTable(db);
}

TEST(TransponderAdd, NewRecordHasTheFixedBytePatternAndComesLastInItsList) {
    auto db = NewDatabase();
    test::PushTransponder(*db, test::MakeTransponder(3));
    test::PushTransponder(*db, test::MakeTransponder(4));
    ASSERT_EQ(AddTransponder(*db, 3), std::optional<std::uint16_t>(2));
    EXPECT_EQ(db->transponderCount, 3);
    const std::array<std::uint8_t, 12> expected{3, 0xFF, 0, 0, 0, 0, 0, 0, 0, 0, 0xF0, 0xFF};
    EXPECT_EQ(ReadTransponder(*db, 2).bytes, expected);
    EXPECT_EQ(BuildSatelliteTransponderList(*db, 3), (List{0, 2}));
    EXPECT_EQ(BuildSatelliteTransponderList(*db, 4), (List{1}));
    EXPECT_EQ(BuildSatelliteTransponderList(*db, 5), List{});
}

TEST(TransponderAdd, LimitsPerSatelliteAndForTheWholeTable) {
    auto db = NewDatabase();
    for (int i = 0; i < 199; ++i)
        ASSERT_TRUE(AddTransponder(*db, 1));
    EXPECT_EQ(AddTransponder(*db, 1), std::optional<std::uint16_t>(199));
    EXPECT_EQ(AddTransponder(*db, 1), std::nullopt);
    EXPECT_TRUE(AddTransponder(*db, 2));
    EXPECT_EQ(AddTransponder(*db, 0xFF), std::nullopt); // would read as a deleted record
    EXPECT_EQ(AddTransponder(*db, 80), std::nullopt);

    for (std::uint8_t s = 2; db->transponderCount < kTransponderCapacity; ++s)
        while (db->transponderCount < kTransponderCapacity && AddTransponder(*db, s)) {
        }
    const auto before = db->transponders;
    EXPECT_EQ(AddTransponder(*db, 79), std::nullopt);
    EXPECT_EQ(db->transponderCount, kTransponderCapacity);
    EXPECT_EQ(db->transponders, before);
}

TEST(TransponderList, ListsEveryTransponderOfASatelliteEvenBeyondTwoHundred) {
    auto db = NewDatabase();
    for (int i = 0; i < 250; ++i)
        test::PushTransponder(*db, test::MakeTransponder(i % 5 == 0 ? 9 : 7));
    const List seven = BuildSatelliteTransponderList(*db, 7);
    EXPECT_EQ(seven.size(), 200u);
    EXPECT_EQ(BuildSatelliteTransponderList(*db, 9).size(), 50u);
    EXPECT_TRUE(std::is_sorted(seven.begin(), seven.end()));
    test::PushTransponder(*db, test::MakeTransponder(7));
    EXPECT_EQ(BuildSatelliteTransponderList(*db, 7).size(), 201u);
    EXPECT_EQ(BuildSatelliteTransponderList(*db, 7).back(), 250);
    EXPECT_EQ(AddTransponder(*db, 7), std::nullopt);
}

TEST(TransponderEdit, WritesTuningFieldsAndKeepsEveryOtherBit) {
    std::mt19937 rng(11);
    for (int round = 0; round < 50; ++round) {
        auto db = NewDatabase();
        TransponderRecord stored;
        test::FillRandom(stored, rng);
        stored.SetSatellite(static_cast<std::uint8_t>(round));
        test::PushTransponder(*db, stored);
        ApplyTransponderEdit(*db, 0, 12345, 27500, 0xFD, 0xFF); // FEC 5, polarity 1
        const TransponderRecord now = ReadTransponder(*db, 0);
        for (std::size_t off : test::DifferingOffsets(stored, now))
            ASSERT_TRUE(off >= 4 && off <= 10);
        EXPECT_EQ(now.Frequency(), 12345000u);
        EXPECT_EQ(now.SymbolRate(), 27500);
        EXPECT_EQ(now.TuningFlags(), (stored.TuningFlags() & 0xF0) | 0x0D);
    }
}

TEST(TransponderEdit, RefusesIndicesOutsideTheTableAndFrequenciesThatOverflow) {
    auto db = NewDatabase();
    test::PushTransponder(*db, test::MakeTransponder(0, 11000000));
    const auto before = db->transponders;
    ApplyTransponderEdit(*db, 1, 12000, 1, 1, 1);
    ApplyTransponderEdit(*db, 0, 4294968, 1, 1, 1);
    EXPECT_EQ(db->transponders, before);
    ApplyTransponderEdit(*db, 0, 4294967, 1, 1, 0);
    EXPECT_EQ(ReadTransponder(*db, 0).Frequency(), 4294967000u);
    EXPECT_EQ(ReadTransponder(*db, 1), FreeTransponderSlot());
}

TEST(TransponderCompact, DropsDeletedRecordsAndRepointsServices) {
    auto db = NewDatabase();
    for (std::uint8_t i = 0; i < 5; ++i)
        test::PushTransponder(*db, test::MakeTransponder(i == 2 ? 0xFF : i));
    db->transponders[4].bytes[11] = 0x5A; // a kept record moves with all its bytes
    for (std::uint16_t link : {0, 1, 2, 3, 4, 5, 3500, 0xFFFF})
        test::PushService(*db, test::MakeService(9, link));
    db->transponders[7].bytes[3] = 0; // garbage behind the count is cleared too

    CompactTransponderTable(*db);
    EXPECT_EQ(db->transponderCount, 4);
    EXPECT_EQ(ReadTransponder(*db, 2).Satellite(), 3);
    EXPECT_EQ(ReadTransponder(*db, 3).bytes[11], 0x5A);
    for (std::size_t i = 4; i < kTransponderCapacity; ++i)
        ASSERT_EQ(db->transponders[i], FreeTransponderSlot());
    EXPECT_EQ(test::ServiceLinks(*db), (List{0, 1, 0xFFFF, 2, 3, 0xFFFF, 0xFFFF, 0xFFFF}));
    EXPECT_EQ(db->serviceCount, 8); // services of dropped transponders stay
}

TEST(TransponderDelete, RemovesServicesAndRenumbersLaterLinks) {
    auto db = NewDatabase();
    for (int i = 0; i < 10; ++i)
        test::PushTransponder(*db, test::MakeTransponder(i < 9 ? 0 : 1));
    for (std::uint16_t link : {3, 5, 7, 5, 9, 0xFFFF})
        test::PushService(*db, test::MakeService(link, link));
    DeleteTransponders(*db, List{5});
    EXPECT_EQ(db->transponderCount, 9);
    EXPECT_EQ(test::ServiceLinks(*db), (List{3, 6, 8, 0xFFFF}));
    EXPECT_EQ(test::ServiceNumbers(*db), (List{3, 7, 9, 0xFFFF})); // numbers travel with their records

    DeleteTransponders(*db, List{8}); // the only transponder of satellite 1
    EXPECT_EQ(BuildSatelliteTransponderList(*db, 1), List{});
    EXPECT_EQ(BuildSatelliteTransponderList(*db, 0), (List{0, 1, 2, 3, 4, 5, 6, 7}));
    EXPECT_EQ(test::ServiceLinks(*db), (List{3, 6, 0xFFFF}));

    DeleteTransponders(*db, List{3, 6, 20}); // 20 lies outside the table
    EXPECT_EQ(db->transponderCount, 6);
    EXPECT_EQ(test::ServiceLinks(*db), (List{0xFFFF}));
}

TEST(TransponderDelete, RemovingEveryServiceClearsTheWholeServiceTable) {
    auto db = NewDatabase();
    test::PushTransponder(*db, test::MakeTransponder(0));
    test::FillServices(*db, 3, 0);
    db->services[4000].bytes[50] = 1;
    DeleteTransponders(*db, List{0});
    EXPECT_EQ(db->serviceCount, 0);
    for (const ServiceRecord& s : db->services)
        ASSERT_EQ(s, EmptyServiceSlot());
}

TEST(TransponderDelete, FullTablesGiveTheSameResultAsOneAtATime) {
    std::mt19937 rng(5);
    auto fast = NewDatabase();
    for (std::size_t i = 0; i < kTransponderCapacity; ++i) {
        TransponderRecord rec;
        test::FillRandom(rec, rng);
        rec.SetSatellite(static_cast<std::uint8_t>(i % 20));
        test::PushTransponder(*fast, rec);
    }
    std::uniform_int_distribution<int> link(0, 3600);
    for (std::size_t i = 0; i < kServiceCapacity; ++i) {
        ServiceRecord rec;
        test::FillRandom(rec, rng);
        rec.SetTransponder(static_cast<std::uint16_t>(link(rng)));
        test::PushService(*fast, rec);
    }
    List doomed = BuildSatelliteTransponderList(*fast, 4);
    doomed.resize(120);
    auto slow = std::make_unique<ChannelDatabase>(*fast);
    DeleteTransponders(*fast, doomed);
    ReferenceDelete(*slow, doomed);
    EXPECT_EQ(fast->transponderCount, kTransponderCapacity - 120);
    EXPECT_LT(fast->serviceCount, kServiceCapacity);
    EXPECT_TRUE(*fast == *slow);
}

TEST(TransponderText, FecAndPolarity) {
    const char* fec[] = {"None", "1/2", "2/3", "3/4", "5/6", "7/8", "Auto", "Auto"};
    for (std::uint8_t i = 0; i < 8; ++i)
        EXPECT_EQ(FecText(i), fec[i]);
    EXPECT_EQ(PolarityText(0), "H");
    EXPECT_EQ(PolarityText(1), "V");
}

TEST(TransponderText, LabelRoundsKilohertzDownToWholeMegahertz) {
    // Vertical (bit 3), FEC 3/4; the upper tuning bits do not show.
    EXPECT_EQ(FormatTransponderLabel(test::MakeTransponder(0, 11362500, 27500, 0xFB)),
              "11362  V  27500  3/4");
    EXPECT_EQ(FormatTransponderLabel(test::MakeTransponder(0, 999, 0, 0x00)), "0  H  0  None");
    EXPECT_EQ(FormatTransponderLabel(test::MakeTransponder(0, 0xFFFFFFFF, 65535, 0x07)),
              "4294967  H  65535  Auto");
}

} // namespace
} // namespace tcn
