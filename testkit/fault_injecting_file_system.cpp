#include "testkit/fault_injecting_file_system.h"

namespace tcn {
namespace {

using State = FaultInjectingFileSystem::State;

[[noreturn]] void ThrowInjected(IoCall kind, const std::string& path) {
    throw IoError("injected " + std::string(IoCallName(kind)) + " failure on '" + path + "'");
}

// A file of the inner system whose every call is counted and may be the one that fails.
class CountedFile final : public File {
  public:
    CountedFile(std::unique_ptr<File> inner, std::string path, std::shared_ptr<State> state)
        : m_inner(std::move(inner)), m_path(std::move(path)), m_state(std::move(state)) {}

    std::size_t Read(void* buffer, std::size_t n) override {
        Check(IoCall::Read);
        return m_inner->Read(buffer, n);
    }
    void Write(const void* buffer, std::size_t n) override {
        Check(IoCall::Write);
        m_inner->Write(buffer, n);
    }
    std::int64_t Seek(std::int64_t offset, SeekOrigin origin) override {
        Check(IoCall::Seek);
        return m_inner->Seek(offset, origin);
    }
    std::int64_t Size() override {
        Check(IoCall::Size);
        return m_inner->Size();
    }
    void Sync() override {
        Check(IoCall::Sync);
        m_inner->Sync();
    }
    std::optional<FileId> Id() const override {
        if (m_state->Fails(IoCall::Id, m_path)) return std::nullopt;
        return m_inner->Id();
    }

  private:
    void Check(IoCall kind) {
        if (m_state->Fails(kind, m_path)) ThrowInjected(kind, m_path);
    }

    std::unique_ptr<File> m_inner;
    std::string m_path;
    std::shared_ptr<State> m_state;
};

} // namespace

std::string_view IoCallName(IoCall call) {
    switch (call) {
    case IoCall::Open:
        return "Open";
    case IoCall::Rename:
        return "Rename";
    case IoCall::Create:
        return "Create";
    case IoCall::Exists:
        return "Exists";
    case IoCall::Remove:
        return "Remove";
    case IoCall::IdOf:
        return "IdOf";
    case IoCall::Id:
        return "Id";
    case IoCall::Read:
        return "Read";
    case IoCall::Write:
        return "Write";
    case IoCall::Seek:
        return "Seek";
    case IoCall::Size:
        return "Size";
    case IoCall::Sync:
        return "Sync";
    }
    return "?";
}

bool FaultInjectingFileSystem::State::Fails(IoCall kind, const std::string& path) {
    calls.push_back({kind, path});
    if (calls.size() != failAt) return false;
    injected = Call{kind, path};
    return true;
}

FaultInjectingFileSystem::FaultInjectingFileSystem(FileSystem& inner)
    : m_inner(inner), m_state(std::make_shared<State>()) {}

void FaultInjectingFileSystem::Arm(std::uint64_t k) {
    m_state->failAt = k;
    m_state->calls.clear();
    m_state->injected.reset();
}

std::uint64_t FaultInjectingFileSystem::CallCount() const {
    return m_state->calls.size();
}

const std::vector<FaultInjectingFileSystem::Call>& FaultInjectingFileSystem::Calls() const {
    return m_state->calls;
}

std::optional<FaultInjectingFileSystem::Call> FaultInjectingFileSystem::InjectedFault() const {
    return m_state->injected;
}

std::unique_ptr<File> FaultInjectingFileSystem::Wrap(std::unique_ptr<File> file, const std::string& path) {
    if (!file) return nullptr;
    return std::make_unique<CountedFile>(std::move(file), path, m_state);
}

std::unique_ptr<File> FaultInjectingFileSystem::OpenExclusive(const std::string& path) {
    if (m_state->Fails(IoCall::Open, path)) return nullptr;
    return Wrap(m_inner.OpenExclusive(path), path);
}

std::unique_ptr<File> FaultInjectingFileSystem::OpenForReading(const std::string& path) {
    if (m_state->Fails(IoCall::Open, path)) return nullptr;
    return Wrap(m_inner.OpenForReading(path), path);
}

std::unique_ptr<File> FaultInjectingFileSystem::Create(const std::string& path) {
    if (m_state->Fails(IoCall::Create, path)) return nullptr;
    return Wrap(m_inner.Create(path), path);
}

bool FaultInjectingFileSystem::Exists(const std::string& path) {
    if (m_state->Fails(IoCall::Exists, path)) return false;
    return m_inner.Exists(path);
}

bool FaultInjectingFileSystem::Remove(const std::string& path) {
    if (m_state->Fails(IoCall::Remove, path)) return false;
    return m_inner.Remove(path);
}

bool FaultInjectingFileSystem::Rename(const std::string& from, const std::string& to) {
    if (m_state->Fails(IoCall::Rename, from)) return false;
    return m_inner.Rename(from, to);
}

std::optional<FileId> FaultInjectingFileSystem::IdOf(const std::string& path) {
    if (m_state->Fails(IoCall::IdOf, path)) return std::nullopt;
    return m_inner.IdOf(path);
}

} // namespace tcn
