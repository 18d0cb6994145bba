// The whole open flow on an untrusted channel file: the input is the file. It is opened once as it is,
// and once more with its checksums made consistent, so that mutations reach the block parsers and the
// decompression instead of stopping at a CRC. Each time another file is already loaded, as when the user
// opens a second file. Whatever the bytes, an open either refuses with a box and leaves the loaded file,
// its tables and its hold as they were, or loads; a loaded file must then save, and the new file must
// load back as the same tables.

#include "fuzz_support.h"

#include "channelfile/file_format.h"

#include <cstddef>
#include <cstdint>

namespace {

using namespace tcn;
using namespace tcn::fuzz;

const char* const kPath = "/f/X.TCN";
const char* const kNewPath = "/f/NEW_X.TCN";
const char* const kLivePath = "/f/LIVE.TCN";

// The file loaded before the input is opened, and its tables once loaded.
const Bytes& LiveFile() {
    static const Bytes bytes = BuildChannelFileImage(*GeneratedDatabase(1, 6, 15));
    return bytes;
}

void OpenAndSave(const Bytes& bytes) {
    MemoryFileSystem files;
    files.Put(kLivePath, LiveFile());
    files.Put(kPath, bytes);
    ChannelFileSession session(files);
    CountingReporter before;
    Require(session.Open(kLivePath, before).status == LoadStatus::Loaded, "the live file does not load");
    ChannelDatabase& live = Scratch(0);
    live = session.Database();

    CountingReporter reporter;
    const LoadResult result = session.Open(kPath, reporter);
    // Files in memory never fail, so an exception escaping the checks would be a fault of the reader.
    Require(result.status != LoadStatus::Unexpected, "the open flow ended in an exception");
    Require(OnlyTheseFiles(files, {kLivePath, kPath}), "an open left temporary files");
    Require(files.Get(kPath) == bytes, "an open changed the chosen file");
    Require(files.Get(kLivePath) == LiveFile(), "an open changed the live file");
    if (result.status == LoadStatus::Refused) {
        Require(reporter.boxes >= 1, "a refused open showed no box");
        Require(session.Database() == live, "a refused open changed the live tables");
        Require(session.Context().SourcePath == kLivePath, "a refused open changed the paths");
        Require(session.Context().SourceHandle && !files.OpenExclusive(kLivePath),
                "a refused open lost the hold");
        Require(files.OpenExclusive(kPath) != nullptr, "a refused open kept the file held");
        return;
    }
    Require(reporter.boxes == 0, "a successful open showed a box");
    Require(files.OpenExclusive(kLivePath) != nullptr, "the earlier file is still held");
    const ChannelDatabase& db = session.Database();
    Require(db.transponderCount <= kTransponderCapacity && db.serviceCount <= kServiceCapacity &&
                db.satelliteCount <= kSatelliteCapacity,
            "a loaded count exceeds its table");
    // The post-load operations settle the tables: running them again changes nothing, which is what
    // makes a save followed by a load give the same tables.
    AfterReload(db, Scratch(0));
    Require(Scratch(0) == db, "the post-load operations are not settled after one run");
    Require(session.Context().NewFilePath == kNewPath, "the new file's path");
    SaveAndCheck(session, files, /*compareWithImage=*/true);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Bytes bytes(data, data + size);
    OpenAndSave(bytes);
    if (FixUpChecksums(bytes)) OpenAndSave(bytes);
    return 0;
}
