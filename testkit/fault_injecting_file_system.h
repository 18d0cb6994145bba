#pragma once
// A file system that passes every call on to another one and can be told to make exactly one of them
// fail: the k-th I/O call counted from Arm(k), its own or one of the files it handed out. Tests walk k
// over every call of an open or a save to see that each single failure is reported and leaves nothing
// broken behind; with k = 0 nothing fails and the run's calls are only counted and logged.
//
// Counted calls and how each one fails:
//   Open (OpenExclusive, OpenForReading), Create -> nullptr
//   Exists                                 -> false, as when the name cannot be examined
//   IdOf, File::Id                         -> no identity
//   Remove, Rename                         -> false, and nothing is deleted or renamed
//   Read, Write, Seek, Size, Sync (file)   -> IoError, before the inner file is touched
// Exists, IdOf, Id and Size are counted because the real file system answers them with a system call
// (stat, fstat) that can fail like any other.

#include "platform/file_system.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tcn {

enum class IoCall { Open, Create, Exists, Remove, IdOf, Id, Read, Write, Seek, Size, Sync, Rename };

// "Open", "Create", ... for messages.
std::string_view IoCallName(IoCall call);

class FaultInjectingFileSystem : public FileSystem {
  public:
    // One counted call: what it was and which path it concerned.
    struct Call {
        IoCall kind;
        std::string path;
    };

    // `inner` must outlive this object and every file it hands out.
    explicit FaultInjectingFileSystem(FileSystem& inner);

    // Starts counting afresh; the k-th call from now fails, and only that one (k = 0: none fails).
    void Arm(std::uint64_t k);
    // Calls counted since the last Arm.
    std::uint64_t CallCount() const;
    // Every call counted since the last Arm, in order.
    const std::vector<Call>& Calls() const;
    // The call made to fail, once it has happened.
    std::optional<Call> InjectedFault() const;

    std::unique_ptr<File> OpenExclusive(const std::string& path) override;
    std::unique_ptr<File> OpenForReading(const std::string& path) override;
    std::unique_ptr<File> Create(const std::string& path) override;
    bool Exists(const std::string& path) override;
    bool Remove(const std::string& path) override;
    std::optional<FileId> IdOf(const std::string& path) override;
    bool Rename(const std::string& from, const std::string& to) override;

    // The counter, shared with the files handed out so that they may outlive this object.
    struct State {
        std::uint64_t failAt = 0;
        std::vector<Call> calls;
        std::optional<Call> injected;
        // Counts a call; true when it is the one to fail.
        bool Fails(IoCall kind, const std::string& path);
    };

  private:
    // Wraps a file the inner system handed out, or passes nullptr on.
    std::unique_ptr<File> Wrap(std::unique_ptr<File> file, const std::string& path);

    FileSystem& m_inner;
    std::shared_ptr<State> m_state;
};

} // namespace tcn
