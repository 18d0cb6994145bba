#include "channelfile/channel_file_session.h"

#include "channelfile/load_chain.h"
#include "channelfile/writer.h"
#include "platform/prefault.h"
#include "tables/favourite_groups.h"
#include "tables/satellite_table.h"
#include "tables/transponder_table.h"

#include <algorithm>
#include <cctype>
#include <exception>
#include <new>

namespace tcn {

ChosenPath DerivePaths(const std::string& path) {
    ChosenPath chosen;
    chosen.path = path;
    const auto slash = path.find_last_of('/');
    const std::size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    chosen.folder = path.substr(0, nameStart);
    const std::string name = path.substr(nameStart);
    const auto dot = name.find_last_of('.');
    chosen.extension = dot == std::string::npos ? std::string() : name.substr(dot);
    chosen.newFilePath = chosen.folder + "NEW_" + name;
    return chosen;
}

std::string HelpFilePathFor(const std::string& workingDirectory) {
    std::string folder = workingDirectory;
    while (!folder.empty() && folder.back() == '/') folder.pop_back();
    std::string path = folder + "/Rivavad Irizov.chm";
    return path.size() <= 259 ? path : std::string();
}

ChannelFileSession::ChannelFileSession(FileSystem& files) : m_files(files) {}

ChannelFileSession::~ChannelFileSession() = default;

namespace {

// A fresh, empty database. Every byte of it is written at once (by its constructor), so its pages are
// asked for in one go rather than faulted in one by one.
std::unique_ptr<ChannelDatabase> NewDatabase() {
    void* block = ::operator new(sizeof(ChannelDatabase));
    PrefaultForWriting(block, sizeof(ChannelDatabase));
    return std::unique_ptr<ChannelDatabase>(new (block) ChannelDatabase());
}

} // namespace

ChannelDatabase& ChannelFileSession::Live() const {
    if (!m_db) m_db = NewDatabase();
    return *m_db;
}

namespace {

// What follows every successful read, for the file being edited and for a file only read alike: deleted
// transponders dropped, favourites linked to the services, the satellites counted.
void SettleLoadedTables(ChannelDatabase& db) {
    CompactTransponderTable(db);
    ResolveFavourites(db);
    CountSatellites(db);
}

bool HasChannelFileExtension(const std::string& extension) {
    std::string upper = extension;
    std::transform(upper.begin(), upper.end(), upper.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return upper == ".TCN";
}

} // namespace

File* ChannelFileSession::Reach(const std::string& path, Reporter& reporter, std::unique_ptr<File>& opened,
                                int& code) {
    if (!HasChannelFileExtension(DerivePaths(path).extension)) {
        ShowLoadFailure(reporter, code = kWrongExtension);
        return nullptr;
    }
    // The file being edited is already held without sharing; opening it again reads through that hold
    // instead of being locked out by it.
    const std::optional<FileId> id = m_files.IdOf(path);
    if (m_context.SourceHandle && id && m_context.SourceHandle->Id() == id) return m_context.SourceHandle.get();
    opened = m_files.OpenExclusive(path);
    if (!opened) ShowLoadFailure(reporter, code = kCannotOpen);
    return opened.get();
}

LoadResult ChannelFileSession::Open(const std::string& path, Reporter& reporter) {
    const ChosenPath chosen = DerivePaths(path);
    m_context.LastFolder = chosen.folder;
    const auto refused = [](int code) { return LoadResult{LoadStatus::Refused, code}; };

    try {
        std::unique_ptr<File> opened;
        int code = kLoadedOk;
        File* file = Reach(path, reporter, opened, code);
        if (!file) return refused(code);

        // Load into a fresh database; the live one is replaced only when every check passed.
        if (m_spare)
            m_spare->Clear();
        else
            m_spare = NewDatabase();
        const int failure = ReadChannelFile(*file, m_files, reporter, DrainMessages, *m_spare);
        if (failure != kLoadedOk) return refused(failure);

        std::swap(m_db, m_spare);
        if (opened) m_context.SourceHandle = std::move(opened);
        m_context.SourcePath = chosen.path;
        m_context.SourceFolder = chosen.folder;
        m_context.SourceExtension = chosen.extension;
        m_context.NewFilePath = chosen.newFilePath;

        SettleLoadedTables(*m_db);
        return LoadResult{LoadStatus::Loaded, kLoadedOk};
    } catch (const std::exception&) {
        reporter.ShowMessageBox("Problem writing to file.", "File Error");
        return LoadResult{LoadStatus::Unexpected, -1};
    }
}

LoadResult ChannelFileSession::ReadCopy(const std::string& path, Reporter& reporter, ChannelDatabase& out) {
    const auto refused = [](int code) { return LoadResult{LoadStatus::Refused, code}; };
    try {
        std::unique_ptr<File> opened;
        int code = kLoadedOk;
        File* file = Reach(path, reporter, opened, code);
        if (!file) return refused(code);
        out.Clear();
        const int failure = ReadChannelFile(*file, m_files, reporter, DrainMessages, out);
        if (failure != kLoadedOk) return refused(failure);
        SettleLoadedTables(out);
        return LoadResult{LoadStatus::Loaded, kLoadedOk};
    } catch (const std::exception&) {
        reporter.ShowMessageBox("Problem writing to file.", "File Error");
        return LoadResult{LoadStatus::Unexpected, -1};
    }
}

bool ChannelFileSession::Save(Reporter& reporter) {
    const bool saved = WriteNewChannelFile(m_context.NewFilePath, Live(), m_context.SourceHandle, m_files,
                                           reporter, DrainMessages);
    reporter.ShowStatus("Idle");
    return saved;
}

} // namespace tcn
