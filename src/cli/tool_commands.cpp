#include "tool_commands.h"

#include "channelfile/channel_file_session.h"
#include "channelfile/file_format.h"
#include "compare/channel_comparison.h"
#include "exchange/csv_export.h"
#include "exchange/satellites_xml.h"
#include "demo_database.h"
#include "platform/file_system.h"
#include "tables/reorder_like.h"
#include "tables/satellite_table.h"
#include "tables/transponder_table.h"
#include "views/channel_view.h"

#include <algorithm>
#include <array>
#include <exception>
#include <sstream>
#include <vector>

namespace tcn {

namespace {

std::string_view WithoutTrailingLineFeed(std::string_view text) {
    if (!text.empty() && text.back() == '\n') text.remove_suffix(1);
    return text;
}

// Keeps the message boxes, as "[<caption>] <text>", and drops the statuses: for output that must stay
// one JSON object or one CSV table.
class MessageRecorder : public Reporter {
  public:
    void ShowStatus(std::string_view) override {}
    void ShowMessageBox(std::string_view text, std::string_view caption) override {
        std::string line = "[";
        line.append(caption).append("] ").append(WithoutTrailingLineFeed(text));
        messages.push_back(std::move(line));
    }
    std::vector<std::string> messages;
};

// How the summary and the JSON object of `reorder` name the match rules (indexed by MatchRule); the
// last entry differs for services (kept after the others) and favourite entries (dropped).
constexpr std::array<std::string_view, kMatchRuleCount - 1> kRuleKeys = {"tuning", "tuning_within_2_mhz",
                                                                         "name", "name_ignoring_case"};
constexpr std::array<std::string_view, kMatchRuleCount - 1> kRuleTexts = {"tuning", "tuning within 2 MHz",
                                                                          "name", "name ignoring case"};

std::size_t Sum(const std::array<std::size_t, kMatchRuleCount>& counts) {
    std::size_t sum = 0;
    for (const std::size_t n : counts)
        sum += n;
    return sum;
}

// A reference service as the summary names it: index, kind, name and where it is received.
std::string DescribeService(const ChannelDatabase& db, std::size_t i) {
    const ServiceRecord& s = db.services[i];
    std::string text =
        std::to_string(i) + (s.IsRadio() ? " radio \"" : " TV \"") + Latin1ToUtf8(s.Name()) + "\"";
    const std::uint8_t satellite = ServiceSatellite(db, s);
    if (satellite != kNoSatellite) {
        const TransponderRecord t = ReadTransponder(db, s.Transponder());
        if (satellite < kSatelliteCapacity)
            text += " on " + Latin1ToUtf8(FormatSatelliteLabel(ReadSatellite(db, satellite)));
        text +=
            ", " + std::to_string(t.Frequency() / 1000) + " MHz " + std::string(PolarityText(t.Polarity()));
    }
    text += ", service id " + std::to_string(s.ServiceId());
    return text;
}

nlohmann::ordered_json ServiceToJson(const ChannelDatabase& db, std::size_t i) {
    const ServiceRecord& s = db.services[i];
    nlohmann::ordered_json j = nlohmann::ordered_json::object();
    j["index"] = i;
    j["number"] = s.Number();
    j["name"] = Latin1ToUtf8(s.Name());
    j["kind"] = s.Kind();
    const std::uint8_t satellite = ServiceSatellite(db, s);
    const TransponderRecord t = ReadTransponder(db, s.Transponder());
    j["satellite"] =
        satellite < kSatelliteCapacity
            ? nlohmann::ordered_json(Latin1ToUtf8(FormatSatelliteLabel(ReadSatellite(db, satellite))))
            : nlohmann::ordered_json(nullptr);
    j["frequency"] = satellite != kNoSatellite ? nlohmann::ordered_json(t.Frequency()) : nullptr;
    j["polarity"] = satellite != kNoSatellite ? nlohmann::ordered_json(t.Polarity()) : nullptr;
    j["service_id"] = s.ServiceId();
    return j;
}

// The counts of one kind (services or favourite entries) as a JSON object: total, one key per rule and
// `none` for those without counterpart.
nlohmann::ordered_json CountsToJson(const std::array<std::size_t, kMatchRuleCount>& counts,
                                    std::string_view none) {
    nlohmann::ordered_json j = nlohmann::ordered_json::object();
    j["count"] = Sum(counts);
    for (std::size_t r = 0; r < kRuleKeys.size(); ++r)
        j[std::string(kRuleKeys[r])] = counts[r];
    j[std::string(none)] = counts[static_cast<std::size_t>(MatchRule::None)];
    return j;
}

// The summary lines of `reorder`: counts per rule for the services and for the favourite entries, then
// each reference service without counterpart.
void PrintReorderSummary(const ReorderSummary& summary, const ChannelDatabase& reference, std::ostream& out) {
    const std::size_t none = static_cast<std::size_t>(MatchRule::None);
    const auto counts = [&out](const std::array<std::size_t, kMatchRuleCount>& n) {
        for (std::size_t r = 0; r < kRuleTexts.size(); ++r)
            out << (r == 0 ? ": " : ", ") << kRuleTexts[r] << ' ' << n[r];
    };
    out << "reorder: services " << Sum(summary.services) << " (reference "
        << std::min<std::size_t>(reference.serviceCount, kServiceCapacity) << ")";
    counts(summary.services);
    out << ", kept after the others " << summary.services[none] << '\n';
    out << "reorder: favourite entries " << Sum(summary.favourites);
    counts(summary.favourites);
    out << ", dropped " << summary.favourites[none] << '\n';
    out << "reorder: reference services without counterpart " << summary.referenceWithoutCounterpart.size()
        << '\n';
    for (const std::uint16_t r : summary.referenceWithoutCounterpart)
        out << "reorder: no counterpart for " << DescribeService(reference, r) << '\n';
}

} // namespace

void LineReporter::ShowStatus(std::string_view text) {
    m_out << "status: " << WithoutTrailingLineFeed(text) << '\n' << std::flush;
}

void LineReporter::ShowMessageBox(std::string_view text, std::string_view caption) {
    m_out << "message: [" << caption << "] " << WithoutTrailingLineFeed(text) << '\n' << std::flush;
}

nlohmann::ordered_json DatabaseToJson(const ChannelDatabase& db) {
    using Json = nlohmann::ordered_json;
    Json root = Json::object();

    root["satellite_count"] = db.satelliteCount;
    Json satellites = Json::array();
    for (std::size_t slot = 0; slot < db.satelliteCount && slot < kSatelliteCapacity; ++slot) {
        const SatelliteRecord s = db.config.Satellite(slot);
        Json j = Json::object();
        j["slot"] = slot;
        j["name"] = Latin1ToUtf8(s.Name());
        j["position"] = s.Position();
        j["orientation"] = s.Orientation();
        j["lnb_type"] = s.LnbType();
        j["lnb_low"] = s.LnbLow();
        j["lnb_high"] = s.LnbHigh();
        j["diseqc_type"] = s.DiseqcType();
        j["diseqc_port"] = s.DiseqcPort();
        j["flags"] = s.Flags();
        j["switching"] = s.Switching();
        satellites.push_back(std::move(j));
    }
    root["satellites"] = std::move(satellites);

    root["transponder_count"] = db.transponderCount;
    Json transponders = Json::array();
    for (std::size_t i = 0; i < db.transponderCount && i < kTransponderCapacity; ++i) {
        const TransponderRecord& t = db.transponders[i];
        Json j = Json::object();
        j["index"] = i;
        j["satellite"] = t.Satellite();
        j["frequency"] = t.Frequency();
        j["symbol_rate"] = t.SymbolRate();
        j["fec"] = t.Fec();
        j["polarity"] = t.Polarity();
        j["tuning_flags"] = t.TuningFlags();
        transponders.push_back(std::move(j));
    }
    root["transponders"] = std::move(transponders);

    root["service_count"] = db.serviceCount;
    Json services = Json::array();
    for (std::size_t i = 0; i < db.serviceCount && i < kServiceCapacity; ++i) {
        const ServiceRecord& s = db.services[i];
        Json j = Json::object();
        j["index"] = i;
        j["number"] = s.Number();
        j["name"] = Latin1ToUtf8(s.Name());
        j["provider"] = Latin1ToUtf8(s.Provider());
        j["kind"] = s.Kind();
        j["transponder"] = s.Transponder();
        j["service_id"] = s.ServiceId();
        j["video_pid"] = s.VideoPid();
        j["audio_pid"] = s.AudioPid();
        j["pcr_pid"] = s.PcrPid();
        Json ca = Json::array();
        for (std::size_t c = 0; c < ServiceRecord::kCaCount; ++c)
            ca.push_back(s.Ca(c));
        j["ca"] = std::move(ca);
        j["language"] = Latin1ToUtf8(s.Language());
        j["flags"] = s.Flags();
        services.push_back(std::move(j));
    }
    root["services"] = std::move(services);

    Json favourites = Json::array();
    for (std::size_t g = 0; g < kFavouriteGroupCount; ++g) {
        const FavouriteGroupRecord group = db.config.Group(g);
        // A stored count above the capacity is read as a full group.
        const std::size_t count = std::min<std::size_t>(group.Count(), kFavouriteCapacity);
        Json j = Json::object();
        j["name"] = Latin1ToUtf8(group.Name());
        j["count"] = count;
        Json entries = Json::array();
        for (std::size_t e = 0; e < count; ++e)
            entries.push_back(group.Entry(e));
        j["entries"] = std::move(entries);
        favourites.push_back(std::move(j));
    }
    root["favourites"] = std::move(favourites);
    return root;
}

std::string FormatDump(const nlohmann::ordered_json& root) {
    std::string out = "{";
    bool firstKey = true;
    for (const auto& [key, value] : root.items()) {
        out += firstKey ? "\n  " : ",\n  ";
        firstKey = false;
        out += nlohmann::ordered_json(key).dump() + ": ";
        if (value.is_array() && !value.empty()) {
            out += "[";
            bool firstItem = true;
            for (const auto& item : value) {
                out += firstItem ? "\n    " : ",\n    ";
                firstItem = false;
                out += item.dump();
            }
            out += "\n  ]";
        } else {
            out += value.dump();
        }
    }
    out += "\n}\n";
    return out;
}

int RunCheck(const std::string& path, std::ostream& out) {
    PosixFileSystem files;
    ChannelFileSession session(files);
    LineReporter reporter(out);
    const LoadResult result = session.Open(path, reporter);
    return result.status == LoadStatus::Loaded ? kExitOk : kExitRefused;
}

int RunDump(const std::string& path, std::ostream& out) {
    PosixFileSystem files;
    ChannelFileSession session(files);
    SilentReporter reporter;
    const LoadResult result = session.Open(path, reporter);
    if (result.status != LoadStatus::Loaded) {
        const int code = result.status == LoadStatus::Refused ? result.code : -1;
        out << "{\"error\": " << code << "}\n";
        return kExitRefused;
    }
    out << FormatDump(DatabaseToJson(session.Database()));
    return kExitOk;
}

int RunSave(const std::string& path, std::ostream& out) {
    PosixFileSystem files;
    ChannelFileSession session(files);
    LineReporter reporter(out);
    // As in the window: Save runs whatever the open flow left, loaded or not.
    session.Open(path, reporter);
    return session.Save(reporter) ? kExitOk : kExitRefused;
}

int RunDemo(const std::string& outPath, bool full, std::ostream& out, std::ostream& err) {
    const ChannelDatabase db = BuildDemoDatabase(full);
    const std::vector<std::uint8_t> image = BuildChannelFileImage(db);
    PosixFileSystem files;
    std::unique_ptr<File> file = files.Create(outPath);
    if (!file) {
        err << "tcntool: cannot create " << outPath << '\n';
        return kExitRefused;
    }
    try {
        file->Write(image.data(), image.size());
    } catch (const std::exception& e) {
        err << "tcntool: cannot write " << outPath << ": " << e.what() << '\n';
        return kExitRefused;
    }
    out << "wrote " << outPath << ": " << image.size() << " bytes, " << int{db.satelliteCount}
        << " satellites, " << db.transponderCount << " transponders, " << db.serviceCount << " services\n";
    return kExitOk;
}

int RunReorder(const std::string& referencePath, const std::string& path, bool json, std::ostream& out) {
    using Json = nlohmann::ordered_json;
    PosixFileSystem files;
    LineReporter lines(out);
    MessageRecorder recorder;
    Reporter& reporter = json ? static_cast<Reporter&>(recorder) : lines;
    const auto refused = [&](const std::string& which, const LoadResult& result) {
        if (json) {
            Json j = Json::object();
            j["error"] = result.status == LoadStatus::Refused ? result.code : -1;
            j["file"] = which;
            j["messages"] = recorder.messages;
            out << j.dump() << '\n';
        }
        return kExitRefused;
    };

    ChannelFileSession reference(files);
    if (!json) out << "open: " << referencePath << '\n';
    const LoadResult referenceResult = reference.Open(referencePath, reporter);
    if (referenceResult.status != LoadStatus::Loaded) return refused(referencePath, referenceResult);
    // The reference is only read: its hold goes, so FILE may even be the same file.
    reference.Context().SourceHandle.reset();

    ChannelFileSession session(files);
    if (!json) out << "open: " << path << '\n';
    const LoadResult result = session.Open(path, reporter);
    if (result.status != LoadStatus::Loaded) return refused(path, result);

    const ReorderSummary summary = ReorderServicesLike(session.Database(), reference.Database());
    const bool saved = session.Save(reporter);
    if (!json) {
        PrintReorderSummary(summary, reference.Database(), out);
        return saved ? kExitOk : kExitRefused;
    }

    Json j = Json::object();
    j["reference"] = referencePath;
    j["file"] = path;
    j["new_file"] = session.Context().NewFilePath;
    j["saved"] = saved;
    if (!saved) j["messages"] = recorder.messages;
    j["reference_services"] = std::min<std::size_t>(reference.Database().serviceCount, kServiceCapacity);
    j["services"] = CountsToJson(summary.services, "unmatched");
    j["favourites"] = CountsToJson(summary.favourites, "dropped");
    Json missing = Json::array();
    for (const std::uint16_t r : summary.referenceWithoutCounterpart)
        missing.push_back(ServiceToJson(reference.Database(), r));
    j["reference_without_counterpart"] = std::move(missing);
    out << FormatDump(j);
    return saved ? kExitOk : kExitRefused;
}

int RunExport(const std::string& path, const std::string& outPath, std::ostream& out, std::ostream& err,
              ExportFormat format) {
    PosixFileSystem files;
    ChannelFileSession session(files);
    MessageRecorder reporter;
    const LoadResult result = session.Open(path, reporter);
    if (result.status != LoadStatus::Loaded) {
        err << "tcntool: " << path << " was not opened\n";
        for (const std::string& message : reporter.messages)
            err << "message: " << message << '\n';
        return kExitRefused;
    }
    std::string text;
    if (format == ExportFormat::Csv) {
        std::ostringstream csv;
        WriteServicesCsv(session.Database(), csv);
        text = csv.str();
    } else {
        text = WriteSatellitesXml(session.Database());
    }
    if (outPath.empty()) {
        out << text;
        return kExitOk;
    }
    std::string error;
    if (!WriteWholeFile(files, outPath, text, error)) {
        err << "tcntool: " << error << '\n';
        return kExitRefused;
    }
    return kExitOk;
}

namespace {

nlohmann::ordered_json ImportReportToJson(const ImportReport& report, const ChannelDatabase& db,
                                          const SatelliteList& list) {
    using Json = nlohmann::ordered_json;
    const ListSatellite& from = list.satellites[report.listSatellite];
    Json j = Json::object();
    j["slot"] = report.satellite;
    j["satellite"] = Latin1ToUtf8(FormatSatelliteLabel(ReadSatellite(db, report.satellite)));
    j["list_satellite"] = from.name;
    j["list_position"] = from.position;
    Json counts = Json::object();
    for (std::size_t k = 0; k < kImportOutcomeCount; ++k)
        counts[std::string(ImportOutcomeName(static_cast<ImportOutcome>(k)))] =
            report.Count(static_cast<ImportOutcome>(k));
    j["counts"] = std::move(counts);
    Json entries = Json::array();
    for (const ImportedEntry& e : report.entries) {
        const ListTransponder& t = from.transponders[e.entry];
        Json item = Json::object();
        item["line"] = t.line;
        item["outcome"] = ImportOutcomeName(e.outcome);
        item["frequency"] = t.frequency;
        item["symbol_rate"] = e.tuning ? Json(e.tuning->symbolRate) : Json(nullptr);
        item["polarity"] = e.tuning ? Json(e.tuning->polarity) : Json(nullptr);
        item["fec"] = e.tuning ? Json(e.tuning->fec) : Json(nullptr);
        item["fec_approximated"] = e.tuning && e.tuning->fecApproximated;
        item["dvb_s2"] = t.system == 1;
        item["transponder"] = e.transponder >= 0 ? Json(e.transponder) : Json(nullptr);
        item["note"] = e.note;
        entries.push_back(std::move(item));
    }
    j["entries"] = std::move(entries);
    return j;
}

// One satellite's import as lines: a heading with the counts, then every entry that is not simply present.
void PrintImportReport(const ImportReport& report, const ChannelDatabase& db, const SatelliteList& list,
                       std::ostream& out) {
    const ListSatellite& from = list.satellites[report.listSatellite];
    out << "import: " << Latin1ToUtf8(FormatSatelliteLabel(ReadSatellite(db, report.satellite))) << " from \""
        << from.name << "\" (" << FormatSignedPosition(from.position) << ", line " << from.line << "):";
    for (std::size_t k = 0; k < kImportOutcomeCount; ++k)
        out << (k == 0 ? " " : ", ") << report.Count(static_cast<ImportOutcome>(k)) << ' '
            << ImportOutcomeName(static_cast<ImportOutcome>(k));
    out << '\n';
    for (const ImportedEntry& e : report.entries) {
        if (e.outcome == ImportOutcome::Present) continue;
        const ListTransponder& t = from.transponders[e.entry];
        out << ImportOutcomeName(e.outcome) << ": line " << t.line << ": ";
        if (e.tuning)
            out << FormatListTuning(*e.tuning);
        else
            out << t.frequency << " kHz";
        if (e.outcome == ImportOutcome::Added) out << " (transponder " << e.transponder << ")";
        if (!e.note.empty()) out << ": " << e.note;
        out << '\n';
    }
}

} // namespace

int RunImportTransponders(const ImportRequest& request, std::ostream& out, std::ostream& err) {
    using Json = nlohmann::ordered_json;
    const auto fail = [&](const std::string& file, const std::string& message, int code) {
        if (request.json)
            out << Json{{"error", message}, {"file", file}}.dump() << '\n';
        else
            err << "tcntool: " << file << ": " << message << '\n';
        return code;
    };
    std::optional<int> position;
    if (!request.position.empty()) {
        position = ReadSignedPosition(request.position);
        if (!position)
            return fail(request.position, "not a position such as 19.2E or 30.0W", kExitUsage);
    }

    PosixFileSystem files;
    std::string bytes, error;
    SatelliteList list;
    if (!ReadWholeFile(files, request.listPath, kSatelliteListLimit, bytes, error) ||
        !ReadSatellitesXml(bytes, list, error))
        return fail(request.listPath, error, kExitRefused);

    LineReporter lines(out);
    MessageRecorder recorder;
    Reporter& reporter = request.json ? static_cast<Reporter&>(recorder) : lines;
    ChannelFileSession session(files);
    if (!request.json) out << "open: " << request.path << '\n';
    const LoadResult result = session.Open(request.path, reporter);
    if (result.status != LoadStatus::Loaded) {
        std::string messages;
        for (const std::string& m : recorder.messages)
            messages += (messages.empty() ? "" : "; ") + m;
        return fail(request.path, request.json ? "not opened: " + messages : "not opened", kExitRefused);
    }

    ChannelDatabase& db = session.Database();
    const ImportOptions options{request.dvbS2, request.update};
    std::vector<ImportReport> reports;
    if (position) {
        std::optional<std::uint8_t> slot;
        for (std::size_t s = 0; s < db.satelliteCount && s < kSatelliteCapacity && !slot; ++s)
            if (SignedPosition(db.config.Satellite(s)) == position) slot = static_cast<std::uint8_t>(s);
        if (!slot) return fail(request.path, "no satellite at " + FormatSignedPosition(*position), kExitRefused);
        const std::optional<std::size_t> from = MatchListSatellite(list, db.config.Satellite(*slot));
        if (!from)
            return fail(request.listPath, "no satellite within 0.3 degrees of " + FormatSignedPosition(*position),
                        kExitRefused);
        reports.push_back(ImportTransponders(db, *slot, list.satellites[*from], options));
        reports.back().listSatellite = *from;
    } else {
        reports = ImportMatchingSatellites(db, list, options);
    }
    if (!request.json)
        for (const ImportReport& r : reports)
            PrintImportReport(r, db, list, out);
    const bool saved = session.Save(reporter);

    std::array<std::size_t, kImportOutcomeCount> totals{};
    for (const ImportReport& r : reports)
        for (std::size_t k = 0; k < kImportOutcomeCount; ++k)
            totals[k] += r.Count(static_cast<ImportOutcome>(k));
    if (request.json) {
        Json j = Json::object();
        j["list"] = request.listPath;
        j["file"] = request.path;
        j["new_file"] = session.Context().NewFilePath;
        j["saved"] = saved;
        if (!saved) j["messages"] = recorder.messages;
        Json counts = Json::object();
        for (std::size_t k = 0; k < kImportOutcomeCount; ++k)
            counts[std::string(ImportOutcomeName(static_cast<ImportOutcome>(k)))] = totals[k];
        j["counts"] = std::move(counts);
        Json satellites = Json::array();
        for (const ImportReport& r : reports)
            satellites.push_back(ImportReportToJson(r, db, list));
        j["satellites"] = std::move(satellites);
        out << FormatDump(j);
        return saved ? kExitOk : kExitRefused;
    }
    out << "summary: " << reports.size() << (reports.size() == 1 ? " satellite:" : " satellites:");
    for (std::size_t k = 0; k < kImportOutcomeCount; ++k)
        out << (k == 0 ? " " : ", ") << totals[k] << ' ' << ImportOutcomeName(static_cast<ImportOutcome>(k));
    out << '\n';
    return saved ? kExitOk : kExitRefused;
}

nlohmann::ordered_json ComparisonToJson(const ChannelComparison& comparison) {
    using Json = nlohmann::ordered_json;
    Json differences = Json::array();
    for (const Difference& d : comparison.differences) {
        Json item = Json::object();
        item["area"] = DiffAreaName(d.area);
        item["kind"] = DiffKindName(d.kind);
        item["old_index"] = d.oldIndex >= 0 ? Json(d.oldIndex) : Json(nullptr);
        item["new_index"] = d.newIndex >= 0 ? Json(d.newIndex) : Json(nullptr);
        if (d.area == DiffArea::Favourites) item["group"] = d.group + 1;
        item["label"] = Latin1ToUtf8(d.label);
        Json fields = Json::array();
        for (const FieldDiff& f : d.fields)
            fields.push_back(Json{{"field", f.field}, {"old", Latin1ToUtf8(f.before)}, {"new", Latin1ToUtf8(f.after)}});
        item["fields"] = std::move(fields);
        differences.push_back(std::move(item));
    }
    Json summary = Json::object();
    for (std::size_t a = 0; a < kDiffAreaCount; ++a) {
        Json counts = Json::object();
        for (std::size_t k = 0; k < kDiffKindCount; ++k)
            counts[DiffKindName(static_cast<DiffKind>(k))] =
                comparison.Count(static_cast<DiffArea>(a), static_cast<DiffKind>(k));
        summary[DiffAreaName(static_cast<DiffArea>(a))] = std::move(counts);
    }
    Json j = Json::object();
    j["differences"] = std::move(differences);
    j["summary"] = std::move(summary);
    return j;
}

int RunDiff(const std::string& oldPath, const std::string& newPath, bool json, std::ostream& out) {
    using Json = nlohmann::ordered_json;
    PosixFileSystem files;
    MessageRecorder reporter;
    // Each file through the open flow, with its checks; the first one refused ends the command.
    const auto open = [&](ChannelFileSession& session, const std::string& path) {
        const LoadResult result = session.Open(path, reporter);
        if (result.status == LoadStatus::Loaded) return true;
        if (json) {
            Json j = Json::object();
            j["error"] = result.status == LoadStatus::Refused ? result.code : -1;
            j["file"] = path;
            j["messages"] = reporter.messages;
            out << j.dump() << '\n';
        } else {
            out << "refused: " << path << '\n';
            for (const std::string& message : reporter.messages)
                out << "message: " << message << '\n';
        }
        return false;
    };
    ChannelFileSession oldSession(files), newSession(files);
    if (!open(oldSession, oldPath)) return kExitRefused;
    // OLD is only read: its hold goes, so NEW may be the same file.
    oldSession.Context().SourceHandle.reset();
    if (!open(newSession, newPath)) return kExitRefused;

    const ChannelComparison comparison = CompareChannelDatabases(oldSession.Database(), newSession.Database());
    const int exit = comparison.Empty() ? kExitOk : kExitDifferent;
    if (json) {
        Json j = Json::object();
        j["old"] = oldPath;
        j["new"] = newPath;
        Json differences = ComparisonToJson(comparison);
        j["differences"] = std::move(differences["differences"]);
        j["summary"] = std::move(differences["summary"]);
        out << FormatDump(j);
        return exit;
    }
    std::size_t printedArea = kDiffAreaCount;
    for (const Difference& d : comparison.differences) {
        const auto area = static_cast<std::size_t>(d.area);
        if (area != printedArea) {
            printedArea = area;
            out << DiffAreaName(d.area) << ':';
            for (std::size_t k = 0; k < kDiffKindCount; ++k)
                if (const std::size_t n = comparison.Count(d.area, static_cast<DiffKind>(k)))
                    out << ' ' << n << ' ' << DiffKindName(static_cast<DiffKind>(k));
            out << '\n';
        }
        out << Latin1ToUtf8(FormatDifference(d)) << '\n';
    }
    out << "summary: " << (comparison.Empty() ? "no differences" : FormatCounts(comparison)) << '\n';
    return exit;
}

} // namespace tcn
