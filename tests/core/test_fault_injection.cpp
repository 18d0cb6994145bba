// Every single I/O failure during an open and during a save, one at a time: each is reported, none is
// reported as success, and none leaves changed tables, a lost hold, a damaged file or a stray temporary
// file behind. The walks run over files in memory and over real files in a temporary folder.

#include "channelfile/channel_file_session.h"
#include "channelfile/file_format.h"
#include "testkit/fault_injecting_file_system.h"
#include "testkit/memory_file_system.h"
#include "support/file_builder.h"
#include "support/recording_reporter.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <set>

namespace tcn {
namespace {

using Bytes = std::vector<std::uint8_t>;
using test::RecordingReporter;

const std::set<std::string> kTempFiles = {"TdaT.tmp", "TdaT2.tmp", "ser.tmp", "comp_ser.tmp"};

// The folder the walks work in, seen from outside the program: files are put, read and listed here
// directly, never through the file system under test, so checking counts no calls.
class Folder {
  public:
    virtual ~Folder() = default;
    virtual FileSystem& Files() = 0;
    virtual std::string PathOf(const std::string& name) const = 0;
    virtual void Put(const std::string& name, const Bytes& bytes) = 0;
    virtual Bytes Get(const std::string& name) const = 0;
    // Names of all files in the folder and in the working directory (where the temporary files go).
    virtual std::set<std::string> Names() const = 0;

    // True when someone holds the file: it exists but cannot be opened without sharing.
    bool Held(const std::string& name) { return Names().count(name) && !Files().OpenExclusive(PathOf(name)); }
};

class MemoryFolder : public Folder {
  public:
    FileSystem& Files() override { return m_files; }
    std::string PathOf(const std::string& name) const override { return "/f/" + name; }
    void Put(const std::string& name, const Bytes& bytes) override { m_files.Put(PathOf(name), bytes); }
    Bytes Get(const std::string& name) const override { return m_files.Get(PathOf(name)); }
    std::set<std::string> Names() const override {
        std::set<std::string> names;
        for (const std::string& path : m_files.Names())
            names.insert(path.rfind("/f/", 0) == 0 ? path.substr(3) : path);
        return names;
    }

  private:
    MemoryFileSystem m_files;
};

// A temporary folder that is also the working directory while the walk step runs.
class DiskFolder : public Folder {
  public:
    DiskFolder() : m_cwd(m_dir.Path()) {}
    FileSystem& Files() override { return m_files; }
    std::string PathOf(const std::string& name) const override { return m_dir / name; }
    void Put(const std::string& name, const Bytes& bytes) override {
        test::WriteFileBytes(PathOf(name), bytes);
    }
    Bytes Get(const std::string& name) const override { return test::ReadFileBytes(PathOf(name)); }
    std::set<std::string> Names() const override {
        std::set<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(m_dir.Path()))
            names.insert(entry.path().filename().string());
        return names;
    }

  private:
    test::TempDir m_dir;
    test::ScopedWorkingDirectory m_cwd;
    PosixFileSystem m_files;
};

enum class Storage { Memory, Disk };

std::unique_ptr<Folder> NewFolder(Storage storage) {
    if (storage == Storage::Memory) return std::make_unique<MemoryFolder>();
    return std::make_unique<DiskFolder>();
}

const Bytes& FileA() {
    static const Bytes bytes = test::BuildFile(test::PartsFrom(test::SampleDatabase(31, 20, 60)));
    return bytes;
}
const Bytes& FileB() {
    static const Bytes bytes = test::BuildFile(test::PartsFrom(test::SampleDatabase(32, 35, 80)));
    return bytes;
}

// The tables a clean open of `bytes` gives, post-load operations included.
std::unique_ptr<ChannelDatabase> CleanLoad(const Bytes& bytes) {
    MemoryFileSystem files;
    files.Put("/c/X.TCN", bytes);
    ChannelFileSession session(files);
    RecordingReporter reporter;
    EXPECT_EQ(session.Open("/c/X.TCN", reporter).status, LoadStatus::Loaded);
    return std::make_unique<ChannelDatabase>(session.Database());
}

std::vector<std::string> MessageBoxes(const RecordingReporter& reporter) {
    std::vector<std::string> boxes;
    for (const std::string& line : reporter.lines)
        if (line.rfind("message: ", 0) == 0) boxes.push_back(line);
    return boxes;
}

// One step of a walk: a folder with A.TCN and B.TCN, and a session over the fault-injecting file system
// that has A loaded, exactly as the user would have it before the operation under test.
struct World {
    explicit World(Storage storage) : folder(NewFolder(storage)), faults(folder->Files()), session(faults) {
        folder->Put("A.TCN", FileA());
        folder->Put("B.TCN", FileB());
        RecordingReporter reporter;
        faults.Arm(0);
        EXPECT_EQ(session.Open(folder->PathOf("A.TCN"), reporter).status, LoadStatus::Loaded);
    }
    std::unique_ptr<Folder> folder;
    FaultInjectingFileSystem faults;
    ChannelFileSession session;
};

std::string Describe(std::uint64_t k, const std::optional<FaultInjectingFileSystem::Call>& call) {
    if (!call) return "call " + std::to_string(k) + " (not reached)";
    return "call " + std::to_string(k) + ": " + std::string(IoCallName(call->kind)) + " " + call->path;
}

// Files that may remain in the folder after a step: the given ones, plus a temporary file whose removal
// was the refused call. A refused delete is not retried: the file system said no, and a leftover
// temporary file is harmless, since the next load or save creates it afresh.
void ExpectOnlyFiles(const World& w, std::set<std::string> allowed, const std::string& where) {
    const auto fault = w.faults.InjectedFault();
    if (fault && fault->kind == IoCall::Remove && kTempFiles.count(fault->path)) allowed.insert(fault->path);
    const std::set<std::string> names = w.folder->Names();
    for (const std::string& name : names)
        EXPECT_TRUE(allowed.count(name)) << name << " remains after " << where;
}

// The file name of a path: each step of a walk on disk runs in a folder of its own.
std::string NameOf(const std::string& path) {
    return path.substr(path.find_last_of('/') + 1);
}

// Walks k over every call of one run of `operation`, each step in a fresh world.
template <typename Operation, typename Check> void Walk(Storage storage, Operation operation, Check check) {
    std::vector<FaultInjectingFileSystem::Call> calls;
    {
        World w(storage);
        w.faults.Arm(0);
        RecordingReporter reporter;
        operation(w, reporter);
        calls = w.faults.Calls();
    }
    EXPECT_GT(calls.size(), 10u);
    for (std::uint64_t k = 1; k <= calls.size(); ++k) {
        World w(storage);
        w.faults.Arm(k);
        RecordingReporter reporter;
        operation(w, reporter);
        const auto fault = w.faults.InjectedFault();
        const std::string where = Describe(k, fault);
        // The calls before the failing one are those of the clean run, so the k-th call is always reached.
        ASSERT_TRUE(fault.has_value()) << where;
        EXPECT_EQ(fault->kind, calls[k - 1].kind) << where;
        EXPECT_EQ(NameOf(fault->path), NameOf(calls[k - 1].path)) << where;
        check(w, reporter, where);
        if (testing::Test::HasFailure()) return; // one broken step says enough
    }
}

// --- The decorator itself ---------------------------------------------------------------------------

TEST(FaultInjection, CountsEveryCallAndFailsOnlyTheChosenOne) {
    MemoryFileSystem inner;
    inner.Put("/a", {1, 2, 3});
    FaultInjectingFileSystem faults(inner);

    const auto run = [&faults] {
        auto file = faults.OpenExclusive("/a");
        if (!file) return std::string("open refused");
        std::uint8_t buffer[3] = {};
        try {
            file->Seek(0, SeekOrigin::Begin);
            file->Read(buffer, 3);
            file->Write(buffer, 3);
            file->Size();
        } catch (const IoError&) {
            return std::string("threw");
        }
        if (!file->Id()) return std::string("no id");
        if (!faults.Exists("/a")) return std::string("missing");
        if (!faults.IdOf("/a")) return std::string("no id of");
        return std::string(faults.Remove("/a") ? "removed" : "kept");
    };

    faults.Arm(0);
    EXPECT_EQ(run(), "removed");
    EXPECT_EQ(faults.CallCount(), 9u);
    EXPECT_FALSE(faults.InjectedFault());
    const std::vector<std::string> outcomes = {"open refused", "threw",   "threw",    "threw", "threw",
                                               "no id",        "missing", "no id of", "kept"};
    for (std::uint64_t k = 1; k <= 9; ++k) {
        inner.Put("/a", {1, 2, 3});
        faults.Arm(k);
        EXPECT_EQ(run(), outcomes[k - 1]) << k;
        ASSERT_TRUE(faults.InjectedFault());
        EXPECT_EQ(faults.InjectedFault()->path, "/a");
        // Nothing was done by the failing call itself: a refused delete deletes nothing.
        if (k == 9) {
            EXPECT_TRUE(inner.Exists("/a"));
        }
    }
    // Counting starts afresh and the files handed out keep counting after the system is gone.
    std::unique_ptr<File> survivor;
    {
        FaultInjectingFileSystem scoped(inner);
        scoped.Arm(2);
        survivor = scoped.Create("/b");
    }
    ASSERT_TRUE(survivor);
    EXPECT_THROW(survivor->Write("x", 1), IoError);
    EXPECT_NO_THROW(survivor->Write("x", 1));
}

// --- Opening --------------------------------------------------------------------------------------

// Checks one step of an open of `target` while A is live: either the whole file loaded, or a box was shown
// and nothing of the live state changed. Then the session must still open the file cleanly.
void CheckOpen(World& w, const RecordingReporter& reporter, const std::string& where,
               const std::string& target, const ChannelDatabase& before, const ChannelDatabase& expected,
               const File* heldBefore, LoadStatus status) {
    const std::string a = w.folder->PathOf("A.TCN");
    const std::vector<std::string> boxes = MessageBoxes(reporter);
    const auto& ctx = w.session.Context();
    if (status == LoadStatus::Loaded) {
        EXPECT_TRUE(boxes.empty()) << where;
        EXPECT_TRUE(w.session.Database() == expected) << where;
        EXPECT_EQ(ctx.SourcePath, w.folder->PathOf(target)) << where;
        EXPECT_TRUE(w.folder->Held(target)) << where;
        if (target != "A.TCN") {
            EXPECT_FALSE(w.folder->Held("A.TCN")) << where << ": the old hold was kept";
        }
    } else {
        EXPECT_FALSE(boxes.empty()) << where << ": a failed open showed no box";
        EXPECT_TRUE(w.session.Database() == before) << where << ": the live tables changed";
        EXPECT_EQ(ctx.SourcePath, a) << where;
        EXPECT_EQ(ctx.NewFilePath, w.folder->PathOf("NEW_A.TCN")) << where;
        EXPECT_EQ(ctx.SourceHandle.get(), heldBefore) << where;
        EXPECT_TRUE(w.folder->Held("A.TCN")) << where << ": the hold on the live file was lost";
        if (target != "A.TCN") {
            EXPECT_FALSE(w.folder->Held(target)) << where << ": a hold leaked";
        }
    }
    EXPECT_EQ(w.folder->Get("A.TCN"), FileA()) << where;
    EXPECT_EQ(w.folder->Get("B.TCN"), FileB()) << where;
    ExpectOnlyFiles(w, {"A.TCN", "B.TCN"}, where);

    // Whatever happened, the next clean open works and takes any leftover temporary file with it.
    w.faults.Arm(0);
    RecordingReporter again;
    EXPECT_EQ(w.session.Open(w.folder->PathOf(target), again).status, LoadStatus::Loaded) << where;
    ExpectOnlyFiles(w, {"A.TCN", "B.TCN"}, where + ", then a clean open");
}

void WalkOpen(Storage storage, const std::string& target) {
    const auto expected = CleanLoad(target == "A.TCN" ? FileA() : FileB());
    std::unique_ptr<ChannelDatabase> before;
    const File* heldBefore = nullptr;
    LoadStatus status = LoadStatus::Unexpected;
    Walk(
        storage,
        [&](World& w, RecordingReporter& reporter) {
            before = std::make_unique<ChannelDatabase>(w.session.Database());
            heldBefore = w.session.Context().SourceHandle.get();
            status = w.session.Open(w.folder->PathOf(target), reporter).status;
        },
        [&](World& w, const RecordingReporter& reporter, const std::string& where) {
            CheckOpen(w, reporter, where, target, *before, *expected, heldBefore, status);
        });
}

TEST(FaultInjection, EverySingleFailureWhileOpeningAnotherFileIsHandled) {
    WalkOpen(Storage::Memory, "B.TCN");
}

TEST(FaultInjection, EverySingleFailureWhileReopeningTheHeldFileIsHandled) {
    WalkOpen(Storage::Memory, "A.TCN");
}

// --- Saving ---------------------------------------------------------------------------------------

// Checks one step of a save: exactly one box; "Success" only with a complete new file that loads back as
// the tables; otherwise no new file at all (or the earlier one untouched when it could not be deleted).
void CheckSave(World& w, const RecordingReporter& reporter, const std::string& where, bool saved,
               const ChannelDatabase& before, const std::optional<Bytes>& earlier) {
    const std::vector<std::string> boxes = MessageBoxes(reporter);
    ASSERT_EQ(boxes.size(), 1u) << where;
    const bool success = boxes[0].rfind("message: [Success]", 0) == 0;
    EXPECT_EQ(success, saved) << where;
    EXPECT_EQ(reporter.lines.back(), "status: Idle") << where;
    EXPECT_TRUE(w.session.Database() == before) << where << ": saving changed the tables";
    EXPECT_EQ(w.folder->Get("A.TCN"), FileA()) << where << ": the chosen file was written";

    const std::set<std::string> names = w.folder->Names();
    const bool newFileExists = names.count("NEW_A.TCN") != 0;
    if (success) {
        ASSERT_TRUE(newFileExists) << where;
        EXPECT_EQ(w.folder->Get("NEW_A.TCN"), BuildChannelFileImage(before)) << where;
        ChannelFileSession check(w.folder->Files());
        RecordingReporter quiet;
        ASSERT_EQ(check.Open(w.folder->PathOf("NEW_A.TCN"), quiet).status, LoadStatus::Loaded) << where;
        EXPECT_TRUE(check.Database() == before) << where;
    } else if (newFileExists) {
        // Only an earlier new file that could not be deleted may stand there, exactly as it was.
        ASSERT_TRUE(earlier.has_value()) << where << ": a failed save left a new file";
        EXPECT_EQ(w.folder->Get("NEW_A.TCN"), *earlier) << where;
    }
    if (newFileExists) {
        EXPECT_FALSE(w.folder->Held("NEW_A.TCN")) << where << ": the new file is still held";
    }
    if (!w.session.Context().SourceHandle) {
        EXPECT_FALSE(w.folder->Held("A.TCN")) << where << ": a hold leaked";
    }
    ExpectOnlyFiles(w, {"A.TCN", "B.TCN", "NEW_A.TCN"}, where);

    // Whatever happened, the next clean save succeeds and takes any leftover temporary file with it.
    w.faults.Arm(0);
    RecordingReporter again;
    EXPECT_TRUE(w.session.Save(again)) << where;
    EXPECT_EQ(w.folder->Get("NEW_A.TCN"), BuildChannelFileImage(before)) << where;
    ExpectOnlyFiles(w, {"A.TCN", "B.TCN", "NEW_A.TCN"}, where + ", then a clean save");
}

void WalkSave(Storage storage, bool earlierNewFile) {
    std::unique_ptr<ChannelDatabase> before;
    std::optional<Bytes> earlier;
    bool saved = false;
    Walk(
        storage,
        [&](World& w, RecordingReporter& reporter) {
            if (earlierNewFile) {
                // A complete channel file from an earlier save, but not of these tables.
                earlier = FileB();
                w.folder->Put("NEW_A.TCN", *earlier);
            }
            before = std::make_unique<ChannelDatabase>(w.session.Database());
            saved = w.session.Save(reporter);
        },
        [&](World& w, const RecordingReporter& reporter, const std::string& where) {
            CheckSave(w, reporter, where, saved, *before, earlier);
        });
}

TEST(FaultInjection, EverySingleFailureWhileSavingIsHandled) {
    WalkSave(Storage::Memory, /*earlierNewFile=*/false);
}

TEST(FaultInjection, EverySingleFailureWhileReplacingAnEarlierNewFileIsHandled) {
    WalkSave(Storage::Memory, /*earlierNewFile=*/true);
}

// --- Real files -----------------------------------------------------------------------------------

TEST(FaultInjection, RealFilesSurviveEverySingleFailureToo) {
    WalkOpen(Storage::Disk, "B.TCN");
    WalkSave(Storage::Disk, /*earlierNewFile=*/true);
}

} // namespace
} // namespace tcn
