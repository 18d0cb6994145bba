#include "platform/file_system.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <exception>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tcn {

namespace {

// Largest piece handed to one read or write call; keeps every count well inside ssize_t.
constexpr std::size_t kMaxPiece = std::size_t{1} << 30;

[[noreturn]] void ThrowIo(const char* what, const std::string& path, int error) {
    throw IoError(std::string(what) + " '" + path + "': " + std::strerror(error));
}

// A file that nobody may write in the Windows sense: no write bit for anyone. Checked from the mode
// rather than with access(), which always grants a root process write access.
bool IsReadOnly(const struct stat& st) {
    return (st.st_mode & 0222) == 0;
}

// One open file descriptor, closed on destruction (which also drops its lock).
class PosixFile final : public File {
  public:
    PosixFile(int fd, std::string path) : m_fd(fd), m_path(std::move(path)) {}
    ~PosixFile() override { ::close(m_fd); }
    PosixFile(const PosixFile&) = delete;
    PosixFile& operator=(const PosixFile&) = delete;

    std::size_t Read(void* buffer, std::size_t n) override {
        auto* bytes = static_cast<std::uint8_t*>(buffer);
        std::size_t done = 0;
        while (done < n) {
            const ssize_t got = ::read(m_fd, bytes + done, std::min(n - done, kMaxPiece));
            if (got < 0) {
                if (errno == EINTR) continue;
                ThrowIo("cannot read", m_path, errno);
            }
            if (got == 0) break; // end of file
            done += static_cast<std::size_t>(got);
        }
        return done;
    }

    void Write(const void* buffer, std::size_t n) override {
        const auto* bytes = static_cast<const std::uint8_t*>(buffer);
        std::size_t done = 0;
        while (done < n) {
            const ssize_t put = ::write(m_fd, bytes + done, std::min(n - done, kMaxPiece));
            if (put < 0) {
                if (errno == EINTR) continue;
                ThrowIo("cannot write", m_path, errno);
            }
            if (put == 0) ThrowIo("cannot write", m_path, ENOSPC);
            done += static_cast<std::size_t>(put);
        }
    }

    std::int64_t Seek(std::int64_t offset, SeekOrigin origin) override {
        int whence = SEEK_SET;
        if (origin == SeekOrigin::Current) whence = SEEK_CUR;
        if (origin == SeekOrigin::End) whence = SEEK_END;
        const off_t pos = ::lseek(m_fd, static_cast<off_t>(offset), whence);
        if (pos < 0) ThrowIo("cannot seek in", m_path, errno);
        return static_cast<std::int64_t>(pos);
    }

    std::int64_t Size() override {
        struct stat st {};
        if (::fstat(m_fd, &st) != 0) ThrowIo("cannot query the size of", m_path, errno);
        return static_cast<std::int64_t>(st.st_size);
    }

    void Sync() override {
        while (::fsync(m_fd) != 0)
            if (errno != EINTR) ThrowIo("cannot flush", m_path, errno);
    }

    std::optional<FileId> Id() const override {
        struct stat st {};
        if (::fstat(m_fd, &st) != 0) return std::nullopt;
        return FileId{static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino)};
    }

  private:
    int m_fd;
    std::string m_path;
};

int OpenRetrying(const char* path, int flags, mode_t mode = 0) {
    for (;;) {
        const int fd = ::open(path, flags, mode);
        if (fd >= 0 || errno != EINTR) return fd;
    }
}

// Takes the advisory lock that makes a file "held without sharing"; closes the descriptor and gives
// nullptr when another holder has it.
std::unique_ptr<File> LockOrClose(int fd, const std::string& path) {
    for (;;) {
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0) return std::make_unique<PosixFile>(fd, path);
        if (errno != EINTR) break;
    }
    ::close(fd);
    return nullptr;
}

} // namespace

std::unique_ptr<File> PosixFileSystem::OpenExclusive(const std::string& path) {
    const int fd = OpenRetrying(path.c_str(), O_RDWR | O_CLOEXEC);
    if (fd < 0) return nullptr;
    struct stat st {};
    // Only regular files that someone may write: no folders (open refuses those anyway), devices or pipes.
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || IsReadOnly(st)) {
        ::close(fd);
        return nullptr;
    }
    return LockOrClose(fd, path);
}

std::unique_ptr<File> PosixFileSystem::OpenForReading(const std::string& path) {
    const int fd = OpenRetrying(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return nullptr;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return nullptr;
    }
    return std::make_unique<PosixFile>(fd, path);
}

std::unique_ptr<File> PosixFileSystem::Create(const std::string& path) {
    if (path.empty()) return nullptr;
    struct stat st {};
    if (::lstat(path.c_str(), &st) == 0) {
        if (S_ISDIR(st.st_mode)) return nullptr;
        // Whatever stands under the name (a file, or a link planted there) goes; the new file is made
        // in its place and a link is never followed.
        if (::unlink(path.c_str()) != 0) return nullptr;
    }
    const int fd = OpenRetrying(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd < 0) return nullptr;
    return LockOrClose(fd, path);
}

bool PosixFileSystem::Exists(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

bool PosixFileSystem::Rename(const std::string& from, const std::string& to) {
    struct stat st {};
    // A read-only file is protected from being replaced, as it is from deletion.
    if (::lstat(to.c_str(), &st) == 0 && (S_ISDIR(st.st_mode) || (S_ISREG(st.st_mode) && IsReadOnly(st))))
        return false;
    return ::rename(from.c_str(), to.c_str()) == 0;
}

bool WriteWholeFile(FileSystem& files, const std::string& path, std::string_view bytes, std::string& error) {
    const auto slash = path.find_last_of('/');
    const std::string folder = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    const std::string temporary = folder + "." + name + ".part";
    std::unique_ptr<File> file = files.Create(temporary);
    if (!file) {
        error = "cannot create a file in the folder of " + path;
        return false;
    }
    try {
        file->Write(bytes.data(), bytes.size());
        file->Sync();
    } catch (const std::exception& e) {
        file.reset();
        files.Remove(temporary);
        error = std::string("cannot write ") + path + ": " + e.what();
        return false;
    }
    file.reset();
    if (!files.Rename(temporary, path)) {
        files.Remove(temporary);
        error = "cannot replace " + path;
        return false;
    }
    return true;
}

bool ReadWholeFile(FileSystem& files, const std::string& path, std::size_t limit, std::string& bytes,
                   std::string& error) {
    std::unique_ptr<File> file = files.OpenForReading(path);
    if (!file) {
        error = "cannot open " + path;
        return false;
    }
    try {
        const std::int64_t size = file->Size();
        if (size < 0 || static_cast<std::uint64_t>(size) > limit) {
            error = path + " is larger than " + std::to_string(limit / (1024 * 1024)) + " MiB";
            return false;
        }
        bytes.resize(static_cast<std::size_t>(size));
        bytes.resize(file->ReadFully(bytes.data(), bytes.size()));
    } catch (const std::exception& e) {
        error = std::string("cannot read ") + path + ": " + e.what();
        return false;
    }
    return true;
}

bool PosixFileSystem::Remove(const std::string& path) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0) return false;
    if (S_ISDIR(st.st_mode)) return false;
    // A read-only file is protected from deletion, as the user marked it; a link is removed itself.
    if (S_ISREG(st.st_mode) && IsReadOnly(st)) return false;
    return ::unlink(path.c_str()) == 0;
}

std::optional<FileId> PosixFileSystem::IdOf(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return std::nullopt;
    return FileId{static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino)};
}

} // namespace tcn
