#pragma once
// The file context and the two flows of the editor without its window: open (choose a path, run the load
// chain, then the post-load operations on the tables) and save (write NEW_<name>, then "Idle"). Holds the
// one live ChannelDatabase.

#include "channelfile/reporter.h"
#include "platform/file_system.h"
#include "tables/channel_database.h"

#include <functional>
#include <memory>
#include <string>

namespace tcn {

// The chosen file and everything derived from it.
struct ChannelFileContext {
    std::string SourcePath;      // full path of the file being edited; empty until a file has loaded
    std::string SourceFolder;    // folder of SourcePath, ending in '/'
    std::string SourceExtension; // extension of SourcePath with its dot; empty without one
    std::string NewFilePath;     // SourceFolder + "NEW_" + file name; what Save writes
    std::unique_ptr<File> SourceHandle; // the file being edited, held without sharing
    std::string HelpFilePath;
    std::string LastFolder;      // folder of the last path chosen, loaded or not: where the open dialog starts
};

// The four path fields for a chosen path.
struct ChosenPath {
    std::string path, folder, extension, newFilePath;
};
ChosenPath DerivePaths(const std::string& path);

// Where the help file is looked for: in the working directory the program started in. Empty when that
// path would be longer than the 259 characters the help path may hold.
std::string HelpFilePathFor(const std::string& workingDirectory);

enum class LoadStatus { Loaded, Refused, Unexpected };
struct LoadResult {
    LoadStatus status = LoadStatus::Unexpected;
    int code = -1; // the number of the last Error[N] box when Refused
};

class ChannelFileSession {
  public:
    explicit ChannelFileSession(FileSystem& files);
    ~ChannelFileSession();

    // The open flow after the dialog: load `path` into a fresh database and, only when every check
    // passed, make it the live one and run the post-load operations. A failed open leaves the live
    // tables, the paths and the held file as they were.
    LoadResult Open(const std::string& path, Reporter& reporter);
    // The open flow for another file, read only: `path` is checked and loaded into `out` as Open would load
    // it (the post-load operations included), and nothing of the session changes (the live tables, the
    // paths, the held file). The file being edited is read through its hold.
    LoadResult ReadCopy(const std::string& path, Reporter& reporter, ChannelDatabase& out);
    // The save flow: write NEW_<name> from the live tables, then set the status "Idle".
    // Returns true when the "Success" box was shown.
    bool Save(Reporter& reporter);

    // The live tables; an empty database until the first successful open.
    ChannelDatabase& Database() { return Live(); }
    const ChannelDatabase& Database() const { return Live(); }
    const ChannelFileContext& Context() const { return m_context; }
    ChannelFileContext& Context() { return m_context; }
    // Drains the window's event queue during compression runs; empty outside the window.
    std::function<void()> DrainMessages;

  private:
    // The file at `path` for reading, after the extension check: the held file itself when `path` names
    // it, else `path` opened without sharing into `opened`. Null after the numbered message of a
    // refusal, whose number goes to `code`.
    File* Reach(const std::string& path, Reporter& reporter, std::unique_ptr<File>& opened, int& code);
    // The live database, made (empty) on first use: an open that succeeds before anyone has looked at
    // the tables never builds an empty database only to throw it away.
    ChannelDatabase& Live() const;

    FileSystem& m_files;
    ChannelFileContext m_context;
    mutable std::unique_ptr<ChannelDatabase> m_db;
    // Where the next open loads to; swapped with the live database when the load succeeds, so that
    // repeated opens reuse one buffer instead of allocating 740 kB each time.
    std::unique_ptr<ChannelDatabase> m_spare;
};

} // namespace tcn
