#include "platform/file_system.h"
#include "platform/stream.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tcn {
namespace {

using Bytes = std::vector<std::uint8_t>;

// --- MemoryStream -----------------------------------------------------------------------------------

TEST(MemoryStream, WritesReadsAndSeeksLikeAFile) {
    MemoryStream s;
    const Bytes data{1, 2, 3, 4, 5};
    s.Write(data.data(), data.size());
    EXPECT_EQ(s.Size(), 5);
    EXPECT_EQ(s.Seek(1, SeekOrigin::Begin), 1);
    std::uint8_t two[2] = {};
    EXPECT_EQ(s.Read(two, 2), 2u);
    EXPECT_EQ(two[0], 2);
    EXPECT_EQ(two[1], 3);
    EXPECT_EQ(s.Seek(0, SeekOrigin::Current), 3);
    EXPECT_EQ(s.Seek(-1, SeekOrigin::End), 4);
    std::uint8_t rest[8] = {};
    EXPECT_EQ(s.Read(rest, sizeof rest), 1u); // only what is left
    EXPECT_EQ(rest[0], 5);
    EXPECT_EQ(s.Read(rest, sizeof rest), 0u);

    // Overwriting in the middle keeps the size.
    s.Seek(1, SeekOrigin::Begin);
    const std::uint8_t x = 9;
    s.Write(&x, 1);
    EXPECT_EQ(s.Bytes(), (Bytes{1, 9, 3, 4, 5}));
}

TEST(MemoryStream, SeekPastTheEndThenWriteZeroFillsTheGap) {
    MemoryStream s(Bytes{7, 7});
    EXPECT_EQ(s.Seek(3, SeekOrigin::End), 5);
    EXPECT_EQ(s.Size(), 2); // seeking alone does not grow the stream
    std::uint8_t probe = 0;
    EXPECT_EQ(s.Read(&probe, 1), 0u);
    const std::uint8_t x = 0xAB;
    s.Write(&x, 1);
    EXPECT_EQ(s.Bytes(), (Bytes{7, 7, 0, 0, 0, 0xAB}));
}

TEST(MemoryStream, SeekBeforeTheStartThrowsAndKeepsThePosition) {
    MemoryStream s(Bytes{1, 2, 3});
    s.Seek(2, SeekOrigin::Begin);
    EXPECT_THROW(s.Seek(-1, SeekOrigin::Begin), IoError);
    EXPECT_THROW(s.Seek(-3, SeekOrigin::Current), IoError);
    EXPECT_THROW(s.Seek(-4, SeekOrigin::End), IoError);
    EXPECT_EQ(s.Seek(0, SeekOrigin::Current), 2);
}

// A stream that hands out at most three bytes per read, as a pipe might.
class TrickleStream : public MemoryStream {
  public:
    using MemoryStream::MemoryStream;
    std::size_t Read(void* buffer, std::size_t n) override {
        return MemoryStream::Read(buffer, std::min<std::size_t>(n, 3));
    }
};

TEST(Stream, ReadFullyCollectsShortReadsUntilTheEnd) {
    TrickleStream s(Bytes{1, 2, 3, 4, 5, 6, 7, 8});
    std::uint8_t buf[10] = {};
    EXPECT_TRUE(s.ReadExact(buf, 7));
    EXPECT_EQ(buf[6], 7);
    EXPECT_EQ(s.ReadFully(buf, 10), 1u);
    EXPECT_EQ(buf[0], 8);
    s.Seek(0, SeekOrigin::Begin);
    EXPECT_FALSE(s.ReadExact(buf, 9));
}

// --- PosixFileSystem ----------------------------------------------------------------------------------

class PosixFiles : public ::testing::Test {
  protected:
    test::TempDir dir;
    PosixFileSystem fs;
};

TEST_F(PosixFiles, CreatedFileWritesReadsSeeksAndReportsItsSize) {
    const std::string path = dir / "a.bin";
    auto f = fs.Create(path);
    ASSERT_NE(f, nullptr);
    const Bytes data{10, 20, 30, 40};
    f->Write(data.data(), data.size());
    EXPECT_EQ(f->Size(), 4);
    EXPECT_EQ(f->Seek(1, SeekOrigin::Begin), 1);
    std::uint8_t buf[8] = {};
    EXPECT_EQ(f->Read(buf, sizeof buf), 3u);
    EXPECT_EQ(buf[0], 20);
    EXPECT_EQ(f->Seek(2, SeekOrigin::End), 6);
    f->Write(data.data(), 1);
    EXPECT_EQ(f->Seek(-2, SeekOrigin::Current), 5);
    EXPECT_THROW(f->Seek(-1, SeekOrigin::Begin), IoError);

    ASSERT_TRUE(f->Id().has_value());
    EXPECT_EQ(f->Id(), fs.IdOf(path));
    f.reset();
    EXPECT_EQ(test::ReadFileBytes(path), (Bytes{10, 20, 30, 40, 0, 0, 10}));
    EXPECT_TRUE(fs.Exists(path));
    EXPECT_FALSE(fs.Exists(dir / "missing"));
    EXPECT_FALSE(fs.IdOf(dir / "missing").has_value());
}

TEST_F(PosixFiles, AHeldFileCannotBeOpenedAgainUntilReleased) {
    const std::string path = dir / "held.tcn";
    test::WriteFileBytes(path, {1, 2, 3});
    auto first = fs.OpenExclusive(path);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(fs.OpenExclusive(path), nullptr);
    first.reset();
    auto again = fs.OpenExclusive(path);
    ASSERT_NE(again, nullptr);
    std::uint8_t buf[3] = {};
    EXPECT_TRUE(again->ReadExact(buf, 3));
    EXPECT_EQ(buf[2], 3);

    // A file just created is held as well.
    auto created = fs.Create(dir / "new.tcn");
    ASSERT_NE(created, nullptr);
    EXPECT_EQ(fs.OpenExclusive(dir / "new.tcn"), nullptr);
}

TEST_F(PosixFiles, OpenExclusiveRefusesMissingFilesAndFolders) {
    EXPECT_EQ(fs.OpenExclusive(dir / "missing.tcn"), nullptr);
    EXPECT_EQ(fs.OpenExclusive(dir.Path()), nullptr);
}

TEST_F(PosixFiles, ReadOnlyFileIsNeitherOpenedNorRemoved) {
    const std::string path = dir / "ro.tcn";
    test::WriteFileBytes(path, {5, 6});
    ASSERT_EQ(::chmod(path.c_str(), 0444), 0);
    EXPECT_EQ(fs.OpenExclusive(path), nullptr);
    EXPECT_FALSE(fs.Remove(path));
    EXPECT_EQ(test::ReadFileBytes(path), (Bytes{5, 6}));
    // Any write bit at all makes it writable again.
    ASSERT_EQ(::chmod(path.c_str(), 0464), 0);
    EXPECT_NE(fs.OpenExclusive(path), nullptr);
    EXPECT_TRUE(fs.Remove(path));
    EXPECT_FALSE(fs.Exists(path));
}

TEST_F(PosixFiles, CreateOverAnExistingFileStartsEmpty) {
    const std::string path = dir / "old.bin";
    test::WriteFileBytes(path, Bytes(100, 0xEE));
    auto f = fs.Create(path);
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(f->Size(), 0);
}

TEST_F(PosixFiles, CreateReplacesAPlantedLinkAndLeavesItsTargetAlone) {
    const std::string target = dir / "target.bin";
    const std::string name = dir / "ser.tmp";
    test::WriteFileBytes(target, {1, 2, 3});
    ASSERT_EQ(::symlink(target.c_str(), name.c_str()), 0);

    auto f = fs.Create(name);
    ASSERT_NE(f, nullptr);
    const std::uint8_t x = 42;
    f->Write(&x, 1);
    f.reset();

    struct stat st {};
    ASSERT_EQ(::lstat(name.c_str(), &st), 0);
    EXPECT_TRUE(S_ISREG(st.st_mode));
    EXPECT_EQ(test::ReadFileBytes(name), Bytes{42});
    EXPECT_EQ(test::ReadFileBytes(target), (Bytes{1, 2, 3}));

    // A dangling link is replaced too, and nothing appears where it pointed.
    const std::string dangling = dir / "dangling";
    ASSERT_EQ(::symlink((dir / "nowhere").c_str(), dangling.c_str()), 0);
    EXPECT_NE(fs.Create(dangling), nullptr);
    EXPECT_FALSE(fs.Exists(dir / "nowhere"));
}

TEST_F(PosixFiles, FoldersAreNeitherCreatedOverNorRemoved) {
    const std::string sub = dir / "sub";
    ASSERT_EQ(::mkdir(sub.c_str(), 0755), 0);
    EXPECT_EQ(fs.Create(sub), nullptr);
    EXPECT_FALSE(fs.Remove(sub));
    EXPECT_TRUE(fs.Exists(sub));
    EXPECT_EQ(fs.Create(""), nullptr);
}

TEST_F(PosixFiles, RemoveDeletesFilesAndLinksButNotWhatALinkPointsTo) {
    const std::string target = dir / "target.bin";
    const std::string link = dir / "link";
    test::WriteFileBytes(target, {1});
    ASSERT_EQ(::chmod(target.c_str(), 0444), 0); // the link itself is removable even so
    ASSERT_EQ(::symlink(target.c_str(), link.c_str()), 0);
    EXPECT_TRUE(fs.Remove(link));
    EXPECT_FALSE(fs.Exists(link));
    EXPECT_TRUE(fs.Exists(target));

    const std::string plain = dir / "plain.bin";
    test::WriteFileBytes(plain, {1});
    EXPECT_TRUE(fs.Remove(plain));
    EXPECT_FALSE(fs.Exists(plain));
    EXPECT_FALSE(fs.Remove(plain));
}

TEST_F(PosixFiles, AWriteThatCannotCompleteThrows) {
    // Limit the size of files this process may write, so that a write stops part way.
    struct rlimit old {};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
    auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = old;
    small.rlim_cur = 4096;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);

    auto f = fs.Create(dir / "big.bin");
    ASSERT_NE(f, nullptr);
    const Bytes data(10000, 0x55);
    EXPECT_THROW(f->Write(data.data(), data.size()), IoError);
    EXPECT_EQ(f->Size(), 4096); // what fitted stays written

    ::setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);
}

} // namespace
} // namespace tcn
