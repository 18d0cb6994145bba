// The demo database must be a clean, consistent channel database: every link resolves, the capacities of
// the full demo are met exactly, and a load of its file changes nothing.

#include "channelfile/channel_file_session.h"
#include "channelfile/file_format.h"
#include "demo_database.h"
#include "platform/file_system.h"
#include "support/recording_reporter.h"
#include "support/temp_dir.h"
#include "tables/satellite_table.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <set>

namespace tcn {
namespace {

std::unique_ptr<ChannelDatabase> Demo(bool full) {
    return std::make_unique<ChannelDatabase>(BuildDemoDatabase(full));
}

class DemoDatabaseTest : public ::testing::TestWithParam<bool> {};

TEST_P(DemoDatabaseTest, EveryLinkNamesSomethingThatExists) {
    const auto db = Demo(GetParam());
    ASSERT_GT(db->satelliteCount, 0);
    ASSERT_GT(db->transponderCount, 0);
    ASSERT_GT(db->serviceCount, 0);

    std::map<int, int> perSatellite;
    for (std::size_t t = 0; t < db->transponderCount; ++t) {
        EXPECT_LT(db->transponders[t].Satellite(), db->satelliteCount) << "transponder " << t;
        const std::uint32_t mhz = db->transponders[t].Frequency() / 1000;
        EXPECT_GE(mhz, 10700u);
        EXPECT_LE(mhz, 12750u);
        ++perSatellite[db->transponders[t].Satellite()];
    }
    for (const auto& [sat, n] : perSatellite)
        EXPECT_LE(n, 200) << "satellite " << sat;
    EXPECT_EQ(perSatellite.size(), db->satelliteCount) << "every satellite has transponders";

    for (std::size_t i = 0; i < db->serviceCount; ++i) {
        const ServiceRecord& s = db->services[i];
        EXPECT_EQ(s.Number(), i);
        EXPECT_LT(s.Transponder(), db->transponderCount) << "service " << i;
        EXPECT_TRUE(s.Kind() == ServiceRecord::kKindTv || s.Kind() == ServiceRecord::kKindRadio);
        EXPECT_FALSE(s.Name().empty());
        EXPECT_LE(s.VideoPid(), 8191);
        EXPECT_LE(s.AudioPid(), 8191);
        EXPECT_LE(s.PcrPid(), 8191);
    }

    for (std::size_t g = 0; g < kFavouriteGroupCount; ++g) {
        const FavouriteGroupRecord group = db->config.Group(g);
        EXPECT_FALSE(group.Name().empty());
        ASSERT_LE(group.Count(), kFavouriteCapacity);
        std::set<std::uint16_t> seen;
        for (std::size_t e = 0; e < kFavouriteCapacity; ++e) {
            if (e < group.Count()) {
                EXPECT_LT(group.Entry(e), db->serviceCount);
                EXPECT_TRUE(seen.insert(group.Entry(e)).second) << "group " << g << " names a service twice";
            } else {
                EXPECT_EQ(group.Entry(e), kNoFavourite);
            }
        }
    }
}

TEST_P(DemoDatabaseTest, InUseBitsAgreeWithTheCountAndFreeSlotsStayFree) {
    const auto db = Demo(GetParam());
    const std::uint8_t stored = db->satelliteCount;
    EXPECT_EQ(CountSatellites(*db), stored);
    for (std::size_t t = db->transponderCount; t < kTransponderCapacity; ++t)
        ASSERT_EQ(db->transponders[t], FreeTransponderSlot()) << "slot " << t;
    for (std::size_t i = db->serviceCount; i < kServiceCapacity; ++i)
        ASSERT_EQ(db->services[i], EmptyServiceSlot()) << "slot " << i;
}

TEST_P(DemoDatabaseTest, IsTheSameOnEveryBuildAndCarriesBytesNobodyInterprets) {
    const auto a = Demo(GetParam());
    const auto b = Demo(GetParam());
    EXPECT_EQ(*a, *b);
    // The reserved stretches of the config payload hold no zero byte.
    for (std::size_t i = 8; i < ConfigBuffer::kSatelliteTable; ++i)
        EXPECT_NE(a->config.U8(i), 0) << i;
    for (std::size_t i = ConfigBuffer::kFavouriteGroups + 5 * 422; i < kConfigBlockSize; ++i)
        ASSERT_NE(a->config.U8(i), 0) << i;
    EXPECT_NE(a->config.Satellite(0).U8(26), 0);
    EXPECT_NE(a->transponders[0].U8(11), 0);
    EXPECT_NE(a->services[0].U8(137), 0);
}

// A load of the demo's file runs the post-load operations; on a clean database they change nothing, and a
// save writes back the very bytes that were loaded.
TEST_P(DemoDatabaseTest, LoadsUnchangedAndSavesTheSameBytes) {
    const auto db = Demo(GetParam());
    const std::vector<std::uint8_t> image = BuildChannelFileImage(*db);
    test::TempDir dir;
    test::ScopedWorkingDirectory cwd(dir.Path());
    test::WriteFileBytes(dir / "demo.TCN", image);

    PosixFileSystem files;
    ChannelFileSession session(files);
    test::RecordingReporter reporter;
    ASSERT_EQ(session.Open(dir / "demo.TCN", reporter).status, LoadStatus::Loaded);

    ChannelDatabase expected = *db;
    SealConfigBlock(expected.config);
    EXPECT_TRUE(session.Database() == expected);

    ASSERT_TRUE(session.Save(reporter));
    EXPECT_EQ(test::ReadFileBytes(dir / "NEW_demo.TCN"), image);
}

INSTANTIATE_TEST_SUITE_P(SmallAndFull, DemoDatabaseTest, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "Full" : "Small"; });

TEST(DemoDatabase, FullDemoFillsEveryTableToCapacity) {
    const auto db = Demo(true);
    EXPECT_EQ(db->satelliteCount, kSatelliteCapacity);
    EXPECT_EQ(db->transponderCount, kTransponderCapacity);
    EXPECT_EQ(db->serviceCount, kServiceCapacity);
    for (std::size_t g = 0; g < kFavouriteGroupCount; ++g)
        EXPECT_EQ(db->config.Group(g).Count(), kFavouriteCapacity);
}

TEST(DemoDatabase, SmallDemoHasAVarietyOfServices) {
    const auto db = Demo(false);
    std::set<std::string_view> languages;
    std::set<std::uint8_t> caCodes;
    int radio = 0, locked = 0, scrambled = 0, latin1 = 0;
    for (std::size_t i = 0; i < db->serviceCount; ++i) {
        const ServiceRecord& s = db->services[i];
        languages.insert(s.Language());
        for (std::size_t c = 0; c < 4; ++c)
            caCodes.insert(s.Ca(c));
        radio += s.IsRadio();
        locked += s.Locked();
        scrambled += s.Scrambled();
        for (char ch : s.Name()) {
            if (static_cast<unsigned char>(ch) >= 0x80) {
                ++latin1;
                break;
            }
        }
    }
    EXPECT_GE(db->serviceCount, 200);
    EXPECT_GE(languages.size(), 7u);
    EXPECT_TRUE(languages.count(""));
    EXPECT_GE(caCodes.size(), 6u);
    EXPECT_GT(radio, 0);
    EXPECT_GT(locked, 0);
    EXPECT_GT(scrambled, 0);
    EXPECT_GT(latin1, 0);
}

} // namespace
} // namespace tcn
