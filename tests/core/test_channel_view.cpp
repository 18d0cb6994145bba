// The channel view: kind and satellite selection, the eight orders, the value lists with their
// substitutions and limits, the settings changes of the Sort Options controls and their selections.

#include "views/ca_systems.h"
#include "views/channel_view.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace tcn {
namespace {

struct Svc {
    std::string name = "Name";
    std::string provider = "Prov";
    std::string language = "eng";
    std::uint8_t kind = 1;
    std::uint16_t transponder = 0;
    bool scrambled = false;
    std::array<std::uint8_t, 4> ca{};
};

class ChannelViewTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetViewSettings(settings);
        AddSatellite(0, "Astra");
        AddTransponder(0);
    }

    void AddSatellite(std::size_t slot, std::string_view name) {
        SatelliteRecord sat;
        sat.SetText(SatelliteRecord::kName, 20, 19, name);
        sat.SetU8(SatelliteRecord::kFlags, 0x01);
        db.config.SetSatellite(slot, sat);
        db.satelliteCount = static_cast<std::uint8_t>(slot + 1);
    }
    std::uint16_t AddTransponder(std::uint8_t satellite) {
        db.transponders[db.transponderCount].bytes.fill(0);
        db.transponders[db.transponderCount].SetU8(TransponderRecord::kSatellite, satellite);
        return db.transponderCount++;
    }
    int Add(const Svc& s) {
        ServiceRecord& r = db.services[db.serviceCount];
        r = ServiceRecord{};
        r.SetU16(ServiceRecord::kNumber, db.serviceCount);
        for (std::size_t i = 0; i < 4; ++i)
            r.SetU8(ServiceRecord::kCa + i, s.ca[i]);
        r.SetText(ServiceRecord::kProvider, 84, 84, s.provider);
        r.SetText(ServiceRecord::kName, 31, 31, s.name);
        r.SetText(ServiceRecord::kLanguage, 4, 4, s.language);
        r.SetU8(ServiceRecord::kKind, s.kind);
        r.SetU16(ServiceRecord::kTransponder, s.transponder);
        r.SetU8(ServiceRecord::kFlags, s.scrambled ? 0x06 : 0x04); // bit 2 is noise the view must ignore
        return db.serviceCount++;
    }
    std::vector<int> Rebuild() {
        RebuildChannelView(db, settings, view);
        return Entries();
    }
    std::vector<int> Entries() const {
        std::vector<int> out(view.entries.begin(), view.entries.begin() + view.count);
        for (std::size_t i = view.count; i < view.entries.size(); ++i)
            if (view.entries[i] != -1) ADD_FAILURE() << "slot " << i << " after the last entry is not -1";
        return out;
    }
    std::vector<std::string> Names() const {
        std::vector<std::string> out;
        for (std::size_t i = 0; i < view.count; ++i)
            out.emplace_back(db.services[view.entries[i]].Name());
        return out;
    }
    // Chooses the "Sort by" order, rebuilds, then picks the "Additional List" item showing `text`.
    void ChooseAdditional(std::uint8_t order, const std::string& text) {
        SetSortOrder(settings, order);
        Rebuild();
        const auto texts = AdditionalChoiceTexts(view, settings);
        const auto it = std::find(texts.begin(), texts.end(), text);
        ASSERT_NE(it, texts.end()) << text;
        SetAdditionalChoice(settings, view, static_cast<int>(it - texts.begin()));
    }

    ChannelDatabase db;
    ViewSettings settings;
    ChannelView view;
};

using Texts = std::vector<std::string>;
using Ids = std::vector<int>;

TEST_F(ChannelViewTest, EmptyTableGivesEmptyViewAndOnlyTheAllItems) {
    EXPECT_EQ(Rebuild(), Ids{});
    EXPECT_EQ(SatelliteChoiceTexts(db, view), Texts{"All Satellites"});
    const Texts firsts{"All Systems", "All Providers", "All Languages"};
    for (std::uint8_t order = 0; order < 8; ++order) {
        SetSortOrder(settings, order);
        Rebuild();
        EXPECT_EQ(AdditionalChoiceTexts(view, settings), order < 5 ? Texts{} : Texts{firsts[order - 5u]});
        EXPECT_EQ(AdditionalChoiceEnabled(settings), order >= 5);
    }
}

TEST_F(ChannelViewTest, KindSelectsTvOrRadioAndOnlyTwoIsRadio) {
    for (std::uint8_t kind : {1, 2, 0, 3, 2, 255})
        Add({.kind = kind});
    EXPECT_EQ(Rebuild(), (Ids{0, 2, 3, 5}));
    SetViewKind(settings, 2);
    EXPECT_EQ(Rebuild(), (Ids{1, 4}));
    db.services[1].SetU8(ServiceRecord::kKind, 1);
    db.services[4].SetU8(ServiceRecord::kKind, 1);
    EXPECT_EQ(Rebuild(), Ids{});
}

TEST_F(ChannelViewTest, RebuildReusesAViewAndLeavesTheTablesAlone) {
    for (int i = 0; i < 6; ++i)
        Add({.kind = static_cast<std::uint8_t>(i < 5 ? 1 : 2)});
    Rebuild();
    const ChannelDatabase before = db;
    SetViewKind(settings, 2);
    EXPECT_EQ(Rebuild(), Ids{5}); // Entries() checks every later slot went back to -1
    EXPECT_EQ(db, before);
}

TEST_F(ChannelViewTest, AscendingComparesUpperCasedBytesAsUnsigned) {
    for (const char* name :
         {"apple", "Zed", "abc", "\xC4rger", "ABD", "_x", "ab", "zed", "0", "ab\0zz", "{", "`"})
        Add({.name = name});
    db.services[9].SetU8(ServiceRecord::kName + 3, 'z'); // behind the terminator: not part of the name
    SetSortOrder(settings, kOrderAscending);
    Rebuild();
    EXPECT_EQ(Names(),
              (Texts{"0", "ab", "ab", "abc", "ABD", "apple", "Zed", "zed", "_x", "`", "{", "\xC4rger"}));
    EXPECT_EQ(Entries()[1], 6); // equal names keep table order
    EXPECT_EQ(Entries()[2], 9);
}

TEST_F(ChannelViewTest, NameFillingTheWholeAreaIsComparedInFull) {
    const std::string full(31, 'M');
    Add({.name = full});
    Add({.name = full.substr(0, 30)});
    Add({.name = full.substr(0, 30) + "A"});
    SetSortOrder(settings, kOrderAscending);
    EXPECT_EQ(Rebuild(), (Ids{1, 2, 0}));
}

TEST_F(ChannelViewTest, DescendingIsTheReverseOfAscending) {
    for (const char* name : {"b", "A", "c", "\xE9t\xE9", "B2", "a1"})
        Add({.name = name});
    SetSortOrder(settings, kOrderAscending);
    Ids ascending = Rebuild();
    SetSortOrder(settings, kOrderDescending);
    const Ids descending = Rebuild();
    std::reverse(ascending.begin(), ascending.end());
    EXPECT_EQ(descending, ascending);
    EXPECT_FALSE(view.reorderingAllowed);

    // Equal names keep table order in "Z - A" too: there the order is not reversed.
    Add({.name = "B"}); // 6, equal to "b" (0)
    const Ids withTie = Rebuild();
    const auto at = [&withTie](int id) {
        return std::find(withTie.begin(), withTie.end(), id) - withTie.begin();
    };
    EXPECT_EQ(at(6), at(0) + 1);
}

TEST_F(ChannelViewTest, FreeToAirAndScrambledPartitionInTableOrder) {
    for (bool s : {true, false, false, true, true, false})
        Add({.scrambled = s});
    SetSortOrder(settings, kOrderFreeToAir);
    EXPECT_EQ(Rebuild(), (Ids{1, 2, 5}));
    SetSortOrder(settings, kOrderScrambled);
    EXPECT_EQ(Rebuild(), (Ids{0, 3, 4}));
}

TEST_F(ChannelViewTest, CaSystemFilterAndList) {
    Add({.scrambled = true, .ca = {0, 0, 0, 0}});
    Add({.scrambled = true, .ca = {24, 0, 5, 0}});
    Add({.scrambled = false, .ca = {5, 0, 0, 0}});
    Add({.scrambled = true, .ca = {0, 0, 0, 5}});
    Add({.scrambled = true, .ca = {66, 254, 24, 0}});
    SetSortOrder(settings, kOrderCaSystem);
    EXPECT_EQ(Rebuild(), (Ids{0, 1, 3, 4})); // "All Systems": every scrambled service
    EXPECT_EQ(AdditionalChoiceTexts(view, settings),
              (Texts{"All Systems", "Nagravision", "Viaccess", "CaID 66", "TPS Crypt 2"}));
    EXPECT_EQ(SelectedAdditionalChoice(settings, view), 0);

    SetAdditionalChoice(settings, view, 2); // Viaccess
    EXPECT_EQ(settings.additionalValue[0], 5);
    EXPECT_EQ(Rebuild(), (Ids{1, 3})); // the free-to-air service carrying 5 stays out

    SetAdditionalChoice(settings, view, 4);
    EXPECT_EQ(Rebuild(), Ids{4});
    EXPECT_EQ(SelectedAdditionalChoice(settings, view), 4); // 254 stays selected after the rebuild
}

TEST_F(ChannelViewTest, CaSystemNames) {
    const std::vector<std::pair<int, std::string>> named{
        {1, "Mediaguard"},   {5, "Viaccess"},     {6, "Irdeto"},     {9, "NDS"},
        {11, "Conax"},       {13, "CryptoWorks"}, {14, "PowerVu"},   {23, "beta crypt"},
        {24, "Nagravision"}, {38, "BISS"},        {74, "SHL Crypt"}, {254, "TPS Crypt 2"}};
    for (const auto& [code, name] : named)
        EXPECT_EQ(CaSystemName(static_cast<std::uint8_t>(code)), name);
    EXPECT_EQ(CaSystemName(0), "CaID 0");
    EXPECT_EQ(CaSystemName(66), "CaID 66");
    EXPECT_EQ(CaSystemName(255), "CaID 255");
}

TEST_F(ChannelViewTest, ProviderListsOthersButFiltersOnlyEmptyAsOthers) {
    Add({.provider = "Sky"});
    Add({.provider = "123 TV"});
    Add({.provider = ""});
    Add({.provider = "sky"});
    Add({.provider = "Others"});
    Add({.provider = "\xC4ON"});
    Add({.provider = "Sky"});
    SetSortOrder(settings, kOrderProvider);
    EXPECT_EQ(Rebuild(), (Ids{0, 1, 2, 3, 4, 5, 6}));
    EXPECT_EQ(AdditionalChoiceTexts(view, settings), (Texts{"All Providers", "Sky", "Others", "sky"}));

    ChooseAdditional(kOrderProvider, "Others");
    EXPECT_EQ(Rebuild(), (Ids{2, 4}));
    EXPECT_EQ(SelectedAdditionalChoice(settings, view), 2);
    ChooseAdditional(kOrderProvider, "Sky");
    EXPECT_EQ(Rebuild(), (Ids{0, 6}));
}

TEST_F(ChannelViewTest, LanguageListsAudButFiltersEmptyAsQuestionMarks) {
    Add({.language = "deu"});
    Add({.language = ""});
    Add({.language = "aud"});
    Add({.language = "1ab"});
    Add({.language = "de"});
    SetSortOrder(settings, kOrderLanguage);
    Rebuild();
    EXPECT_EQ(AdditionalChoiceTexts(view, settings), (Texts{"All Languages", "deu", "aud", "de"}));

    ChooseAdditional(kOrderLanguage, "aud");
    EXPECT_EQ(Rebuild(), Ids{2});
    ChooseAdditional(kOrderLanguage, "deu");
    EXPECT_EQ(Rebuild(), Ids{0}); // "de" ends early and differs
    ChooseAdditional(kOrderLanguage, "de");
    EXPECT_EQ(Rebuild(), Ids{4});

    settings.additionalValue = {'?', '?', '?'}; // only an empty code reads as "???"
    EXPECT_EQ(Rebuild(), Ids{1});
    EXPECT_EQ(SelectedAdditionalChoice(settings, view), -1);
}

TEST_F(ChannelViewTest, OverlongProvidersAndUnterminatedCodesListAndFilterByWhatFits) {
    const std::string base = "ABCDEFGHIJKLMNOPQRS"; // 19 characters
    Add({.provider = base + "TUVWXYZ", .language = "deux"});
    Add({.provider = base + "1", .language = "deu"});
    Add({.provider = base});
    Add({.provider = base.substr(0, 18)});
    db.services[0].SetText(ServiceRecord::kProvider, 84, 84, std::string(84, 'P')); // no terminator at all
    SetSortOrder(settings, kOrderProvider);
    Rebuild();
    EXPECT_EQ(AdditionalChoiceTexts(view, settings),
              (Texts{"All Providers", std::string(19, 'P'), base, base.substr(0, 18)}));
    ChooseAdditional(kOrderProvider, base);
    EXPECT_EQ(Rebuild(), (Ids{1, 2}));
    EXPECT_EQ(SelectedAdditionalChoice(settings, view), 2);
    ChooseAdditional(kOrderProvider, std::string(19, 'P'));
    EXPECT_EQ(Rebuild(), Ids{0});

    ChooseAdditional(kOrderLanguage, "deu");
    EXPECT_EQ(AdditionalChoiceTexts(view, settings), (Texts{"All Languages", "deu", "eng"}));
    EXPECT_EQ(Rebuild(), (Ids{0, 1}));
}

TEST_F(ChannelViewTest, FullListsDropFurtherValuesSilently) {
    for (int i = 0; i < 502; ++i) {
        const std::string language{char('a' + i / 26 % 26), char('a' + i % 26), 'x'};
        Add({.provider = std::string("P").append(std::to_string(i)),
             .language = language,
             .scrambled = true,
             .ca = {static_cast<std::uint8_t>(i % 60 + 1), 0, 0, 0}});
    }
    SetSortOrder(settings, kOrderCaSystem);
    EXPECT_EQ(Rebuild().size(), 502u); // services whose value was dropped still show under "All ..."
    EXPECT_EQ(view.lists.caSystemCount, 50);
    EXPECT_EQ(view.lists.caSystems[49], 50);
    EXPECT_EQ(view.lists.providerCount, 500);
    EXPECT_EQ(view.lists.languageCount, 500);
    SetSortOrder(settings, kOrderProvider);
    const Texts providers = AdditionalChoiceTexts(view, settings);
    EXPECT_EQ(providers.size(), 501u);
    EXPECT_EQ(providers.back(), "P499");
    SetSortOrder(settings, kOrderLanguage);
    EXPECT_EQ(AdditionalChoiceTexts(view, settings).back(), "tfx"); // entry 499
}

TEST_F(ChannelViewTest, SatelliteFilterListsAllSatellitesButValuesOnlyOfItsServices) {
    AddSatellite(1, "Hotbird");
    AddSatellite(2, "Unused");
    SatelliteRecord far; // a named slot beyond the satellites in use
    far.SetText(SatelliteRecord::kName, 20, 19, "Far");
    db.config.SetSatellite(7, far);
    const std::uint16_t hot = AddTransponder(1);
    const std::uint16_t beyond = AddTransponder(7);
    const std::uint16_t deleted = AddTransponder(0xFF);
    const std::uint16_t wild = AddTransponder(200);
    db.transponders[40].SetU8(TransponderRecord::kSatellite, 2); // stale bytes past the table's end
    Add({.provider = "A", .transponder = hot});                  // 0
    Add({.provider = "B", .transponder = 0});                    // 1
    Add({.provider = "C", .transponder = 0xFFFF});               // 2: no transponder
    Add({.provider = "D", .transponder = 40});                   // 3: beyond the transponder table
    Add({.provider = "E", .transponder = deleted});              // 4
    Add({.provider = "F", .transponder = beyond});               // 5
    Add({.provider = "G", .kind = 2, .transponder = 0});
    Add({.provider = "H", .transponder = hot});  // 7
    Add({.provider = "I", .transponder = wild}); // 8

    EXPECT_EQ(Rebuild(), (Ids{0, 1, 2, 3, 4, 5, 7, 8}));
    const Texts satellites{"All Satellites", "Hotbird", "Astra", "Far", ""};
    EXPECT_EQ(SatelliteChoiceTexts(db, view), satellites);
    EXPECT_EQ(SelectedSatelliteChoice(settings, view), 0);

    SetSatelliteChoice(settings, view, 1, 1);
    EXPECT_EQ(Rebuild(), (Ids{0, 7}));
    EXPECT_EQ(SatelliteChoiceTexts(db, view), satellites);
    EXPECT_EQ(SelectedSatelliteChoice(settings, view), 1);
    EXPECT_FALSE(view.reorderingAllowed);
    SetSortOrder(settings, kOrderProvider);
    Rebuild();
    EXPECT_EQ(AdditionalChoiceTexts(view, settings), (Texts{"All Providers", "A", "H"}));

    SetSatelliteChoice(settings, view, 3, 1); // "Far"
    EXPECT_EQ(settings.sortOrder, kOrderTable);
    EXPECT_EQ(Rebuild(), Ids{5});
    EXPECT_EQ(SelectedSatelliteChoice(settings, view), 3);

    db.services[5].SetU16(ServiceRecord::kTransponder, 0); // "Far" loses its last service
    EXPECT_EQ(Rebuild(), Ids{});
    EXPECT_EQ(SelectedSatelliteChoice(settings, view), -1);
    EXPECT_TRUE(settings.satelliteFilter);
}

TEST_F(ChannelViewTest, SatelliteListStopsAtEightySatellitesButEveryServiceShows) {
    // Transponders may name any satellite byte; 86 distinct satellites have one service each.
    Add({.transponder = 0});
    for (std::uint8_t s = 1; s <= 85; ++s)
        Add({.transponder = AddTransponder(s)});
    EXPECT_EQ(Rebuild().size(), 86u);
    EXPECT_EQ(view.lists.satelliteCount, 80);
    EXPECT_EQ(view.lists.satellites[79], 79);
    EXPECT_EQ(SatelliteChoiceTexts(db, view).size(), 81u);
    // A dropped satellite cannot be chosen; its services still show under "All Satellites".
    SetSatelliteChoice(settings, view, 81, 1);
    EXPECT_FALSE(settings.satelliteFilter);
}

TEST_F(ChannelViewTest, ChosenValueThatLeftTheListShowsNoSelectionUntilAllIsChosenAgain) {
    Add({.scrambled = true, .ca = {5, 0, 0, 0}});
    Add({.scrambled = true, .ca = {24, 0, 0, 0}});
    ChooseAdditional(kOrderCaSystem, "Nagravision");
    EXPECT_EQ(Rebuild(), Ids{1});
    EXPECT_EQ(SelectedAdditionalChoice(settings, view), 2);

    db.services[1].SetU8(ServiceRecord::kCa, 0); // the only Nagravision service loses it
    EXPECT_EQ(Rebuild(), Ids{});
    EXPECT_EQ(AdditionalChoiceTexts(view, settings), (Texts{"All Systems", "Viaccess"}));
    EXPECT_EQ(SelectedAdditionalChoice(settings, view), -1);
    EXPECT_EQ(settings.additionalValue[0], 24) << "the choice stays until the user makes another";

    SetAdditionalChoice(settings, view, 0); // "All Systems"
    EXPECT_EQ(settings.additionalValue, (std::array<std::uint8_t, 20>{}));
    EXPECT_EQ(Rebuild(), (Ids{0, 1}));
    EXPECT_EQ(SelectedAdditionalChoice(settings, view), 0);
}

TEST_F(ChannelViewTest, ReorderingOnlyInTableOrderOverAllSatellites) {
    Add({.kind = 2});
    SetViewKind(settings, 2);
    Rebuild();
    EXPECT_TRUE(view.reorderingAllowed);
    for (std::uint8_t order = 1; order < 8; ++order) {
        SetSortOrder(settings, order);
        Rebuild();
        EXPECT_FALSE(view.reorderingAllowed) << int(order);
    }
    SetSortOrder(settings, kOrderTable);
    Rebuild();
    SetSatelliteChoice(settings, view, 1, 2);
    Rebuild();
    EXPECT_FALSE(view.reorderingAllowed);
    SetSatelliteChoice(settings, view, 0, 2);
    Rebuild();
    EXPECT_TRUE(view.reorderingAllowed);
}

TEST_F(ChannelViewTest, SettersApplyTheirResets) {
    ViewSettings fresh;
    ResetViewSettings(fresh);
    EXPECT_FALSE(fresh.satelliteFilter);
    EXPECT_EQ(fresh.chosenSatellite, 255);
    EXPECT_EQ(fresh.viewKind, 1);
    EXPECT_EQ(fresh.sortOrder, 0);
    EXPECT_EQ(fresh.additionalValue, (std::array<std::uint8_t, 20>{}));

    Add({.provider = "Sky", .scrambled = true, .ca = {9, 0, 0, 0}});
    Rebuild();
    SetSatelliteChoice(settings, view, 1, 1);
    SetSortOrder(settings, kOrderProvider);
    Rebuild();
    SetAdditionalChoice(settings, view, 1);
    EXPECT_EQ(settings.additionalValue[2], 'y');

    ViewSettings before = settings;
    SetAdditionalChoice(settings, view, 2); // beyond the list
    SetSortOrder(settings, 8);
    SetViewKind(settings, 3);
    SetSatelliteChoice(settings, view, 2, 1);
    EXPECT_EQ(settings, before);

    SetSortOrder(settings, kOrderCaSystem); // the value is cleared, satellite choice unchanged
    EXPECT_EQ(settings.additionalValue, (std::array<std::uint8_t, 20>{}));
    EXPECT_TRUE(settings.satelliteFilter);
    Rebuild();
    SetAdditionalChoice(settings, view, 1);
    EXPECT_EQ(settings.additionalValue[0], 9);
    before = settings;
    SetSortOrder(settings, kOrderScrambled);
    SetAdditionalChoice(settings, view, 1); // no additional list under "Scramb."
    EXPECT_EQ(settings.additionalValue, (std::array<std::uint8_t, 20>{}));
    EXPECT_EQ(SelectedAdditionalChoice(settings, view), -1);

    settings = before;
    SetSatelliteChoice(settings, view, 0, 2);
    EXPECT_FALSE(settings.satelliteFilter);
    EXPECT_EQ(settings.chosenSatellite, 255);
    EXPECT_EQ(settings.viewKind, 2);
    EXPECT_EQ(settings.sortOrder, kOrderTable);

    settings = before;
    SetViewKind(settings, 2);
    ViewSettings radio = fresh;
    radio.viewKind = 2;
    EXPECT_EQ(settings, radio);
}

} // namespace
} // namespace tcn
