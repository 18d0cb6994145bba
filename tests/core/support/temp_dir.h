#pragma once
// Temporary folders for tests that touch real files: each test gets a fresh folder that is removed with
// everything in it when the test ends, and can make it the working directory for a while.

#include <cstdint>
#include <string>
#include <vector>

namespace tcn::test {

// A fresh, empty folder under the system's temporary folder, removed (with its contents) on destruction.
class TempDir {
  public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    // The folder's absolute path, without a trailing '/'.
    const std::string& Path() const { return m_path; }
    // The path of `name` inside the folder.
    std::string operator/(const std::string& name) const { return m_path + "/" + name; }

  private:
    std::string m_path;
};

// Makes a folder the working directory and restores the previous one on destruction.
class ScopedWorkingDirectory {
  public:
    explicit ScopedWorkingDirectory(const std::string& folder);
    ~ScopedWorkingDirectory();
    ScopedWorkingDirectory(const ScopedWorkingDirectory&) = delete;
    ScopedWorkingDirectory& operator=(const ScopedWorkingDirectory&) = delete;

  private:
    std::string m_previous;
};

// Writes `bytes` as the whole content of the file at `path` (created or truncated); throws on failure.
void WriteFileBytes(const std::string& path, const std::vector<std::uint8_t>& bytes);
// The whole content of the file at `path`; throws when it cannot be read.
std::vector<std::uint8_t> ReadFileBytes(const std::string& path);

} // namespace tcn::test
