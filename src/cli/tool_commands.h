#pragma once
// The commands of tcntool, apart from argument parsing, so that tests can run them on streams. Each returns
// the process exit code. Scripts rely on the output: see README.md.

#include "channelfile/reporter.h"
#include "actions/transponder_import.h"
#include "compare/channel_comparison.h"
#include "exchange/latin1.h"
#include "tables/channel_database.h"

#include <nlohmann/json.hpp>

#include <ostream>
#include <string>
#include <string_view>

namespace tcn {

// Exit codes of tcntool.
inline constexpr int kExitOk = 0;
inline constexpr int kExitUsage = 1;
inline constexpr int kExitRefused = 2;
// `diff` exits 1 when the files differ (as diff(1) does).
inline constexpr int kExitDifferent = 1;

// Prints every report as one line: "status: <text>" and "message: [<caption>] <text>", a trailing line
// feed of the text dropped. Flushes after each line so the lines interleave sensibly with other output.
class LineReporter : public Reporter {
  public:
    explicit LineReporter(std::ostream& out) : m_out(out) {}
    void ShowStatus(std::string_view text) override;
    void ShowMessageBox(std::string_view text, std::string_view caption) override;

  private:
    std::ostream& m_out;
};

// A reporter that drops everything.
class SilentReporter : public Reporter {
  public:
    void ShowStatus(std::string_view) override {}
    void ShowMessageBox(std::string_view, std::string_view) override {}
};


// The tables as the JSON object `dump` prints (keys in their documented order).
nlohmann::ordered_json DatabaseToJson(const ChannelDatabase& db);

// The object as `dump` prints it: one top-level key per line and one array element (a satellite, a
// transponder, a service, a group) per line, so that the output reads well and greps well.
std::string FormatDump(const nlohmann::ordered_json& root);

// tcntool check FILE: the open flow, reporting each status and message box as a line.
int RunCheck(const std::string& path, std::ostream& out);
// tcntool dump FILE: the open flow, then the tables as one JSON object, or {"error": N} when refused.
int RunDump(const std::string& path, std::ostream& out);
// tcntool save FILE: the open flow and then the save flow, reporting both as lines.
int RunSave(const std::string& path, std::ostream& out);
// tcntool demo [--full] OUT: writes the demo channel file. Failures go to `err`.
int RunDemo(const std::string& outPath, bool full, std::ostream& out, std::ostream& err);
// tcntool reorder --like REFERENCE FILE [--json]: opens both files, puts FILE's services and favourite
// groups in the reference's order (ReorderServicesLike) and saves FILE as NEW_<name> beside it. Prints the
// report lines of both opens and of the save, then a summary; with `json`, only one JSON object. Exits 0
// when the new file was written.
int RunReorder(const std::string& referencePath, const std::string& path, bool json, std::ostream& out);
// What `export` writes.
enum class ExportFormat { Csv, SatellitesXml };
// tcntool export --csv|--satellites-xml FILE [-o OUT]: opens FILE and writes its services as CSV, or its
// satellites and transponders as a transponder list, to `out`, or to the file OUT when `outPath` is not
// empty. A refused file or an OUT that cannot be written is reported on `err`.
int RunExport(const std::string& path, const std::string& outPath, std::ostream& out, std::ostream& err,
              ExportFormat format = ExportFormat::Csv);

// What `import-transponders` is asked to do.
struct ImportRequest {
    std::string listPath;
    std::string position; // "19.2E" as the grid shows it; empty: every satellite a list satellite matches
    bool dvbS2 = false;
    bool update = false;
    std::string path;
    bool json = false;
};
// tcntool import-transponders --from LIST.xml [--satellite POSITION] [--dvb-s2] [--update] FILE [--json]:
// reads the list, opens FILE, imports into the satellite at POSITION (or every satellite a list satellite
// stands for) and saves FILE as NEW_<name> beside it. Prints the report lines of the open and the save,
// then per satellite what was added, updated, differs, did not fit or was skipped, and why; with `json`,
// one object with every entry. Exits 0 when the new file was written, 1 for a POSITION that is none, 2 when
// the list or FILE is refused, FILE has no satellite at POSITION, the list none near it, or the save failed.
int RunImportTransponders(const ImportRequest& request, std::ostream& out, std::ostream& err);

// The differences of a comparison as the JSON of `diff --json` has them: "differences" (area, kind,
// old_index, new_index, group, label, fields with old and new) and "summary" (counts per area and kind).
nlohmann::ordered_json ComparisonToJson(const ChannelComparison& comparison);
// tcntool diff OLD NEW [--json]: opens both files and prints what differs, grouped by satellites,
// transponders, services, favourites and config, one line each, then a summary line; with `json`, one
// object. Exits 0 without differences, 1 with differences, 2 when a file is refused.
int RunDiff(const std::string& oldPath, const std::string& newPath, bool json, std::ostream& out);

} // namespace tcn
