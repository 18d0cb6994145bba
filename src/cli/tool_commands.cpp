#include "tool_commands.h"

#include "channelfile/channel_file_session.h"
#include "channelfile/file_format.h"
#include "demo_database.h"
#include "platform/file_system.h"

#include <algorithm>
#include <exception>

namespace tcn {

namespace {

std::string_view WithoutTrailingLineFeed(std::string_view text) {
    if (!text.empty() && text.back() == '\n') text.remove_suffix(1);
    return text;
}

} // namespace

void LineReporter::ShowStatus(std::string_view text) {
    m_out << "status: " << WithoutTrailingLineFeed(text) << '\n' << std::flush;
}

void LineReporter::ShowMessageBox(std::string_view text, std::string_view caption) {
    m_out << "message: [" << caption << "] " << WithoutTrailingLineFeed(text) << '\n' << std::flush;
}

std::string Latin1ToUtf8(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size() * 2);
    for (const char ch : bytes) {
        const auto c = static_cast<unsigned char>(ch);
        if (c < 0x80) {
            out.push_back(static_cast<char>(c));
        } else {
            out.push_back(static_cast<char>(0xC0 | (c >> 6)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        }
    }
    return out;
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

} // namespace tcn
