#pragma once
// The load chain: validates a channel file and fills a database from it, reporting every check on the
// status line and every failure in one numbered message box.

#include "channelfile/reporter.h"
#include "platform/file_system.h"
#include "tables/channel_database.h"

#include <functional>

namespace tcn {

// Failure numbers of the load chain, as shown in the "Error[N]" boxes.
enum LoadFailure : int {
    kWrongExtension = 0,
    kCannotOpen = 1,
    kNotTarvFile = 2,
    kNotChannelFile = 3,
    kWrongFileCrc = 4,
    kBadConfig = 5,
    kBadTransponders = 6,
    kBadServices = 7,
};
inline constexpr int kLoadedOk = -1;

// Runs the checks from the file header on (the extension and the opening are the caller's) over an
// open file, filling `db`, which should be fresh. Returns kLoadedOk or the number of the failure whose
// box it has shown. Temporary files are made through `files` in the working directory and are always
// removed again. I/O failures of the temporary files propagate as exceptions.
int ReadChannelFile(Stream& file, FileSystem& files, Reporter& reporter, const std::function<void()>& drain,
                    ChannelDatabase& db);

// The three block readers; each reads its block where the file layout puts it, reports its statuses and
// leaves the table it fills as far as it got.
bool ReadConfigBlock(Stream& file, Reporter& reporter, ChannelDatabase& db);
bool ReadTransponderBlock(Stream& file, Reporter& reporter, ChannelDatabase& db);
bool ReadServiceBlock(Stream& file, FileSystem& files, Reporter& reporter, const std::function<void()>& drain,
                      ChannelDatabase& db);

// Shows the box of a numbered load failure.
void ShowLoadFailure(Reporter& reporter, int failure);

} // namespace tcn
