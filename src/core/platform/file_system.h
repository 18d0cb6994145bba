#pragma once
// The platform's files: open without sharing, create, exists, delete. PosixFileSystem is the real one;
// tests and fuzzers substitute others (in memory, or failing on a chosen call).

#include "platform/stream.h"

#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace tcn {

// Identity of a file on disk, so that re-opening the file already held can be recognised.
struct FileId {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    friend bool operator==(const FileId&, const FileId&) = default;
};

// An open file. Closing happens on destruction, which also releases its lock.
class File : public Stream {
  public:
    virtual std::optional<FileId> Id() const = 0;
    // Puts everything written so far on the medium (a USB stick may be pulled right after a save);
    // throws IoError when the system reports that it could not.
    virtual void Sync() {}
};

class FileSystem {
  public:
    virtual ~FileSystem() = default;
    // Opens an existing file for reading and writing, held exclusively (an advisory lock no other holder
    // can share). nullptr when it does not exist, is read-only, is a folder, or is held elsewhere.
    virtual std::unique_ptr<File> OpenExclusive(const std::string& path) = 0;
    // Opens an existing regular file only to read it, without holding it: for files the editor reads
    // but never writes (a transponder list). nullptr when it does not exist or is no regular file.
    virtual std::unique_ptr<File> OpenForReading(const std::string& path) = 0;
    // Creates a new empty file for reading and writing, held exclusively. An existing file of that name is
    // replaced; a symbolic link standing under the name is never followed. nullptr on failure.
    virtual std::unique_ptr<File> Create(const std::string& path) = 0;
    // True when something (a file, a folder, a link) stands under the name.
    virtual bool Exists(const std::string& path) = 0;
    // Deletes the file; false when it cannot be deleted (read-only, a folder, no permission).
    virtual bool Remove(const std::string& path) = 0;
    // Identity of the file a path names, if it exists.
    virtual std::optional<FileId> IdOf(const std::string& path) = 0;
    // Gives the file `from` the name `to` in one step, replacing a file of that name; false when it
    // cannot (no such file, a read-only target, no permission).
    virtual bool Rename(const std::string& from, const std::string& to) = 0;
};

// The real files of this machine, over POSIX calls.
class PosixFileSystem : public FileSystem {
  public:
    std::unique_ptr<File> OpenExclusive(const std::string& path) override;
    std::unique_ptr<File> OpenForReading(const std::string& path) override;
    std::unique_ptr<File> Create(const std::string& path) override;
    bool Exists(const std::string& path) override;
    bool Remove(const std::string& path) override;
    std::optional<FileId> IdOf(const std::string& path) override;
    bool Rename(const std::string& from, const std::string& to) override;
};

// Writes `bytes` as the whole new content of `path`: into a temporary file beside it first, which then
// takes the name, so that a failure at any point leaves `path` as it was and no partial file behind.
// False on failure, with what failed in `error`.
bool WriteWholeFile(FileSystem& files, const std::string& path, std::string_view bytes, std::string& error);

// Reads the whole file at `path` into `bytes`, refusing a file larger than `limit` bytes before reading
// any of it. False on failure, with the reason in `error`.
bool ReadWholeFile(FileSystem& files, const std::string& path, std::size_t limit, std::string& bytes,
                   std::string& error);

} // namespace tcn
