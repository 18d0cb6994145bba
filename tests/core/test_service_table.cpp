#include "support/db_builders.h"
#include "tables/service_table.h"

#include <gtest/gtest.h>

namespace tcn {
namespace {

using test::NewDatabase;
using Names = std::vector<std::string>;
using List = std::vector<std::uint16_t>;

// A table of services named A0, A1, ... numbered and linked by index.
std::unique_ptr<ChannelDatabase> Lettered(std::size_t n) {
    auto db = NewDatabase();
    for (std::size_t i = 0; i < n; ++i)
        test::PushService(*db, test::MakeService(static_cast<std::uint16_t>(i), static_cast<std::uint16_t>(i),
                                                 test::IndexedName("A", i)));
    return db;
}

void ExpectEmptyFrom(const ChannelDatabase& db, std::size_t first) {
    for (std::size_t i = first; i < kServiceCapacity; ++i)
        ASSERT_EQ(db.services[i], EmptyServiceSlot()) << i;
}

ServiceEdit SampleEdit() {
    ServiceEdit e;
    e.name = "Das Erste";
    e.provider = "ARD";
    e.radio = true;
    e.serviceId = 28106;
    e.videoPid = 101;
    e.audioPid = 102;
    e.pcrPid = 8191;
    e.scrambled = true;
    return e;
}

TEST(ServiceDelete, ClosesTheGapAndEmptiesTheLastSlot) {
    auto db = Lettered(5);
    DeleteService(*db, 1);
    EXPECT_EQ(test::ServiceNames(*db), (Names{"A0", "A2", "A3", "A4"}));
    EXPECT_EQ(test::ServiceNumbers(*db), (List{0, 2, 3, 4})); // numbers travel with the records
    ExpectEmptyFrom(*db, 4);
    DeleteService(*db, 4);
    DeleteService(*db, 3);
    EXPECT_EQ(test::ServiceNames(*db), (Names{"A0", "A2", "A3"}));
}

TEST(ServiceDelete, DeletingTheOnlyRecordClearsEverySlot) {
    auto db = Lettered(1);
    db->services[4999].bytes[7] = 0x33;
    DeleteService(*db, 0);
    EXPECT_EQ(db->serviceCount, 0);
    ExpectEmptyFrom(*db, 0);
}

TEST(ServiceMove, MovesOneRecordAndShiftsOnlyTheRangeBetween) {
    const auto moved = [](std::size_t a, std::size_t b) {
        auto db = Lettered(7);
        MoveService(*db, a, b);
        return test::ServiceNames(*db);
    };
    EXPECT_EQ(moved(5, 2), (Names{"A0", "A1", "A5", "A2", "A3", "A4", "A6"}));
    EXPECT_EQ(moved(2, 5), (Names{"A0", "A1", "A3", "A4", "A5", "A2", "A6"}));
    EXPECT_EQ(moved(6, 0), (Names{"A6", "A0", "A1", "A2", "A3", "A4", "A5"}));
    const Names unchanged{"A0", "A1", "A2", "A3", "A4", "A5", "A6"};
    EXPECT_EQ(moved(3, 3), unchanged);
    EXPECT_EQ(moved(7, 0), unchanged);
    EXPECT_EQ(moved(0, 7), unchanged);
}

TEST(ServiceDelete, OnTransponderRemovesEveryMatchKeepingTheOrder) {
    auto db = NewDatabase();
    for (std::uint16_t link : {1, 4, 4, 2, 4, 0xFFFF, 3})
        test::PushService(
            *db, test::MakeService(db->serviceCount, link, test::IndexedName("S", db->serviceCount)));
    DeleteServicesOnTransponder(*db, 4);
    EXPECT_EQ(test::ServiceNames(*db), (Names{"S0", "S3", "S5", "S6"}));
    ExpectEmptyFrom(*db, 4);
    DeleteServicesOnTransponder(*db, 9);
    EXPECT_EQ(db->serviceCount, 4);
    DeleteServicesOnTransponder(*db, 0xFFFF);
    EXPECT_EQ(test::ServiceNames(*db), (Names{"S0", "S3", "S6"}));
}

TEST(ServiceEdit, ChangesOnlyTheFieldsItOwns) {
    std::mt19937 rng(21);
    for (int round = 0; round < 50; ++round) {
        auto db = NewDatabase();
        ServiceRecord stored;
        test::FillRandom(stored, rng);
        test::PushService(*db, stored);
        ApplyServiceEdit(*db, 0, SampleEdit());
        const ServiceRecord now = GetService(*db, 0);
        for (std::size_t off : test::DifferingOffsets(stored, now)) {
            const bool owned = (off >= 6 && off <= 26) || (off >= 90 && off <= 120) || off == 125 ||
                               (off >= 128 && off <= 136);
            ASSERT_TRUE(owned) << "byte " << off;
        }
        EXPECT_EQ(now.Name(), "Das Erste");
        EXPECT_EQ(now.Provider(), "ARD");
        EXPECT_EQ(now.Kind(), ServiceRecord::kKindRadio);
        EXPECT_EQ(now.ServiceId(), 28106);
        EXPECT_EQ(now.PcrPid(), 8191);
        EXPECT_EQ(now.Flags(), stored.Flags() | ServiceRecord::kScrambledBit);
        // Behind the provider's terminator the old bytes of the 84-byte area stay.
        EXPECT_TRUE(std::equal(now.bytes.begin() + 27, now.bytes.begin() + 90, stored.bytes.begin() + 27));
    }
}

TEST(ServiceEdit, NamesAreCutTerminatedAndLeaveNoTraceOfLongerOnes) {
    auto db = Lettered(1);
    db->services[0].bytes[26] = 0x77;
    db->services[0].bytes[120] = 0x77;
    ServiceEdit e = SampleEdit();
    e.name = std::string(35, 'N');
    e.provider = std::string(25, 'P');
    ApplyServiceEdit(*db, 0, e);
    EXPECT_EQ(GetService(*db, 0).Name(), std::string(30, 'N'));
    EXPECT_EQ(GetService(*db, 0).Provider(), std::string(20, 'P'));
    EXPECT_EQ(db->services[0].bytes[120], 0);
    EXPECT_EQ(db->services[0].bytes[26], 0);

    e.name = "ZDF";
    e.provider = "";
    e.radio = false;
    ApplyServiceEdit(*db, 0, e);
    const ServiceRecord& rec = db->services[0];
    EXPECT_TRUE(std::all_of(rec.bytes.begin() + 93, rec.bytes.begin() + 121, [](auto b) { return b == 0; }));
    EXPECT_TRUE(std::all_of(rec.bytes.begin() + 6, rec.bytes.begin() + 27, [](auto b) { return b == 0; }));
    EXPECT_EQ(rec.Kind(), ServiceRecord::kKindTv);
}

TEST(ServiceEdit, PidsAboveThirteenBitsAreSkippedOneByOne) {
    auto db = Lettered(1);
    db->services[0].SetVideoPid(500);
    db->services[0].SetPcrPid(600);
    ServiceEdit e = SampleEdit();
    e.videoPid = 8192;
    e.audioPid = 8191;
    e.pcrPid = 0xFFFFFFFF;
    ApplyServiceEdit(*db, 0, e);
    EXPECT_EQ(GetService(*db, 0).VideoPid(), 500);
    EXPECT_EQ(GetService(*db, 0).AudioPid(), 8191);
    EXPECT_EQ(GetService(*db, 0).PcrPid(), 600);
    EXPECT_EQ(GetService(*db, 0).Name(), "Das Erste");
}

TEST(ServiceLock, TogglingTwiceRestoresTheFlagsByte) {
    auto db = Lettered(2);
    db->services[1].SetFlags(0xAE);
    ToggleServiceLock(*db, 1);
    EXPECT_EQ(db->services[1].Flags(), 0xAF);
    ToggleServiceLock(*db, 1);
    EXPECT_EQ(db->services[1].Flags(), 0xAE);
    ToggleServiceLock(*db, 2);
    EXPECT_EQ(db->services[2], EmptyServiceSlot());
}

TEST(ServiceNew, RecordHasTheFixedContent) {
    auto db = Lettered(3);
    const ServiceRecord rec = NewServiceRecord(*db, 0x1234, ServiceRecord::kKindRadio);
    ServiceRecord expected;
    expected.SetNumber(3);
    std::memcpy(expected.bytes.data() + 6, "Noname", 6);
    std::memcpy(expected.bytes.data() + 90, "Noname", 6);
    expected.bytes[125] = 2;
    expected.bytes[126] = 0x34;
    expected.bytes[127] = 0x12;
    EXPECT_EQ(rec, expected);
}

TEST(ServiceTable, AppendRefusesAFullTableAndIndicesOutsideDoNothing) {
    auto db = NewDatabase();
    test::FillServices(*db, kServiceCapacity - 1);
    EXPECT_TRUE(AppendService(*db, test::MakeService(1, 1, "last")));
    EXPECT_EQ(GetService(*db, 4999).Name(), "last");
    EXPECT_FALSE(AppendService(*db, test::MakeService(2, 2)));
    EXPECT_EQ(db->serviceCount, kServiceCapacity);

    auto small = Lettered(2);
    const auto before = small->services;
    ReplaceService(*small, 2, test::MakeService(9, 9));
    ApplyServiceEdit(*small, 2, SampleEdit());
    DeleteService(*small, 2);
    EXPECT_EQ(small->services, before);
    EXPECT_EQ(GetService(*small, 2), EmptyServiceSlot());
    ReplaceService(*small, 1, test::MakeService(9, 9, "new"));
    EXPECT_EQ(test::ServiceNames(*small), (Names{"A0", "new"}));
}

TEST(ServiceTable, RenumberAndRemapTouchOnlyRecordsInUse) {
    auto db = NewDatabase();
    for (std::uint16_t link : {4, 0xFFFF, 3500, 7, 4})
        test::PushService(*db, test::MakeService(900, link));
    std::array<std::uint16_t, kTransponderCapacity> map;
    map.fill(kNoTransponder);
    map[4] = 2;
    map[7] = 7;
    RemapServiceTransponders(*db, map);
    EXPECT_EQ(test::ServiceLinks(*db), (List{2, 0xFFFF, 0xFFFF, 7, 2}));
    RenumberServices(*db);
    EXPECT_EQ(test::ServiceNumbers(*db), (List{0, 1, 2, 3, 4}));
    ExpectEmptyFrom(*db, 5);
}

} // namespace
} // namespace tcn
