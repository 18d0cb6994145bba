// Transponder lists (satellites.xml): reading and refusing them, how an entry becomes a record, which list
// satellite stands for a satellite of the file, and the import entry by entry.

#include "actions/transponder_import.h"
#include "demo_database.h"
#include "exchange/satellites_xml.h"
#include "support/db_builders.h"
#include "tables/transponder_table.h"

#include <gtest/gtest.h>

#include <string>

namespace tcn {
namespace {

std::string Tp(std::uint64_t khz, std::uint64_t sr, int pol, int fec, int system = 0) {
    return "  <transponder frequency=\"" + std::to_string(khz) + "\" symbol_rate=\"" + std::to_string(sr) +
           "\" polarization=\"" + std::to_string(pol) + "\" fec_inner=\"" + std::to_string(fec) +
           "\" system=\"" + std::to_string(system) + "\" modulation=\"1\"/>\n";
}

std::string Sat(int position, const std::string& transponders, const std::string& name = "Sat") {
    return " <sat name=\"" + name + "\" flags=\"0\" position=\"" + std::to_string(position) + "\">\n" +
           transponders + " </sat>\n";
}

std::string Xml(const std::string& satellites) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<satellites>\n" + satellites + "</satellites>\n";
}

SatelliteList Read(const std::string& xml) {
    SatelliteList list;
    std::string error;
    EXPECT_TRUE(ReadSatellitesXml(xml, list, error)) << error;
    return list;
}

// Switching byte of a West or East satellite.
constexpr std::uint8_t kWest = 0x40, kEast = 0x80;

TEST(SatellitesXml, ReadsSatellitesAndEntriesWithTheirLinesIgnoringWhatItDoesNotKnow) {
    const SatelliteList list = Read(Xml(Sat(192, Tp(11778000, 27500000, 1, 3) + "  <note/>\n", "Astra &amp; Co") +
                                        Sat(-300, "  <transponder frequency=\"3925000\" symbol_rate=\"1\" "
                                                  "polarization=\"2\" fec_inner=\"9\" extra=\"x\"/>\n")));
    ASSERT_EQ(list.satellites.size(), 2u);
    EXPECT_EQ(list.satellites[0].name, "Astra & Co");
    EXPECT_EQ(list.satellites[0].position, 192);
    EXPECT_EQ(list.satellites[0].line, 3);
    const ListTransponder& t = list.satellites[0].transponders.at(0);
    EXPECT_EQ(t.frequency, 11778000u);
    EXPECT_EQ(t.symbolRate, 27500000u);
    EXPECT_EQ(t.polarization, 1u);
    EXPECT_EQ(t.fecInner, 3u);
    EXPECT_EQ(t.line, 4);
    EXPECT_EQ(list.satellites[1].position, -300);
    EXPECT_EQ(list.satellites[1].transponders.at(0).system, 0u); // no system attribute: DVB-S
}

TEST(SatellitesXml, RefusesWhatIsNoListWithTheLineAndLeavesTheListAlone) {
    const std::string good = Xml(Sat(192, Tp(11778000, 27500000, 1, 3)));
    const std::string billionLaughs = "<?xml version=\"1.0\"?>\n<!DOCTYPE satellites [\n <!ENTITY a \"aaaaaaaaaa\">\n"
                                      " <!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;\">\n]>\n"
                                      "<satellites><sat name=\"&b;\" position=\"192\"/></satellites>\n";
    const struct {
        std::string bytes;
        std::string message;
    } cases[] = {
        {"PK\x03\x04 binary", "line 1: no XML element"},
        {"", "no XML element"},
        {"<?xml version=\"1.0\"?>\n<channels/>\n", "line 2: the root element is <channels>, not <satellites>"},
        {Xml(" <sat name=\"x\">\n </sat>\n"), "line 3: <sat> has no position attribute"},
        {Xml(Sat(192, "  <transponder frequency=\"11778000\" symbol_rate=\"27500000\" fec_inner=\"3\"/>\n")),
         "line 4: <transponder> has no polarization attribute"},
        {Xml(Sat(192, "  <transponder frequency=\"11,778\" symbol_rate=\"27500000\" polarization=\"1\" "
                      "fec_inner=\"3\"/>\n")),
         "line 4: frequency=\"11,778\" of <transponder> is not a whole number"},
        {Xml(Sat(192, Tp(99999999999ull, 27500000, 1, 3))), "line 4: frequency=\"99999999999\""},
        {Xml(Sat(2500, "")), "line 3: position=\"2500\" is no orbital position"},
        {good.substr(0, good.size() - 20), "the file ends before the list is complete"},
        {good.substr(0, good.find("fec_inner") + 12), "the file ends before the list is complete"},
        {"<satellites><sat position=\"1\"></satellites>", "line 1: not well-formed XML"},
        {billionLaughs, "line 2: the file declares entities"},
        {std::string(kSatelliteListLimit + 1, ' '), "larger than 32 MiB"},
    };
    for (const auto& c : cases) {
        SatelliteList list = Read(good);
        std::string error;
        EXPECT_FALSE(ReadSatellitesXml(c.bytes, list, error)) << c.message;
        EXPECT_NE(error.find(c.message), std::string::npos) << "wanted: " << c.message << "\ngot: " << error;
        EXPECT_EQ(list.satellites.size(), 1u) << c.message;
    }
}

TEST(SatellitesXml, MapsEachEntryAsTheRecordHoldsIt) {
    std::string why;
    const auto map = [&why](std::uint64_t sr, std::uint32_t pol, std::uint32_t fec, std::uint32_t system = 0) {
        why.clear();
        return MapListTransponder(ListTransponder{11778500, sr, pol, fec, system, 1}, why);
    };
    EXPECT_EQ(map(27500000, 0, 3)->frequency, 11778500u); // kHz as the list gives it
    EXPECT_EQ(map(27499500, 0, 3)->symbolRate, 27500);    // half up
    EXPECT_EQ(map(27499499, 0, 3)->symbolRate, 27499);
    EXPECT_EQ(map(65535499, 0, 3)->symbolRate, 65535);
    EXPECT_FALSE(map(65535500, 0, 3));
    EXPECT_NE(why.find("65536 kS/s"), std::string::npos);
    for (std::uint32_t pol : {0u, 2u})
        EXPECT_EQ(map(27500000, pol, 3)->polarity, 0);
    for (std::uint32_t pol : {1u, 3u})
        EXPECT_EQ(map(27500000, pol, 3)->polarity, 1);
    EXPECT_FALSE(map(27500000, 4, 3));
    const struct {
        std::uint32_t fecInner;
        std::uint8_t code;
        bool approximated;
    } fecs[] = {{0, 6, false}, {1, 1, false}, {2, 2, false}, {3, 3, false}, {4, 4, false}, {5, 5, false},
                {6, 6, true},  {7, 6, true},  {8, 6, true},  {9, 6, true},  {15, 0, false}, {12, 6, true}};
    for (const auto& f : fecs) {
        EXPECT_EQ(map(27500000, 0, f.fecInner)->fec, f.code) << f.fecInner;
        EXPECT_EQ(map(27500000, 0, f.fecInner)->fecApproximated, f.approximated) << f.fecInner;
    }
    EXPECT_TRUE(map(27500000, 0, 3, 1)->dvbS2);
    EXPECT_FALSE(map(27500000, 0, 3, 2));
    for (std::uint8_t code = 0; code < 8; ++code) {
        const std::uint32_t inner = FecInnerOf(code);
        EXPECT_EQ(map(27500000, 0, inner)->fec, code < 6 ? code : 6) << int{code};
    }
}

TEST(SatellitesXml, PositionsAsTypedAndShown) {
    EXPECT_EQ(ReadSignedPosition("19.2E"), 192);
    EXPECT_EQ(ReadSignedPosition("30.0 w"), -300);
    EXPECT_EQ(ReadSignedPosition("5E"), 50);
    EXPECT_EQ(ReadSignedPosition("180.0W"), -1800);
    for (const char* bad : {"", "19.2", "E", "19.25E", "1 9.2E", "-19.2E", "180.1E", "19,2E"})
        EXPECT_FALSE(ReadSignedPosition(bad)) << bad;
    EXPECT_EQ(FormatSignedPosition(192), "19.2E");
    EXPECT_EQ(FormatSignedPosition(-5), "0.5W");
}

TEST(MatchListSatellite, ExactPositionAndOrientationFirstElseTheNearestWithinThreeTenths) {
    const SatelliteList list = Read(Xml(Sat(191, "") + Sat(192, "") + Sat(-192, "") + Sat(1300, "") +
                                        Sat(1303, "") + Sat(1297, "") + Sat(500, "", "A") + Sat(500, "", "B")));
    const auto match = [&list](std::uint16_t position, std::uint8_t switching, const char* name = "x") {
        return MatchListSatellite(list, test::MakeSatellite(name, position, switching));
    };
    EXPECT_EQ(match(192, kEast), 1u);
    EXPECT_EQ(match(192, kWest), 2u);
    EXPECT_EQ(match(1301, kEast), 3u);  // nearest
    EXPECT_EQ(match(1302, kEast), 4u);
    EXPECT_EQ(match(1306, kEast), 4u);  // three tenths, inclusive
    EXPECT_FALSE(match(1307, kEast));
    EXPECT_FALSE(match(192, 0x00));     // no orientation
    EXPECT_EQ(match(500, kEast, "B"), 7u); // same position: the one of the same name
    EXPECT_EQ(match(500, kEast, "C"), 6u);
}

class ImportTest : public ::testing::Test {
  protected:
    void SetUp() override {
        test::PutSatellite(*db, 0, test::MakeSatellite("Astra", 192, kEast));
        test::PutSatellite(*db, 1, test::MakeSatellite("Hot Bird", 130, kEast));
        db->satelliteCount = 2;
        test::PushTransponder(*db, test::MakeTransponder(1, 10992000, 27500, 0x32)); // V 2/3, another satellite
        test::PushTransponder(*db, test::MakeTransponder(0, 11362000, 22000, 0x3B)); // V 3/4
        test::PushTransponder(*db, test::MakeTransponder(0, 11778000, 27500, 0x36)); // H Auto
        test::PushTransponder(*db, test::MakeTransponder(0, 12188000, 27500, 0x37)); // H Auto (code 7)
    }
    ImportReport Import(const std::string& transponders, ImportOptions options = {}) {
        list = Read(Xml(Sat(192, transponders)));
        return ImportTransponders(*db, 0, list.satellites[0], options);
    }
    std::unique_ptr<ChannelDatabase> db = test::NewDatabase();
    SatelliteList list;
};

TEST_F(ImportTest, NewEntriesAreAddedWithTheExactKilohertzAndTheFreshRecordsOtherBytes) {
    const ImportReport report = Import(Tp(11494500, 22000000, 0, 4) + Tp(12000000, 30000000, 3, 8));
    ASSERT_EQ(report.Count(ImportOutcome::Added), 2u);
    ASSERT_EQ(db->transponderCount, 6u);
    const TransponderRecord& a = db->transponders[4];
    EXPECT_EQ(a.Satellite(), 0);
    EXPECT_EQ(a.Frequency(), 11494500u);
    EXPECT_EQ(a.SymbolRate(), 22000);
    EXPECT_EQ(a.TuningFlags(), 0xF4);       // fresh record's upper bits, H, 5/6
    EXPECT_EQ(a.U8(1), 0xFF);
    EXPECT_EQ(a.U8(11), 0xFF);
    EXPECT_EQ(db->transponders[5].TuningFlags(), 0xF0 | 0x08 | 6); // circular right as V, approximated Auto
    EXPECT_EQ(report.entries[1].transponder, 5);
    EXPECT_TRUE(report.entries[1].tuning->fecApproximated);
}

TEST_F(ImportTest, AnEntryWithinTwoMegahertzOfTheSamePolarityIsPresentAndADriftIsNoUpdate) {
    const auto before = *db;
    const ImportReport report = Import(Tp(11364000, 22000000, 1, 3) +  // 2 MHz above, inclusive
                                       Tp(11779000, 27500000, 0, 0) +  // 1 MHz, list Auto = stored 6
                                       Tp(12188000, 27500000, 0, 0),   // list Auto = stored 7
                                       {.update = true});
    for (const ImportedEntry& e : report.entries)
        EXPECT_EQ(e.outcome, ImportOutcome::Present) << e.entry << ' ' << e.note;
    EXPECT_EQ(report.entries[0].transponder, 1);
    EXPECT_EQ(report.entries[0].note, "at 11362 MHz");
    EXPECT_EQ(db->transponders, before.transponders);
    EXPECT_EQ(db->transponderCount, before.transponderCount);
}

TEST_F(ImportTest, BeyondTwoMegahertzOrOnTheOtherPolarityIsNew) {
    const ImportReport report = Import(Tp(11364001, 22000000, 1, 3) + Tp(11362000, 22000000, 0, 3));
    EXPECT_EQ(report.Count(ImportOutcome::Added), 2u);
}

TEST_F(ImportTest, TheNearestRecordIsTheCounterpartAndEntriesAddedJustBeforeCount) {
    // A multistream carrier listed three times within 2 MHz: the first is added, the others find it.
    const ImportReport report = Import(Tp(11000000, 27500000, 0, 3) + Tp(11001000, 30000000, 0, 3) +
                                       Tp(11002000, 27500000, 0, 2) + Tp(11003500, 27500000, 0, 3),
                                       {.update = true});
    EXPECT_EQ(report.entries[0].outcome, ImportOutcome::Added);
    for (std::size_t e = 1; e < 3; ++e) {
        EXPECT_EQ(report.entries[e].outcome, ImportOutcome::Present) << e;
        EXPECT_EQ(report.entries[e].transponder, 4) << e;
    }
    EXPECT_EQ(report.entries[3].outcome, ImportOutcome::Added); // 3.5 MHz from the first
    EXPECT_EQ(db->transponders[4].SymbolRate(), 27500);      // never updated by a later entry
    // Between two records the nearer one is the counterpart.
    const ImportReport again = Import(Tp(11002500, 27500000, 0, 3), {.update = true});
    EXPECT_EQ(again.entries[0].transponder, 5);
}

TEST_F(ImportTest, UpdatesOnlyWhenAskedKeepingTheFrequencyAndNeverWithAnApproximatedAuto) {
    const std::string entries = Tp(11363000, 27500000, 1, 3) + // symbol rate differs
                                Tp(11778000, 27500000, 0, 2) + // FEC Auto -> 2/3
                                Tp(12188000, 27500000, 0, 9);  // 9/10 reads Auto: no change of code 7
    const auto before = *db;
    ImportReport report = Import(entries);
    EXPECT_EQ(report.entries[0].outcome, ImportOutcome::Differs);
    EXPECT_EQ(report.entries[0].note, "symbol rate 22000 -> 27500 (not updated)");
    EXPECT_EQ(report.entries[1].outcome, ImportOutcome::Differs);
    EXPECT_EQ(report.entries[2].outcome, ImportOutcome::Present);
    EXPECT_EQ(db->transponders, before.transponders);

    report = Import(entries, {.update = true});
    EXPECT_EQ(report.entries[0].outcome, ImportOutcome::Updated);
    EXPECT_EQ(report.entries[1].note, "FEC Auto -> 2/3");
    EXPECT_EQ(db->transponders[1].Frequency(), 11362000u);
    EXPECT_EQ(db->transponders[1].SymbolRate(), 27500);
    EXPECT_EQ(db->transponders[1].TuningFlags(), 0x3B);
    EXPECT_EQ(db->transponders[2].TuningFlags(), 0x32);
    EXPECT_EQ(db->transponders[3].TuningFlags(), 0x37);
    EXPECT_EQ(db->transponderCount, 4u);
    // An approximated Auto with another symbol rate updates the rate and keeps the stored code.
    report = Import(Tp(11362000, 22000000, 1, 8), {.update = true});
    EXPECT_EQ(report.entries[0].note, "symbol rate 27500 -> 22000");
    EXPECT_EQ(db->transponders[1].Fec(), 3);
}

TEST_F(ImportTest, DvbS2EntriesAndEntriesNoRecordHoldsAreSkipped) {
    const std::string entries = Tp(11000000, 27500000, 0, 3, 1) + Tp(11100000, 70000000, 0, 3) +
                                Tp(11200000, 27500000, 5, 3);
    ImportReport report = Import(entries);
    EXPECT_EQ(report.Count(ImportOutcome::Skipped), 3u);
    EXPECT_EQ(report.entries[0].note, "DVB-S2, not asked for");
    EXPECT_EQ(db->transponderCount, 4u);
    report = Import(entries, {.dvbS2 = true});
    EXPECT_EQ(report.entries[0].outcome, ImportOutcome::Added);
    EXPECT_EQ(report.Count(ImportOutcome::Skipped), 2u);
}

TEST_F(ImportTest, WhatDoesNotFitTheSatelliteOrTheTableIsReported) {
    while (db->transponderCount < 200)
        test::PushTransponder(*db, test::MakeTransponder(0, 5000000 + db->transponderCount * 10000));
    const ImportReport report = Import(Tp(12500000, 27500000, 0, 3) + Tp(12600000, 27500000, 0, 3));
    // Satellite 0 had 199: one more fits.
    EXPECT_EQ(report.entries[0].outcome, ImportOutcome::Added);
    EXPECT_EQ(report.entries[1].outcome, ImportOutcome::NotFitting);
    EXPECT_EQ(report.entries[1].note, "the satellite holds 200 transponders");

    while (db->transponderCount < kTransponderCapacity) // spread over other slots, none above 200
        test::PushTransponder(*db, test::MakeTransponder(static_cast<std::uint8_t>(2 + db->transponderCount % 70)));
    list = Read(Xml(Sat(130, Tp(12700000, 27500000, 0, 3))));
    const ImportReport full = ImportTransponders(*db, 1, list.satellites[0], {});
    EXPECT_EQ(full.entries[0].outcome, ImportOutcome::NotFitting);
    EXPECT_EQ(full.entries[0].note, "the table holds 3500 transponders");
}

TEST(SatellitesXmlRoundTrip, ExportThenImportIntoTheSameFileAddsAndChangesNothing) {
    const ChannelDatabase db = BuildDemoDatabase(true);
    SatelliteList list;
    std::string error;
    ASSERT_TRUE(ReadSatellitesXml(WriteSatellitesXml(db), list, error)) << error;
    ASSERT_EQ(list.satellites.size(), db.satelliteCount);
    for (std::size_t i = 1; i < list.satellites.size(); ++i)
        EXPECT_LE(list.satellites[i - 1].position, list.satellites[i].position);

    auto copy = std::make_unique<ChannelDatabase>(db);
    const std::vector<ImportReport> reports = ImportMatchingSatellites(*copy, list, {.dvbS2 = true, .update = true});
    EXPECT_EQ(reports.size(), db.satelliteCount);
    for (const ImportReport& r : reports)
        EXPECT_EQ(r.Count(ImportOutcome::Present), r.entries.size()) << int{r.satellite};
    EXPECT_EQ(copy->transponders, db.transponders);
    EXPECT_EQ(copy->transponderCount, db.transponderCount);
}

} // namespace
} // namespace tcn
