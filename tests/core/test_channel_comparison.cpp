// Comparing two channel files: every kind of difference on its own, a shuffled copy (moves only, and
// the fewest), a rescan that shifted frequencies within 2 MHz, and a file against itself and its save.

#include "compare/channel_comparison.h"
#include "demo_database.h"
#include "support/db_builders.h"
#include "support/file_builder.h"
#include "tables/favourite_groups.h"
#include "tables/satellite_table.h"
#include "tables/service_table.h"
#include "tables/transponder_table.h"
#include "channelfile/channel_file_session.h"
#include "support/recording_reporter.h"
#include "testkit/memory_file_system.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

namespace tcn {
namespace {

using test::NewDatabase;

// Two satellites, three transponders, six services, two groups.
std::unique_ptr<ChannelDatabase> Base() {
    auto db = NewDatabase();
    test::PutSatellite(*db, 0, test::MakeSatellite("Astra", 192, 0x80));
    test::PutSatellite(*db, 1, test::MakeSatellite("Hotbird", 130, 0x80));
    db->satelliteCount = 2;
    test::PushTransponder(*db, test::MakeTransponder(0, 11778000, 27500, 0x08));
    test::PushTransponder(*db, test::MakeTransponder(0, 12000000, 27500, 0x00));
    test::PushTransponder(*db, test::MakeTransponder(1, 10900000, 22000, 0x08));
    const char* names[] = {"Alpha", "Bravo", "Charlie", "Delta", "Echo", "Foxtrot"};
    for (std::uint16_t i = 0; i < 6; ++i) {
        ServiceRecord rec = test::MakeService(i, i % 3, names[i]);
        rec.SetServiceId(static_cast<std::uint16_t>(100 + i));
        test::PushService(*db, rec);
    }
    test::SetGroupEntries(*db, 0, {1, 3, 5});
    return db;
}

// The lines of the comparison, as reports print them.
std::vector<std::string> Lines(const ChannelDatabase& a, const ChannelDatabase& b) {
    std::vector<std::string> lines;
    for (const Difference& d : CompareChannelDatabases(a, b).differences)
        lines.push_back(FormatDifference(d));
    return lines;
}

using Lines_ = std::vector<std::string>;

TEST(ChannelComparison, EachKindOfDifferenceAlone) {
    const auto base = Base();
    const auto changed = [&](auto edit) {
        auto db = std::make_unique<ChannelDatabase>(*base);
        edit(*db);
        return Lines(*base, *db);
    };
    EXPECT_EQ(changed([](ChannelDatabase& db) {
                  test::PutSatellite(db, 2, test::MakeSatellite("Eutelsat", 50, 0x80));
                  db.satelliteCount = 3;
              }),
              Lines_{"+ satellite \"Eutelsat  5.0  E\""});
    // A satellite that moved is one change, found by its name.
    EXPECT_EQ(changed([](ChannelDatabase& db) {
                  SatelliteRecord rec = ReadSatellite(db, 1);
                  rec.SetU16(SatelliteRecord::kPosition, 131);
                  db.config.SetSatellite(1, rec);
              }),
              Lines_{"~ satellite \"Hotbird  13.1  E\": position \"13.0  E\" -> \"13.1  E\""});
    EXPECT_EQ(changed([](ChannelDatabase& db) { db.transponders[1].SetSymbolRate(30000); }),
              Lines_{"~ transponder \"Astra  19.2  E  12000  H  30000  None\": symbol_rate \"27500\" -> \"30000\""});
    EXPECT_EQ(changed([](ChannelDatabase& db) { test::PushTransponder(db, test::MakeTransponder(1, 11000000, 27500)); }),
              Lines_{"+ transponder \"Hotbird  13.0  E  11000  H  27500  None\""});
    EXPECT_EQ(changed([](ChannelDatabase& db) {
                  ServiceEdit edit;
                  edit.provider = "New provider";
                  edit.serviceId = 104, edit.videoPid = 0, edit.audioPid = 0, edit.pcrPid = 0;
                  ApplyServiceEdit(db, 4, edit);
                  ToggleServiceLock(db, 4);
              }),
              Lines_{"~ service 4 \"Echo\": provider \"\" -> \"New provider\"; locked \"no\" -> \"yes\""});
    EXPECT_EQ(changed([](ChannelDatabase& db) {
                  DeleteService(db, 2);
                  ResolveFavourites(db);
              }),
              Lines_{"- service 2 \"Charlie\""});
    // A service moved to another transponder of the same satellite.
    EXPECT_EQ(changed([](ChannelDatabase& db) { db.services[0].SetTransponder(1); }),
              Lines_{"~ service 0 \"Alpha\": transponder \"Astra  19.2  E  11778  V  27500  None\" -> "
                     "\"Astra  19.2  E  12000  H  27500  None\""});
    EXPECT_EQ(changed([](ChannelDatabase& db) {
                  SetFavouriteGroupName(db, 1, "Mine");
                  AddFavourite(db, db.services[0], 0);
                  RemoveFavourite(db, db.services[3], 0);
              }),
              (Lines_{"- Fav1 service 3 \"Delta\"", "+ Fav1 service 0 \"Alpha\"", "~ Fav2: name \"\" -> \"Mine\""}));
    EXPECT_EQ(changed([](ChannelDatabase& db) { db.config.bytes[9] = 0x42; }),
              Lines_{"~ config bytes 73-73: bytes \"00\" -> \"42\""});
}

TEST(ChannelComparison, AShuffledCopyShowsOnlyTheFewestMoves) {
    const ChannelDatabase demo = BuildDemoDatabase(false);
    auto dragged = std::make_unique<ChannelDatabase>(demo);
    MoveService(*dragged, 250, 0); // one channel dragged to the top
    ResolveFavourites(*dragged);
    ChannelComparison comparison = CompareChannelDatabases(demo, *dragged);
    EXPECT_EQ(comparison.Count(DiffArea::Service, DiffKind::Moved), 1u);
    EXPECT_EQ(comparison.Count(DiffArea::Service, DiffKind::Changed), 0u);
    const auto move = std::find_if(comparison.differences.begin(), comparison.differences.end(),
                                   [](const Difference& d) { return d.kind == DiffKind::Moved; });
    ASSERT_NE(move, comparison.differences.end());
    EXPECT_EQ(move->oldIndex, 250);
    EXPECT_EQ(move->newIndex, 0);

    // A shuffled copy: only moves, as many as the longest run in order leaves out.
    auto shuffled = std::make_unique<ChannelDatabase>(demo);
    std::mt19937 rng(3);
    for (int i = 0; i < 40; ++i)
        MoveService(*shuffled, rng() % shuffled->serviceCount, rng() % shuffled->serviceCount);
    ResolveFavourites(*shuffled);
    comparison = CompareChannelDatabases(demo, *shuffled);
    for (const Difference& d : comparison.differences)
        EXPECT_TRUE(d.kind == DiffKind::Moved) << FormatDifference(d);
    EXPECT_GT(comparison.Count(DiffArea::Service, DiffKind::Moved), 0u);
    EXPECT_LE(comparison.Count(DiffArea::Service, DiffKind::Moved), 40u);
}

TEST(ChannelComparison, ARescanThatShiftedFrequenciesWithin2MhzChangesThemOnly) {
    const auto base = Base();
    auto rescan = std::make_unique<ChannelDatabase>(*base);
    rescan->transponders[0].SetFrequency(11779500); // 1.5 MHz up
    rescan->transponders[2].SetFrequency(10898000); // 2 MHz down
    EXPECT_EQ(Lines(*base, *rescan),
              (Lines_{"~ transponder \"Astra  19.2  E  11779  V  27500  None\": frequency \"11778\" -> \"11779.5\"",
                      "~ transponder \"Hotbird  13.0  E  10898  V  22000  None\": frequency \"10900\" -> \"10898\""}));
    rescan->transponders[2].SetFrequency(10897000); // 3 MHz away: another transponder
    EXPECT_EQ(CompareChannelDatabases(*base, *rescan).Count(DiffArea::Transponder, DiffKind::Added), 1u);
}

TEST(ChannelComparison, AFileAgainstItselfAndAgainstItsSaveGivesNothing) {
    const ChannelDatabase full = BuildDemoDatabase(true);
    EXPECT_TRUE(CompareChannelDatabases(full, full).Empty());
    // Services without names are paired where they stand.
    auto unnamed = std::make_unique<ChannelDatabase>(full);
    for (std::size_t i = 0; i < unnamed->serviceCount; ++i)
        unnamed->services[i].SetText(ServiceRecord::kName, ServiceRecord::kNameArea, 0, {});
    EXPECT_TRUE(CompareChannelDatabases(*unnamed, *unnamed).Empty());

    MemoryFileSystem files;
    files.Put("/x/FULL.TCN", test::BuildFile(test::PartsFrom(full)));
    ChannelFileSession session(files);
    test::RecordingReporter reporter;
    ASSERT_EQ(session.Open("/x/FULL.TCN", reporter).status, LoadStatus::Loaded);
    ASSERT_TRUE(session.Save(reporter));
    auto saved = NewDatabase();
    ASSERT_EQ(session.ReadCopy("/x/NEW_FULL.TCN", reporter, *saved).status, LoadStatus::Loaded);
    EXPECT_TRUE(CompareChannelDatabases(session.Database(), *saved).Empty());
    // The file being edited is read through its hold.
    ASSERT_EQ(session.ReadCopy("/x/FULL.TCN", reporter, *saved).status, LoadStatus::Loaded);
    EXPECT_TRUE(CompareChannelDatabases(session.Database(), *saved).Empty());
}

} // namespace
} // namespace tcn
