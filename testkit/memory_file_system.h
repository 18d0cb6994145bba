#pragma once
// A file system held in memory: the same rules as the real one (exclusive holds, read-only files,
// create replaces) without touching the disk. Used by tests, fuzzers and benchmarks.

#include "platform/file_system.h"

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace tcn {

class MemoryFileSystem : public FileSystem {
  public:
    std::unique_ptr<File> OpenExclusive(const std::string& path) override;
    std::unique_ptr<File> OpenForReading(const std::string& path) override;
    std::unique_ptr<File> Create(const std::string& path) override;
    bool Exists(const std::string& path) override;
    bool Remove(const std::string& path) override;
    std::optional<FileId> IdOf(const std::string& path) override;
    bool Rename(const std::string& from, const std::string& to) override;

    // Puts a file with the given bytes under `path`, replacing whatever stood there.
    void Put(const std::string& path, std::vector<std::uint8_t> bytes, bool readOnly = false);
    // The bytes under `path`; empty when there is no such file.
    std::vector<std::uint8_t> Get(const std::string& path) const;
    std::vector<std::string> Names() const;

    struct Entry {
        std::vector<std::uint8_t> bytes;
        bool readOnly = false;
        bool held = false;
        std::uint64_t id = 0;
    };

  private:
    std::map<std::string, std::shared_ptr<Entry>> m_entries;
    std::uint64_t m_nextId = 1;
};

} // namespace tcn
