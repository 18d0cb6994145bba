// Re-ordering a rescanned list like the user's old one: which reference service each service is matched
// to and by which rule, the order and numbers that result, the favourite groups taken over, and that a
// shuffled copy comes back as the original.

#include "demo_database.h"
#include "support/db_builders.h"
#include "support/file_builder.h"
#include "tables/favourite_groups.h"
#include "tables/reorder_like.h"
#include "tables/service_table.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <random>

namespace tcn {
namespace {

using test::GroupEntries;
using test::NewDatabase;
using test::SetGroupEntries;
using List = std::vector<std::uint16_t>;

constexpr std::uint8_t kEast = 0x80, kWest = 0x40; // switching bytes: orientation in bits 6-7
constexpr std::uint8_t kVertical = 0x08;

// Two satellites and a few transponders, the same in the reference and in the rescanned file unless a
// test moves one.
std::unique_ptr<ChannelDatabase> Installation() {
    auto db = NewDatabase();
    test::PutSatellite(*db, 0, test::MakeSatellite("Astra", 192, kEast));
    test::PutSatellite(*db, 1, test::MakeSatellite("Hotbird", 130, kEast));
    test::PutSatellite(*db, 2, test::MakeSatellite("Astra West", 192, kWest)); // same position, other side
    db->satelliteCount = 3;
    test::PushTransponder(*db, test::MakeTransponder(0, 11778000, 27500, kVertical)); // 0
    test::PushTransponder(*db, test::MakeTransponder(0, 12000000, 27500, 0));         // 1
    test::PushTransponder(*db, test::MakeTransponder(1, 10900000, 27500, kVertical)); // 2
    test::PushTransponder(*db, test::MakeTransponder(0, 12100000, 27500, 0));         // 3
    return db;
}

// Appends a service numbered by its index, with a service id and a name; returns its index.
std::uint16_t Station(ChannelDatabase& db, std::uint16_t transponder, std::uint16_t serviceId,
                      std::string_view name, std::uint8_t kind = ServiceRecord::kKindTv) {
    ServiceRecord rec = test::MakeService(db.serviceCount, transponder, name, kind);
    rec.SetServiceId(serviceId);
    return test::PushService(db, rec);
}

// The rule and reference index found for each service, as comparable pairs (None gives reference 0).
std::vector<std::pair<MatchRule, std::uint16_t>> Matches(const ChannelDatabase& db,
                                                         const ChannelDatabase& ref) {
    std::vector<std::pair<MatchRule, std::uint16_t>> out;
    for (const ServiceMatch& m : MatchServices(db, ref))
        out.emplace_back(m.rule, m.rule == MatchRule::None ? 0 : m.reference);
    return out;
}

std::array<std::size_t, kMatchRuleCount> Counts(std::size_t tuning, std::size_t near, std::size_t name,
                                                std::size_t nameIgnoringCase, std::size_t none) {
    return {tuning, near, name, nameIgnoringCase, none};
}

TEST(ReorderLike, TuningFindsRenamedAndSlightlyMovedServicesButNotOtherSatellitesOrPolarities) {
    auto ref = Installation();
    Station(*ref, 0, 1, "One");   // R0
    Station(*ref, 1, 2, "Two");   // R1
    Station(*ref, 2, 3, "Three"); // R2
    Station(*ref, 3, 4, "Four");  // R3
    Station(*ref, 0, 5, "Five");  // R4
    Station(*ref, 0, 6, "Six");   // R5

    auto file = Installation();
    file->transponders[1].SetFrequency(12001000); // moved by 1 MHz
    file->transponders[3].SetFrequency(12103000); // moved by 3 MHz: too far
    const auto west = test::PushTransponder(*file, test::MakeTransponder(2, 11778000, 27500, kVertical));
    const auto horizontal = test::PushTransponder(*file, test::MakeTransponder(0, 11778000, 27500, 0));
    Station(*file, 2, 3, "Drei");           // F0: renamed
    Station(*file, 1, 2, "Two");            // F1: 1 MHz away
    Station(*file, 3, 4, "Four");           // F2: 3 MHz away, found by its name
    Station(*file, 0, 1, "One");            // F3
    Station(*file, 0, 9, "New");            // F4: not in the reference
    Station(*file, west, 5, "F\xFCnf");     // F5: same position, but West
    Station(*file, horizontal, 6, "Sechs"); // F6: same frequency, other polarity

    using enum MatchRule;
    EXPECT_EQ(
        Matches(*file, *ref),
        (std::vector<std::pair<MatchRule, std::uint16_t>>{
            {Tuning, 2}, {TuningWithin2Mhz, 1}, {Name, 3}, {Tuning, 0}, {None, 0}, {None, 0}, {None, 0}}));

    const ReorderSummary summary = ReorderServicesLike(*file, *ref);
    EXPECT_EQ(test::ServiceNames(*file),
              (std::vector<std::string>{"One", "Two", "Drei", "Four", "New", "F\xFCnf", "Sechs"}));
    EXPECT_EQ(test::ServiceNumbers(*file), (List{0, 1, 2, 3, 4, 5, 6}));
    EXPECT_EQ(summary.services, Counts(2, 1, 1, 0, 3));
    EXPECT_EQ(summary.referenceWithoutCounterpart, (List{4, 5}));
}

TEST(ReorderLike, AmbiguousOrMissingTuningsFallBackToKindAndNameAndEachReferenceServiceIsTakenOnce) {
    auto ref = Installation();
    Station(*ref, 0, 7, "Alpha");                            // R0 \ the same tuning twice
    Station(*ref, 0, 7, "Beta");                             // R1 /
    Station(*ref, kNoTransponder, 0, "Gamma");               // R2: no transponder
    Station(*ref, 1, 8, "Delta", ServiceRecord::kKindRadio); // R3
    Station(*ref, 2, 10,
            "\xC9"
            "CRAN Sport");                // R4: "ÉCRAN Sport"
    Station(*ref, 2, 11, "News");         // R5
    Station(*ref, 2, 12, "NEWS");         // R6
    Station(*ref, kNoTransponder, 0, ""); // R7: no name
    Station(*ref, 2, 20, "Film");         // R8

    auto file = Installation();
    Station(*file, 0, 7, "Beta");               // F0: ambiguous tuning, name decides
    Station(*file, 0, 7, "Alpha");              // F1
    Station(*file, kNoTransponder, 0, "Gamma"); // F2: no transponder
    Station(*file, 1, 99, "Delta");             // F3: TV, the reference's is radio
    Station(*file, 3, 50,
            "\xE9"
            "cran sport");                      // F4: "écran sport"
    Station(*file, kNoTransponder, 0, "NEWS");  // F5: the exact name wins over the other case
    Station(*file, kNoTransponder, 0, "news");  // F6: then the other case
    Station(*file, kNoTransponder, 0, "");      // F7: an empty name matches nothing
    Station(*file, kNoTransponder, 0, "Film");  // F8: R8 goes to F9's tuning first
    Station(*file, 2, 20, "Film HD");           // F9
    Station(*file, kNoTransponder, 0, "Gamma"); // F10: R2 is taken

    using enum MatchRule;
    EXPECT_EQ(Matches(*file, *ref), (std::vector<std::pair<MatchRule, std::uint16_t>>{{Name, 1},
                                                                                      {Name, 0},
                                                                                      {Name, 2},
                                                                                      {None, 0},
                                                                                      {NameIgnoringCase, 4},
                                                                                      {Name, 6},
                                                                                      {NameIgnoringCase, 5},
                                                                                      {None, 0},
                                                                                      {None, 0},
                                                                                      {Tuning, 8},
                                                                                      {None, 0}}));

    const ReorderSummary summary = ReorderServicesLike(*file, *ref);
    // Matched ones in reference order, then the rest in the order they had.
    EXPECT_EQ(test::ServiceNames(*file),
              (std::vector<std::string>{"Alpha", "Beta", "Gamma",
                                        "\xE9"
                                        "cran sport",
                                        "news", "NEWS", "Film HD", "Delta", "", "Film", "Gamma"}));
    EXPECT_EQ(summary.services, Counts(1, 0, 4, 2, 4));
    EXPECT_EQ(summary.referenceWithoutCounterpart, (List{3, 7}));
}

TEST(ReorderLike, ANearFrequencyIsTakenOnlyWhenNoneMatchesExactlyAndOnlyWhenItIsTheNearest) {
    auto ref = Installation();
    test::PushTransponder(*ref, test::MakeTransponder(0, 11780000, 27500, kVertical)); // 4: 2 MHz above 0
    Station(*ref, 0, 5, "A");                                                          // R0 at 11778
    Station(*ref, 4, 5, "B");                                                          // R1 at 11780
    Station(*ref, 4, 6, "C");                                                          // R2 at 11780
    Station(*ref, 0, 6, "D");                                                          // R3 at 11778

    auto file = Installation();
    test::PushTransponder(*file, test::MakeTransponder(0, 11779000, 27500, kVertical)); // 4: between them
    test::PushTransponder(*file, test::MakeTransponder(0, 11781000, 27500, kVertical)); // 5
    Station(*file, 4, 5, "x"); // F0: 1 MHz from both R0 and R1, a tie
    Station(*file, 5, 6, "y"); // F1: 1 MHz from R2, 3 MHz from R3
    Station(*file, 0, 6, "z"); // F2: exactly R3, though R2 lies within 2 MHz too

    using enum MatchRule;
    EXPECT_EQ(Matches(*file, *ref), (std::vector<std::pair<MatchRule, std::uint16_t>>{
                                        {None, 0}, {TuningWithin2Mhz, 2}, {Tuning, 3}}));
}

TEST(ReorderLike, FavouriteGroupsBecomeTheReferenceGroupsMembersWithCounterparts) {
    auto ref = Installation();
    for (std::uint16_t i = 0; i < 5; ++i)
        Station(*ref, 0, static_cast<std::uint16_t>(100 + i), test::IndexedName("R", i));
    SetGroupEntries(*ref, 0, {3, 0, 4, 1});
    SetFavouriteGroupName(*ref, 0, "News");
    SetGroupEntries(*ref, 1, {2});
    SetFavouriteGroupName(*ref, 1, "ABCDEFGHIJKLMNOPQRST"); // 20 characters, no terminator
    SetGroupEntries(*ref, 2, {});
    SetFavouriteGroupName(*ref, 2, "");

    auto file = Installation();
    test::PushTransponder(*file, test::MakeTransponder(0, 11779000, 27500, kVertical)); // 4
    Station(*file, 4, 101, "other name");                                               // F0 = R1, 1 MHz away
    Station(*file, kNoTransponder, 0, "R3");                                            // F1 = R3, by name
    Station(*file, 0, 100, "R0");                                                       // F2 = R0
    Station(*file, 0, 102, "R2");                                                       // F3 = R2
    // R4 is gone. The rescanned file's own groups are dropped.
    for (std::size_t g = 0; g < kFavouriteGroupCount; ++g) {
        SetGroupEntries(*file, g, {0, 1, 2, 3});
        SetFavouriteGroupName(*file, g, "Scan");
    }

    const ReorderSummary summary = ReorderServicesLike(*file, *ref);
    // New order: R0 R1 R2 R3 = F2 F0 F3 F1.
    EXPECT_EQ(GroupEntries(*file, 0), (List{3, 0, 1}));
    EXPECT_EQ(GroupEntries(*file, 1), (List{2}));
    for (std::size_t g = 2; g < kFavouriteGroupCount; ++g)
        EXPECT_TRUE(GroupEntries(*file, g).empty()) << g;
    for (std::size_t g = 0; g < kFavouriteGroupCount; ++g) {
        const FavouriteGroupRecord got = file->config.Group(g), want = ref->config.Group(g);
        EXPECT_TRUE(std::equal(got.bytes.begin(), got.bytes.begin() + 20, want.bytes.begin())) << g;
        for (std::size_t i = got.Count(); i < kFavouriteCapacity; ++i)
            ASSERT_EQ(got.Entry(i), kNoFavourite) << g << " " << i;
    }
    // R0 and R2 by tuning, R1 within 2 MHz, R3 by name; R4's entry is dropped.
    EXPECT_EQ(summary.favourites, Counts(2, 1, 1, 0, 1));
}

// A rescan as a receiver makes it: the same satellites and transponders, the services shuffled and
// numbered afresh, the favourite groups empty and unnamed.
std::unique_ptr<ChannelDatabase> Rescanned(const ChannelDatabase& original, unsigned seed) {
    auto copy = std::make_unique<ChannelDatabase>(original);
    std::vector<std::size_t> order(original.serviceCount);
    std::iota(order.begin(), order.end(), 0);
    std::shuffle(order.begin(), order.end(), std::mt19937(seed));
    for (std::size_t i = 0; i < order.size(); ++i)
        copy->services[i] = original.services[order[i]];
    RenumberServices(*copy);
    for (std::size_t g = 0; g < kFavouriteGroupCount; ++g) {
        ClearFavouriteGroup(*copy, g);
        SetFavouriteGroupName(*copy, g, "");
    }
    return copy;
}

TEST(ReorderLike, AShuffledCopyComesBackAsTheOriginalByteForByte) {
    // The demo list, and one with random bytes in every field (normalised as an open leaves it).
    std::vector<std::unique_ptr<ChannelDatabase>> originals;
    originals.push_back(std::make_unique<ChannelDatabase>(BuildDemoDatabase(false)));
    originals.push_back(std::make_unique<ChannelDatabase>(test::SampleDatabase(7, 40, 300)));
    ResolveFavourites(*originals.back());
    for (const auto& original : originals) {
        auto copy = Rescanned(*original, 99);
        ASSERT_FALSE(*copy == *original);
        const ReorderSummary summary = ReorderServicesLike(*copy, *original);
        EXPECT_TRUE(*copy == *original);
        EXPECT_EQ(summary.services[static_cast<std::size_t>(MatchRule::Tuning)], original->serviceCount);
        EXPECT_TRUE(summary.referenceWithoutCounterpart.empty());
    }
}

TEST(ReorderLike, NothingButTheOrderTheNumbersAndTheGroupsChanges) {
    const auto original = std::make_unique<ChannelDatabase>(BuildDemoDatabase(false));
    auto file = Rescanned(*original, 5);
    // The rescan lost a few services and found new ones elsewhere.
    DeleteService(*file, 10);
    DeleteService(*file, 20);
    ServiceRecord extra = file->services[0];
    extra.SetServiceId(60000);
    extra.SetText(ServiceRecord::kName, ServiceRecord::kNameArea, ServiceRecord::kNameMax, "Brand new");
    AppendService(*file, extra);
    RenumberServices(*file);
    const auto saved = std::make_unique<ChannelDatabase>(*file);
    const ChannelDatabase& before = *saved;

    ReorderServicesLike(*file, *original);
    EXPECT_EQ(file->transponders, before.transponders);
    EXPECT_EQ(file->transponderCount, before.transponderCount);
    EXPECT_EQ(file->serviceCount, before.serviceCount);
    // The config block outside the favourite groups: satellites and reserved bytes.
    const auto groups = ConfigBuffer::kFavouriteGroups;
    const auto groupsEnd = groups + kFavouriteGroupCount * FavouriteGroupRecord::kSize;
    EXPECT_TRUE(std::equal(file->config.bytes.begin(), file->config.bytes.begin() + groups,
                           before.config.bytes.begin()));
    EXPECT_TRUE(std::equal(file->config.bytes.begin() + groupsEnd, file->config.bytes.end(),
                           before.config.bytes.begin() + groupsEnd));
    // The same records, only moved, and numbered by their new places.
    const auto withoutNumbers = [](const ChannelDatabase& db) {
        std::vector<ServiceRecord> records(db.services.begin(), db.services.begin() + db.serviceCount);
        for (ServiceRecord& r : records)
            r.SetNumber(0);
        std::sort(records.begin(), records.end(),
                  [](const auto& a, const auto& b) { return a.bytes < b.bytes; });
        return records;
    };
    EXPECT_EQ(withoutNumbers(*file), withoutNumbers(before));
    EXPECT_EQ(test::ServiceNames(*file).back(), "Brand new");
    for (std::size_t i = 0; i < file->serviceCount; ++i)
        ASSERT_EQ(file->services[i].Number(), i);
    EXPECT_EQ(file->services[file->serviceCount], before.services[before.serviceCount]);
}

TEST(ReorderLike, CaseIsFoldedForTheLettersOfLatin1Only) {
    EXPECT_EQ(FoldLatin1Case("ABC xyz 09"), "abc xyz 09");
    EXPECT_EQ(FoldLatin1Case("\xC0\xC9\xD6\xDE"), "\xE0\xE9\xF6\xFE"); // ÀÉÖÞ -> àéöþ
    EXPECT_EQ(FoldLatin1Case("\xD7\xDF\xFF\xF7"), "\xD7\xDF\xFF\xF7"); // × ß ÿ ÷ have no other case here
}

} // namespace
} // namespace tcn
