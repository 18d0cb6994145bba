#include "exchange/csv_export.h"

#include "tables/favourite_groups.h"
#include "tables/satellite_table.h"
#include "tables/transponder_table.h"
#include "exchange/latin1.h"
#include "views/ca_systems.h"
#include "views/channel_view.h"

#include <algorithm>

namespace tcn {

std::string CsvField(std::string_view text) {
    if (text.find_first_of("\",\r\n") == std::string_view::npos) return std::string(text);
    std::string quoted = "\"";
    for (const char ch : text) {
        if (ch == '"') quoted += '"';
        quoted += ch;
    }
    quoted += '"';
    return quoted;
}

std::string CsvRecord(const std::vector<std::string>& fields) {
    std::string record;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i > 0) record += ',';
        record += CsvField(fields[i]);
    }
    record += "\r\n";
    return record;
}

std::vector<std::string> ServiceCsvHeader() {
    return {"number",   "name",        "provider", "type",       "satellite", "frequency_mhz",
            "polarity", "symbol_rate", "fec",      "service_id", "video_pid", "audio_pid",
            "pcr_pid",  "ca_systems",  "language", "locked",     "scrambled", "fav1",
            "fav2",     "fav3",        "fav4",     "fav5"};
}

std::vector<std::string> ServiceCsvFields(const ChannelDatabase& db, std::size_t i) {
    const ServiceRecord& s = db.services[i];
    const auto flag = [](bool on) { return std::string(on ? "1" : "0"); };
    std::vector<std::string> fields;
    fields.push_back(std::to_string(s.Number()));
    fields.push_back(Latin1ToUtf8(s.Name()));
    fields.push_back(Latin1ToUtf8(s.Provider()));
    fields.push_back(s.IsRadio() ? "Radio" : "TV");

    // The transponder's columns stay empty for a service whose link names no transponder of the table (or
    // a deleted one), the satellite's also for a transponder naming no satellite slot.
    const std::uint8_t satellite = ServiceSatellite(db, s);
    const bool tuned = satellite != kNoSatellite;
    fields.push_back(satellite < kSatelliteCapacity
                         ? Latin1ToUtf8(FormatSatelliteLabel(ReadSatellite(db, satellite)))
                         : std::string());
    const TransponderRecord transponder = ReadTransponder(db, s.Transponder());
    fields.push_back(tuned ? std::to_string(transponder.Frequency() / 1000) : std::string());
    fields.push_back(tuned ? std::string(PolarityText(transponder.Polarity())) : std::string());
    fields.push_back(tuned ? std::to_string(transponder.SymbolRate()) : std::string());
    fields.push_back(tuned ? std::string(FecText(transponder.Fec())) : std::string());

    fields.push_back(std::to_string(s.ServiceId()));
    fields.push_back(std::to_string(s.VideoPid()));
    fields.push_back(std::to_string(s.AudioPid()));
    fields.push_back(std::to_string(s.PcrPid()));
    std::string ca;
    for (std::size_t c = 0; c < ServiceRecord::kCaCount; ++c) {
        if (s.Ca(c) == 0) continue;
        if (!ca.empty()) ca += "; ";
        ca += CaSystemName(s.Ca(c));
    }
    fields.push_back(ca);
    fields.push_back(Latin1ToUtf8(s.Language()));
    fields.push_back(flag(s.Locked()));
    fields.push_back(flag(s.Scrambled()));
    for (std::size_t g = 0; g < kFavouriteGroupCount; ++g)
        fields.push_back(flag(IsFavourite(db, s.Number(), g)));
    return fields;
}

void WriteServicesCsv(const ChannelDatabase& db, std::ostream& out) {
    out << CsvRecord(ServiceCsvHeader());
    const std::size_t count = std::min<std::size_t>(db.serviceCount, kServiceCapacity);
    for (std::size_t i = 0; i < count; ++i)
        out << CsvRecord(ServiceCsvFields(db, i));
}

} // namespace tcn
