// tcntool's output is read by scripts: the report lines of check and save, the JSON of dump, exit codes.

#include "channelfile/file_format.h"
#include "demo_database.h"
#include "support/db_builders.h"
#include "support/temp_dir.h"
#include "exchange/satellites_xml.h"
#include "tables/favourite_groups.h"
#include "tables/service_table.h"
#include "tool_commands.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <numeric>
#include <random>
#include <sstream>

namespace tcn {
namespace {

using Json = nlohmann::ordered_json;

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

const std::vector<std::string> kLoadedLines{
    "status: Config Signature : OK", "status: Config CRC : OK",          "status: TP Signature : OK",
    "status: TP DataBase : OK",      "status: TP DataBase CRC : OK",     "status: Service Signature : OK",
    "status: Service DataBase : OK", "status: Service DataBase CRC : OK"};

TEST(LineReporter, PrintsOneLinePerReportWithoutTheTextsTrailingLineFeed) {
    std::ostringstream out;
    LineReporter reporter(out);
    reporter.ShowStatus("Saving....");
    reporter.ShowMessageBox("Error[1] : Couldn't open TARV channel file.\n", "File Error");
    reporter.ShowMessageBox("two\n\n", "X");
    EXPECT_EQ(out.str(), "status: Saving....\n"
                         "message: [File Error] Error[1] : Couldn't open TARV channel file.\n"
                         "message: [X] two\n\n");
}

TEST(Latin1ToUtf8, MapsEveryByteToTheCodePointOfTheSameValue) {
    EXPECT_EQ(Latin1ToUtf8("abc"), "abc");
    EXPECT_EQ(Latin1ToUtf8("T\xE9l\xE9"), "T\xC3\xA9l\xC3\xA9");
    EXPECT_EQ(Latin1ToUtf8("\x80\xFF"), "\xC2\x80\xC3\xBF");
    EXPECT_EQ(Latin1ToUtf8(std::string_view("\0a", 2)), std::string("\0a", 2));
}

// Fields filled to their last byte, every code bit set and bytes above 0x7F: the JSON must read each
// field within its bounds, take the right bits and still be valid UTF-8.
TEST(DatabaseToJson, ReadsFieldsWithinTheirBoundsAndCodesFromTheirBits) {
    auto db = test::NewDatabase();
    SatelliteRecord sat;
    sat.bytes.fill(0xE9); // a name of 20 letters without a terminator, and every bit set
    sat.SetU16(SatelliteRecord::kLnbLow, 9750);
    sat.SetU16(SatelliteRecord::kLnbHigh, 10600);
    sat.SetU16(SatelliteRecord::kPosition, 192);
    sat.SetU8(SatelliteRecord::kFlags, 0xFD);     // in use, LNB type 3
    sat.SetU8(SatelliteRecord::kSwitching, 0x9A); // orientation 2, port 1, DiSEqC 10
    db->config.SetSatellite(0, sat);
    db->satelliteCount = 1;

    TransponderRecord tp;
    tp.bytes.fill(0xAB);
    tp.SetU8(TransponderRecord::kSatellite, 0);
    tp.SetU32(TransponderRecord::kFrequency, 11778500);
    tp.SetU16(TransponderRecord::kSymbolRate, 27500);
    tp.SetU8(TransponderRecord::kTuningFlags, 0xFD); // FEC 5, vertical
    test::PushTransponder(*db, tp);

    ServiceRecord s;
    s.bytes.fill('P'); // provider fills its 84 bytes, name its 31, language its 4
    s.SetU16(ServiceRecord::kNumber, 7);
    for (std::size_t c = 0; c < 4; ++c)
        s.SetU8(ServiceRecord::kCa + c, static_cast<std::uint8_t>(c * 80));
    s.SetU8(ServiceRecord::kName, 'N');
    s.SetU8(ServiceRecord::kLanguage, 0xE4);
    s.SetU8(ServiceRecord::kKind, 2);
    s.SetU16(ServiceRecord::kTransponder, 0);
    s.SetU16(ServiceRecord::kServiceId, 65535);
    s.SetU8(ServiceRecord::kFlags, 0xC3);
    test::PushService(*db, s);

    FavouriteGroupRecord g;
    g.SetText(0, 20, 20, "ABCDEFGHIJKLMNOPQRST");
    g.SetU16(FavouriteGroupRecord::kCount, 0xFFFF); // read as a full group
    for (std::size_t e = 0; e < 200; ++e)
        g.SetEntry(e, static_cast<std::uint16_t>(e));
    db->config.SetGroup(2, g);

    const Json j = DatabaseToJson(*db);
    ASSERT_NO_THROW((void)j.dump()); // throws on invalid UTF-8

    std::vector<std::string> keys;
    for (const auto& [key, value] : j.items())
        keys.push_back(key);
    EXPECT_EQ(keys, (std::vector<std::string>{"satellite_count", "satellites", "transponder_count",
                                              "transponders", "service_count", "services", "favourites"}));

    const Json& js = j["satellites"][0];
    std::string twentyLetters;
    for (int i = 0; i < 20; ++i)
        twentyLetters += "\xC3\xA9";
    EXPECT_EQ(js["name"], twentyLetters);
    EXPECT_EQ(js["slot"], 0);
    EXPECT_EQ(js["position"], 192);
    EXPECT_EQ(js["lnb_type"], 3);
    EXPECT_EQ(js["orientation"], 2);
    EXPECT_EQ(js["diseqc_type"], 10);
    EXPECT_EQ(js["diseqc_port"], 1);
    EXPECT_EQ(js["flags"], 0xFD);
    EXPECT_EQ(js["switching"], 0x9A);

    const Json& jt = j["transponders"][0];
    EXPECT_EQ(jt["frequency"], 11778500);
    EXPECT_EQ(jt["symbol_rate"], 27500);
    EXPECT_EQ(jt["fec"], 5);
    EXPECT_EQ(jt["polarity"], 1);
    EXPECT_EQ(jt["tuning_flags"], 0xFD);

    const Json& jv = j["services"][0];
    EXPECT_EQ(jv["number"], 7);
    EXPECT_EQ(jv["provider"], std::string(84, 'P'));
    EXPECT_EQ(jv["name"], "N" + std::string(30, 'P'));
    EXPECT_EQ(jv["language"], "\xC3\xA4PPP");
    EXPECT_EQ(jv["ca"], Json::array({0, 80, 160, 240}));
    EXPECT_EQ(jv["kind"], 2);
    EXPECT_EQ(jv["service_id"], 65535);
    EXPECT_EQ(jv["flags"], 0xC3);

    ASSERT_EQ(j["favourites"].size(), 5u);
    EXPECT_EQ(j["favourites"][2]["name"], "ABCDEFGHIJKLMNOPQRST");
    EXPECT_EQ(j["favourites"][2]["count"], 200);
    EXPECT_EQ(j["favourites"][2]["entries"].size(), 200u);
    EXPECT_EQ(j["favourites"][0]["count"], 0);
    EXPECT_TRUE(j["favourites"][0]["entries"].empty());
}

// Runs the commands on real files in a fresh folder that is also the working directory (temporary files).
class ToolCommandsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        db = std::make_unique<ChannelDatabase>(BuildDemoDatabase(false));
        test::WriteFileBytes(dir / "demo.TCN", BuildChannelFileImage(*db));
    }
    std::string Damaged(std::size_t offset) {
        std::vector<std::uint8_t> bytes = test::ReadFileBytes(dir / "demo.TCN");
        bytes[offset] ^= 0x01;
        test::WriteFileBytes(dir / "bad.TCN", bytes);
        return dir / "bad.TCN";
    }

    test::TempDir dir;
    test::ScopedWorkingDirectory cwd{dir.Path()};
    std::unique_ptr<ChannelDatabase> db;
    std::ostringstream out;
};

TEST_F(ToolCommandsTest, CheckPrintsTheStatusLinesOfALoadAndSucceeds) {
    EXPECT_EQ(RunCheck(dir / "demo.TCN", out), kExitOk);
    EXPECT_EQ(Lines(out.str()), kLoadedLines);
}

TEST_F(ToolCommandsTest, CheckReportsARefusedFileAndExitsWithTwo) {
    EXPECT_EQ(RunCheck(Damaged(5000), out), kExitRefused);
    EXPECT_EQ(Lines(out.str()),
              std::vector<std::string>{"message: [CRC Error] Error[4] : Wrong CRC, The file is corrupted!"});

    std::ostringstream missing;
    EXPECT_EQ(RunCheck(dir / "none.TCN", missing), kExitRefused);
    EXPECT_EQ(missing.str(), "message: [File Error] Error[1] : Couldn't open TARV channel file.\n");
}

TEST_F(ToolCommandsTest, DumpPrintsTheLoadedTablesAsOneJsonObject) {
    EXPECT_EQ(RunDump(dir / "demo.TCN", out), kExitOk);
    const Json j = Json::parse(out.str());
    EXPECT_EQ(j, DatabaseToJson(*db));
    EXPECT_EQ(j["satellite_count"], db->satelliteCount);
    EXPECT_EQ(j["services"].size(), db->serviceCount);
    // One line per key and per record, brackets on their own lines.
    const std::size_t records = db->satelliteCount + db->transponderCount + db->serviceCount + 5;
    EXPECT_EQ(Lines(out.str()).size(), 2 + 7 + records + 4);
}

TEST_F(ToolCommandsTest, DumpOfARefusedFilePrintsTheErrorNumber) {
    EXPECT_EQ(RunDump(Damaged(5000), out), kExitRefused);
    EXPECT_EQ(out.str(), "{\"error\": 4}\n");

    std::ostringstream wrongName;
    test::WriteFileBytes(dir / "demo.txt", test::ReadFileBytes(dir / "demo.TCN"));
    EXPECT_EQ(RunDump(dir / "demo.txt", wrongName), kExitRefused);
    EXPECT_EQ(wrongName.str(), "{\"error\": 0}\n");
}

TEST_F(ToolCommandsTest, SaveWritesTheNewFileAndPrintsBothFlows) {
    EXPECT_EQ(RunSave(dir / "demo.TCN", out), kExitOk);
    std::vector<std::string> expected = kLoadedLines;
    expected.insert(expected.end(),
                    {"status: Saving....", "status: The New TARV Channel File Successfully Created.",
                     "message: [Success] NEW_demo.TCN Created", "status: Idle"});
    EXPECT_EQ(Lines(out.str()), expected);
    EXPECT_EQ(test::ReadFileBytes(dir / "NEW_demo.TCN"), test::ReadFileBytes(dir / "demo.TCN"));
}

TEST_F(ToolCommandsTest, SaveAfterARefusedOpenFailsWithoutWritingAnything) {
    EXPECT_EQ(RunSave(Damaged(9000), out), kExitRefused);
    const std::vector<std::string> lines = Lines(out.str());
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.front(), "message: [CRC Error] Error[4] : Wrong CRC, The file is corrupted!");
    EXPECT_EQ(lines.back(), "status: Idle");
    EXPECT_FALSE(std::filesystem::exists(dir / "NEW_bad.TCN"));
}

TEST_F(ToolCommandsTest, DemoWritesTheDemoImageOrReportsWhyNot) {
    std::ostringstream err;
    EXPECT_EQ(RunDemo(dir / "made.TCN", false, out, err), kExitOk);
    EXPECT_EQ(test::ReadFileBytes(dir / "made.TCN"), test::ReadFileBytes(dir / "demo.TCN"));
    EXPECT_TRUE(err.str().empty());

    EXPECT_EQ(RunDemo(dir / "no/such/folder/x.TCN", false, out, err), kExitRefused);
    EXPECT_NE(err.str().find("cannot create"), std::string::npos);
}

TEST_F(ToolCommandsTest, ReorderOfAShuffledCopyWritesTheOriginalFileAgain) {
    test::WriteFileBytes(dir / "rescan.TCN", BuildChannelFileImage(test::Rescanned(*db)));
    EXPECT_EQ(RunReorder(dir / "demo.TCN", dir / "rescan.TCN", false, out), kExitOk);
    EXPECT_EQ(test::ReadFileBytes(dir / "NEW_rescan.TCN"), test::ReadFileBytes(dir / "demo.TCN"));

    std::vector<std::string> expected = {"open: " + dir / "demo.TCN"};
    expected.insert(expected.end(), kLoadedLines.begin(), kLoadedLines.end());
    expected.push_back("open: " + dir / "rescan.TCN");
    expected.insert(expected.end(), kLoadedLines.begin(), kLoadedLines.end());
    expected.insert(
        expected.end(),
        {"status: Saving....", "status: The New TARV Channel File Successfully Created.",
         "message: [Success] NEW_rescan.TCN Created", "status: Idle",
         "reorder: services 400 (reference 400): tuning 400, tuning within 2 MHz 0, name 0, name "
         "ignoring case 0, kept after the others 0",
         "reorder: favourite entries 120: tuning 120, tuning within 2 MHz 0, name 0, name ignoring "
         "case 0, dropped 0",
         "reorder: reference services without counterpart 0"});
    EXPECT_EQ(Lines(out.str()), expected);
}

TEST_F(ToolCommandsTest, ReorderJsonCountsTheRulesAndNamesTheServicesWithoutCounterpart) {
    ChannelDatabase rescan = test::Rescanned(*db);
    // Service 7 of the demo is gone, and the rescan renamed the first service it lists.
    const std::string gone(db->services[7].Name());
    RemoveServicesIf(rescan, [&](const ServiceRecord& s) {
        return s.ServiceId() == db->services[7].ServiceId() &&
               s.Transponder() == db->services[7].Transponder();
    });
    RenumberServices(rescan);
    ServiceRecord renamed = rescan.services[0];
    renamed.SetText(ServiceRecord::kName, ServiceRecord::kNameArea, ServiceRecord::kNameMax, "Renamed");
    ReplaceService(rescan, 0, renamed);
    test::WriteFileBytes(dir / "rescan.TCN", BuildChannelFileImage(rescan));

    EXPECT_EQ(RunReorder(dir / "demo.TCN", dir / "rescan.TCN", true, out), kExitOk);
    const Json j = Json::parse(out.str());
    EXPECT_EQ(j["saved"], true);
    EXPECT_EQ(j["new_file"], dir / "NEW_rescan.TCN");
    EXPECT_EQ(j["reference_services"], 400);
    EXPECT_EQ(j["services"], Json::parse(R"({"count": 399, "tuning": 399, "tuning_within_2_mhz": 0, "name": 0,
                                             "name_ignoring_case": 0, "unmatched": 0})"));
    const int inGroups =
        static_cast<int>(IsFavourite(*db, 7, 0) + IsFavourite(*db, 7, 1) + IsFavourite(*db, 7, 2) +
                         IsFavourite(*db, 7, 3) + IsFavourite(*db, 7, 4));
    EXPECT_EQ(j["favourites"]["count"], 120);
    EXPECT_EQ(j["favourites"]["dropped"], inGroups);
    ASSERT_EQ(j["reference_without_counterpart"].size(), 1u);
    EXPECT_EQ(j["reference_without_counterpart"][0]["index"], 7);
    EXPECT_EQ(j["reference_without_counterpart"][0]["name"], Latin1ToUtf8(gone));
    EXPECT_TRUE(std::filesystem::exists(dir / "NEW_rescan.TCN"));
}

TEST_F(ToolCommandsTest, ReorderWithARefusedFileWritesNothing) {
    EXPECT_EQ(RunReorder(Damaged(5000), dir / "demo.TCN", true, out), kExitRefused);
    const Json j = Json::parse(out.str());
    EXPECT_EQ(j["error"], 4);
    EXPECT_EQ(j["file"], dir / "bad.TCN");

    std::ostringstream text;
    EXPECT_EQ(RunReorder(dir / "demo.TCN", dir / "missing.TCN", false, text), kExitRefused);
    EXPECT_EQ(Lines(text.str()).back(), "message: [File Error] Error[1] : Couldn't open TARV channel file.");
    EXPECT_FALSE(std::filesystem::exists(dir / "NEW_demo.TCN"));
    EXPECT_FALSE(std::filesystem::exists(dir / "NEW_missing.TCN"));
}

TEST_F(ToolCommandsTest, ExportWritesOneCsvLinePerServiceToStandardOutputOrAFile) {
    std::ostringstream err;
    EXPECT_EQ(RunExport(dir / "demo.TCN", "", out, err), kExitOk);
    const std::string csv = out.str();
    EXPECT_EQ(std::count(csv.begin(), csv.end(), '\n'), 401);
    EXPECT_EQ(csv.rfind("number,name,provider,type,", 0), 0u);
    EXPECT_EQ(csv.substr(csv.size() - 2), "\r\n");
    EXPECT_TRUE(err.str().empty());

    std::ostringstream none;
    EXPECT_EQ(RunExport(dir / "demo.TCN", dir / "out.csv", none, err), kExitOk);
    EXPECT_TRUE(none.str().empty());
    const std::vector<std::uint8_t> written = test::ReadFileBytes(dir / "out.csv");
    EXPECT_EQ(std::string(written.begin(), written.end()), csv);

    EXPECT_EQ(RunExport(dir / "demo.TCN", dir / "no/such/folder/out.csv", none, err), kExitRefused);
    EXPECT_NE(err.str().find("cannot create"), std::string::npos);
    std::ostringstream refused;
    EXPECT_EQ(RunExport(Damaged(5000), "", none, refused), kExitRefused);
    EXPECT_NE(refused.str().find("message: [CRC Error] Error[4]"), std::string::npos);
    EXPECT_TRUE(none.str().empty());
}

TEST_F(ToolCommandsTest, DiffPrintsTheDifferencesGroupedAndExitsAsDiffDoes) {
    EXPECT_EQ(RunDiff(dir / "demo.TCN", dir / "demo.TCN", false, out), kExitOk);
    EXPECT_EQ(out.str(), "summary: no differences\n");

    ChannelDatabase edited = *db;
    edited.services[3].SetText(ServiceRecord::kName, ServiceRecord::kNameArea, ServiceRecord::kNameMax, "Caf\xE9 TV");
    MoveService(edited, 10, 0);
    ResolveFavourites(edited);
    test::WriteFileBytes(dir / "edited.TCN", BuildChannelFileImage(edited));
    std::ostringstream text;
    EXPECT_EQ(RunDiff(dir / "demo.TCN", dir / "edited.TCN", false, text), kExitDifferent);
    const std::string oldName(db->services[3].Name());
    EXPECT_EQ(Lines(text.str()),
              (std::vector<std::string>{
                  "services: 1 changed 1 moved",
                  "~ service 4 \"Caf\xC3\xA9 TV\": name \"" + oldName + "\" -> \"Caf\xC3\xA9 TV\"",
                  "> service 0 \"" + std::string(db->services[10].Name()) + "\": number \"10\" -> \"0\"",
                  "summary: satellites +0 -0 ~0 >0, transponders +0 -0 ~0, services +0 -0 ~1 >1, "
                  "favourites +0 -0 ~0 >0, config ~0"}));

    std::ostringstream json;
    EXPECT_EQ(RunDiff(dir / "demo.TCN", dir / "edited.TCN", true, json), kExitDifferent);
    const Json j = Json::parse(json.str());
    EXPECT_EQ(j["summary"]["services"]["changed"], 1);
    EXPECT_EQ(j["summary"]["services"]["moved"], 1);
    ASSERT_EQ(j["differences"].size(), 2u);
    EXPECT_EQ(j["differences"][0]["area"], "services");
    EXPECT_EQ(j["differences"][0]["fields"][0]["new"], "Caf\xC3\xA9 TV");
    EXPECT_EQ(j["differences"][1]["old_index"], 10);

    std::ostringstream refused;
    EXPECT_EQ(RunDiff(dir / "demo.TCN", Damaged(5000), false, refused), kExitRefused);
    EXPECT_EQ(Lines(refused.str()),
              (std::vector<std::string>{"refused: " + dir / "bad.TCN",
                                        "message: [CRC Error] Error[4] : Wrong CRC, The file is corrupted!"}));
}

void WriteText(const std::string& path, const std::string& text) {
    test::WriteFileBytes(path, std::vector<std::uint8_t>(text.begin(), text.end()));
}

TEST_F(ToolCommandsTest, ExportedListImportedIntoTheSameFileAddsNothing) {
    std::ostringstream err;
    ASSERT_EQ(RunExport(dir / "demo.TCN", dir / "satellites.xml", out, err, ExportFormat::SatellitesXml), kExitOk);
    ImportRequest request;
    request.listPath = dir / "satellites.xml";
    request.path = dir / "demo.TCN";
    ASSERT_EQ(RunImportTransponders(request, out, err), kExitOk) << err.str();
    const std::string summary = Lines(out.str()).back();
    EXPECT_EQ(summary.find("summary: " + std::to_string(int{db->satelliteCount}) + " satellites: 0 added, 0 updated, "
                           "0 differs, " + std::to_string(db->transponderCount) + " present"),
              0u) << summary;
    EXPECT_EQ(test::ReadFileBytes(dir / "NEW_demo.TCN"), test::ReadFileBytes(dir / "demo.TCN"));
}

TEST_F(ToolCommandsTest, ImportIntoOneSatelliteSavesTheNewFileAndSaysWhatBecameOfEachEntry) {
    const SatelliteRecord first = db->config.Satellite(0);
    const std::string position = FormatSignedPosition(*SignedPosition(first));
    WriteText(dir / "list.xml",
        "<satellites>\n <sat name=\"L\" position=\"" + std::to_string(*SignedPosition(first)) + "\">\n"
        "  <transponder frequency=\"10700500\" symbol_rate=\"27500000\" polarization=\"0\" fec_inner=\"3\" system=\"0\"/>\n"
        "  <transponder frequency=\"10800000\" symbol_rate=\"27500000\" polarization=\"0\" fec_inner=\"3\" system=\"1\"/>\n"
        " </sat>\n</satellites>\n");
    std::ostringstream err;
    ImportRequest request{.listPath = dir / "list.xml", .position = position, .path = dir / "demo.TCN", .json = true};
    ASSERT_EQ(RunImportTransponders(request, out, err), kExitOk) << err.str();
    const Json j = Json::parse(out.str());
    EXPECT_EQ(j["counts"]["added"], 1);
    EXPECT_EQ(j["counts"]["skipped"], 1);
    EXPECT_EQ(j["satellites"][0]["entries"][1]["note"], "DVB-S2, not asked for");
    EXPECT_EQ(j["satellites"][0]["entries"][0]["line"], 3);

    std::ostringstream dump;
    ASSERT_EQ(RunDump(dir / "NEW_demo.TCN", dump), kExitOk);
    const Json tables = Json::parse(dump.str());
    EXPECT_EQ(tables["transponder_count"], db->transponderCount + 1);
    EXPECT_EQ(tables["transponders"].back()["frequency"], 10700500);
    EXPECT_EQ(tables["transponders"].back()["satellite"], 0);

    // A position that is none, one without a satellite, a damaged list: nothing is written.
    std::filesystem::remove(dir / "NEW_demo.TCN");
    request.json = false;
    request.position = "19,2E";
    EXPECT_EQ(RunImportTransponders(request, out, err), kExitUsage);
    request.position = "179.9W";
    EXPECT_EQ(RunImportTransponders(request, out, err), kExitRefused);
    EXPECT_NE(err.str().find("no satellite at 179.9W"), std::string::npos);
    WriteText(dir / "list.xml", "<satellites>\n<sat name=\"x\" position=\"1\">\n");
    request.position.clear();
    EXPECT_EQ(RunImportTransponders(request, out, err), kExitRefused);
    EXPECT_NE(err.str().find("list.xml: line 2: the file ends before the list is complete"), std::string::npos)
        << err.str();
    EXPECT_FALSE(std::filesystem::exists(dir / "NEW_demo.TCN"));
}

} // namespace
} // namespace tcn
