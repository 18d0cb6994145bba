#include "testkit/memory_file_system.h"

#include <algorithm>
#include <cstring>

namespace tcn {
namespace {

// An open in-memory file. It keeps its entry alive, as an open file outlives its deleted name.
class MemoryFile : public File {
  public:
    // A file opened only for reading neither holds the entry nor writes it.
    explicit MemoryFile(std::shared_ptr<MemoryFileSystem::Entry> entry, bool forReading = false)
        : m_entry(std::move(entry)), m_forReading(forReading) {
        if (!m_forReading) m_entry->held = true;
    }
    ~MemoryFile() override {
        if (!m_forReading) m_entry->held = false;
    }

    std::size_t Read(void* buffer, std::size_t n) override {
        const auto& bytes = m_entry->bytes;
        if (m_pos >= bytes.size()) return 0;
        const std::size_t count = std::min(n, bytes.size() - m_pos);
        std::memcpy(buffer, bytes.data() + m_pos, count);
        m_pos += count;
        return count;
    }
    void Write(const void* buffer, std::size_t n) override {
        if (m_forReading) throw IoError("write to a file opened for reading");
        auto& bytes = m_entry->bytes;
        if (m_pos + n > bytes.size()) bytes.resize(m_pos + n);
        if (n > 0) std::memcpy(bytes.data() + m_pos, buffer, n);
        m_pos += n;
    }
    std::int64_t Seek(std::int64_t offset, SeekOrigin origin) override {
        const std::int64_t base = origin == SeekOrigin::Begin     ? 0
                                  : origin == SeekOrigin::Current ? static_cast<std::int64_t>(m_pos)
                                                                  : Size();
        if (base + offset < 0) throw IoError("seek before the start of a file");
        m_pos = static_cast<std::size_t>(base + offset);
        return base + offset;
    }
    std::int64_t Size() override { return static_cast<std::int64_t>(m_entry->bytes.size()); }
    std::optional<FileId> Id() const override { return FileId{0, m_entry->id}; }

  private:
    std::shared_ptr<MemoryFileSystem::Entry> m_entry;
    std::size_t m_pos = 0;
    bool m_forReading;
};

} // namespace

std::unique_ptr<File> MemoryFileSystem::OpenExclusive(const std::string& path) {
    const auto it = m_entries.find(path);
    if (it == m_entries.end() || it->second->readOnly || it->second->held) return nullptr;
    return std::make_unique<MemoryFile>(it->second);
}

std::unique_ptr<File> MemoryFileSystem::OpenForReading(const std::string& path) {
    const auto it = m_entries.find(path);
    if (it == m_entries.end()) return nullptr;
    return std::make_unique<MemoryFile>(it->second, true);
}

std::unique_ptr<File> MemoryFileSystem::Create(const std::string& path) {
    if (path.empty()) return nullptr;
    auto entry = std::make_shared<Entry>();
    entry->id = m_nextId++;
    m_entries[path] = entry;
    return std::make_unique<MemoryFile>(entry);
}

bool MemoryFileSystem::Exists(const std::string& path) {
    return m_entries.count(path) != 0;
}

bool MemoryFileSystem::Remove(const std::string& path) {
    const auto it = m_entries.find(path);
    if (it == m_entries.end() || it->second->readOnly) return false;
    m_entries.erase(it);
    return true;
}

bool MemoryFileSystem::Rename(const std::string& from, const std::string& to) {
    const auto it = m_entries.find(from);
    if (it == m_entries.end()) return false;
    if (const auto target = m_entries.find(to); target != m_entries.end() && target->second->readOnly) return false;
    std::shared_ptr<Entry> entry = it->second;
    m_entries.erase(it);
    m_entries[to] = std::move(entry);
    return true;
}

std::optional<FileId> MemoryFileSystem::IdOf(const std::string& path) {
    const auto it = m_entries.find(path);
    if (it == m_entries.end()) return std::nullopt;
    return FileId{0, it->second->id};
}

void MemoryFileSystem::Put(const std::string& path, std::vector<std::uint8_t> bytes, bool readOnly) {
    auto entry = std::make_shared<Entry>();
    entry->bytes = std::move(bytes);
    entry->readOnly = readOnly;
    entry->id = m_nextId++;
    m_entries[path] = entry;
}

std::vector<std::uint8_t> MemoryFileSystem::Get(const std::string& path) const {
    const auto it = m_entries.find(path);
    return it == m_entries.end() ? std::vector<std::uint8_t>() : it->second->bytes;
}

std::vector<std::string> MemoryFileSystem::Names() const {
    std::vector<std::string> names;
    for (const auto& [name, entry] : m_entries) names.push_back(name);
    return names;
}

} // namespace tcn
