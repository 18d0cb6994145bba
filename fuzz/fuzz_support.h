#pragma once
// Shared pieces of the fuzz targets and of the seed generator: a reporter that counts, a check that stops
// the run loudly, checksum repair so mutated files get past the CRC checks, generated databases, and the
// save-and-reload check every loaded or edited database has to pass.

#include "channelfile/channel_file_session.h"
#include "channelfile/reporter.h"
#include "testkit/memory_file_system.h"
#include "tables/channel_database.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace tcn::fuzz {

using Bytes = std::vector<std::uint8_t>;

// Counts message boxes and remembers the last one; drops status texts.
class CountingReporter : public Reporter {
  public:
    void ShowStatus(std::string_view) override {}
    void ShowMessageBox(std::string_view text, std::string_view caption) override {
        ++boxes;
        lastCaption = std::string(caption);
        lastText = std::string(text);
    }
    int boxes = 0;
    std::string lastCaption, lastText;
};

// Stops the process with a message when `ok` is false; libFuzzer records the input as a crash.
void Require(bool ok, const char* what);

// Makes the CRC-32 fields of a channel file image (config block, transponder block, service block and the
// whole file) agree with the bytes they cover, as far as the image reaches, so that the block parsers
// and the decompression see the fuzzer's bytes. A compressed size reaching past the end is cut to what is
// there. Returns true when anything changed.
bool FixUpChecksums(Bytes& file);

// A database with a bit of everything, deterministic for a seed: satellites in use and not, transponders
// (some marked deleted), services linked to them or to nothing, favourites naming service numbers (some
// of services that do not exist), and random bytes wherever nothing is interpreted.
// Databases are some 740 KB, so they live on the heap.
std::unique_ptr<ChannelDatabase> GeneratedDatabase(std::uint32_t seed, std::size_t transponders,
                                                   std::size_t services);

// Databases kept for the whole run and overwritten by each input. Copying into one of these costs no
// fresh allocation, which under the sanitizers is what makes a 740 KB copy slow.
ChannelDatabase& Scratch(std::size_t which); // which < 3

// What loading the saved form of `db` must give: `db` with the post-load operations applied, in `out`.
void AfterReload(const ChannelDatabase& db, ChannelDatabase& out);

// Saves the session's live tables and checks the outcome: "Success" with a new file that loads back as
// the tables, or (only when the service table does not compress into its block) the Level[10] box. No
// temporary file may remain, and the chosen file must be as it was. Leaves the session as the save left it.
// Uses scratch databases 1 and 2.
// With `compareWithImage` the new file must also equal BuildChannelFileImage of the tables byte for byte
// (one more compression per call).
void SaveAndCheck(ChannelFileSession& session, MemoryFileSystem& files, bool compareWithImage);

// True when the memory file system holds exactly these paths.
bool OnlyTheseFiles(const MemoryFileSystem& files, std::vector<std::string> expected);
// True when none of the temporary files of a load or a save is there.
bool NoTemporaryFiles(const MemoryFileSystem& files);

} // namespace tcn::fuzz
