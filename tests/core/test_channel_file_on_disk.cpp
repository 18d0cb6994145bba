// Opening and saving real files: holds without sharing, read-only files, links planted under the
// temporary files' names, and the working directory left clean.

#include "channelfile/channel_file_session.h"
#include "platform/file_system.h"
#include "support/file_builder.h"
#include "support/recording_reporter.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

namespace tcn {
namespace {

using test::BuildFile;
using test::PartsFrom;
using test::ReadFileBytes;
using test::RecordingReporter;
using test::SampleDatabase;
using test::ScopedWorkingDirectory;
using test::TempDir;
using test::WriteFileBytes;

class OnDisk : public ::testing::Test {
  protected:
    OnDisk() : work(folder.Path()) {}
    std::size_t EntriesIn(const std::string& path) {
        return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator(path), {}));
    }
    TempDir folder;
    ScopedWorkingDirectory work;
    PosixFileSystem files;
    RecordingReporter reporter;
};

TEST_F(OnDisk, OpenSaveReopenAndTheWorkingDirectoryStaysClean) {
    const auto bytes = BuildFile(PartsFrom(SampleDatabase(31, 30, 80)));
    WriteFileBytes(folder / "CH.TCN", bytes);
    ChannelFileSession session(files);
    ASSERT_EQ(session.Open(folder / "CH.TCN", reporter).status, LoadStatus::Loaded);
    // Held without sharing: a second editor cannot take the file, but this one may open it again.
    ChannelFileSession other(files);
    EXPECT_EQ(other.Open(folder / "CH.TCN", reporter).code, 1);
    ASSERT_EQ(session.Open(folder / "CH.TCN", reporter).status, LoadStatus::Loaded);

    ASSERT_TRUE(session.Save(reporter));
    EXPECT_EQ(ReadFileBytes(folder / "CH.TCN"), bytes) << "the chosen file was written";
    EXPECT_EQ(EntriesIn(folder.Path()), 2u) << "temporary files remain";
    ASSERT_EQ(other.Open(folder / "NEW_CH.TCN", reporter).status, LoadStatus::Loaded);
    EXPECT_TRUE(other.Database() == session.Database());
}

TEST_F(OnDisk, ReadOnlyFilesAreNeitherOpenedNorReplaced) {
    const auto bytes = BuildFile(PartsFrom(SampleDatabase(32)));
    WriteFileBytes(folder / "RO.TCN", bytes);
    ::chmod((folder / "RO.TCN").c_str(), 0444);
    ChannelFileSession session(files);
    EXPECT_EQ(session.Open(folder / "RO.TCN", reporter).code, 1);

    WriteFileBytes(folder / "CH.TCN", bytes);
    WriteFileBytes(folder / "NEW_CH.TCN", {9, 9, 9});
    ::chmod((folder / "NEW_CH.TCN").c_str(), 0444);
    ASSERT_EQ(session.Open(folder / "CH.TCN", reporter).status, LoadStatus::Loaded);
    reporter.lines.clear();
    EXPECT_FALSE(session.Save(reporter));
    EXPECT_EQ(reporter.lines.at(2), "message: [Error] Level[8] : Couldn't create New TCN File.");
    EXPECT_EQ(ReadFileBytes(folder / "NEW_CH.TCN"), (std::vector<std::uint8_t>{9, 9, 9}));
}

TEST_F(OnDisk, LinksPlantedUnderTemporaryNamesAreNeverFollowed) {
    TempDir elsewhere;
    const auto victim = elsewhere / "victim";
    WriteFileBytes(victim, {1, 2, 3});
    for (const char* name : {"TdaT.tmp", "TdaT2.tmp", "ser.tmp", "comp_ser.tmp"})
        ASSERT_EQ(::symlink(victim.c_str(), (folder / name).c_str()), 0);
    WriteFileBytes(folder / "CH.TCN", BuildFile(PartsFrom(SampleDatabase(33))));
    // The new file's name may be a link to the chosen file itself: it must not be written through.
    ASSERT_EQ(::symlink((folder / "CH.TCN").c_str(), (folder / "NEW_CH.TCN").c_str()), 0);
    const auto original = ReadFileBytes(folder / "CH.TCN");

    ChannelFileSession session(files);
    ASSERT_EQ(session.Open(folder / "CH.TCN", reporter).status, LoadStatus::Loaded);
    ASSERT_TRUE(session.Save(reporter));
    EXPECT_EQ(ReadFileBytes(victim), (std::vector<std::uint8_t>{1, 2, 3}));
    EXPECT_EQ(ReadFileBytes(folder / "CH.TCN"), original);
    struct stat st {};
    ASSERT_EQ(::lstat((folder / "NEW_CH.TCN").c_str(), &st), 0);
    EXPECT_TRUE(S_ISREG(st.st_mode));
}

TEST_F(OnDisk, TemporaryFileThatCannotBeCreatedFailsTheOpen) {
    const auto bytes = BuildFile(PartsFrom(SampleDatabase(34)));
    WriteFileBytes(folder / "CH.TCN", bytes);
    std::filesystem::create_directory(folder / "TdaT2.tmp");
    ChannelFileSession session(files);
    const LoadResult result = session.Open(folder / "CH.TCN", reporter);
    EXPECT_EQ(result.status, LoadStatus::Unexpected);
    EXPECT_EQ(reporter.lines.back(), "message: [File Error] Problem writing to file.");
    EXPECT_FALSE(std::filesystem::exists(folder / "TdaT.tmp"));
    EXPECT_TRUE(session.Context().SourcePath.empty());
    EXPECT_FALSE(session.Context().SourceHandle);
}

} // namespace
} // namespace tcn
