#pragma once
// The writer: serialises the tables into a new channel file, recompressing the service table, and
// reports the outcome through the two sinks.

#include "channelfile/reporter.h"
#include "platform/file_system.h"
#include "tables/channel_database.h"

#include <functional>
#include <memory>
#include <string>

namespace tcn {

// Writes `db` to `newFilePath`, the config block with a fresh signature and CRC; `db` is only read.
// Releases `sourceHandle` at the end of every save that gets as far as the
// compression. Returns true when the file is complete and the "Success" box was shown.
bool WriteNewChannelFile(const std::string& newFilePath, const ChannelDatabase& db, std::unique_ptr<File>& sourceHandle,
                         FileSystem& files, Reporter& reporter, const std::function<void()>& drain);

} // namespace tcn
