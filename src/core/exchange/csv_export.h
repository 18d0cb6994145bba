#pragma once
// The service table as CSV, as `tcntool export --csv` writes it: a header line, then one line per service
// in table order. Fields are quoted as RFC 4180 says, lines end in CR LF, and texts are UTF-8 (names are
// ISO-8859-1 bytes in the file).

#include "tables/channel_database.h"

#include <cstddef>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace tcn {

// One field as RFC 4180 writes it: in double quotes, with each double quote doubled, when it holds a
// double quote, a comma, a CR or an LF; unchanged otherwise.
std::string CsvField(std::string_view text);

// The fields quoted and joined by commas, ended by CR LF: one CSV record.
std::string CsvRecord(const std::vector<std::string>& fields);

// The column names: number, name, provider, type, satellite, frequency_mhz, polarity, symbol_rate, fec,
// service_id, video_pid, audio_pid, pcr_pid, ca_systems, language, locked, scrambled, fav1 to fav5.
std::vector<std::string> ServiceCsvHeader();

// The fields of service i, in the order of the header: its number; name, provider and language as UTF-8;
// "TV" or "Radio"; the satellite label, frequency (whole MHz), polarity, symbol rate and FEC of its
// transponder, left empty when it has none; service id and PIDs in decimal; the names of its CA systems
// separated by "; "; "1" or "0" for locked, scrambled and membership of favourite groups 1 to 5.
std::vector<std::string> ServiceCsvFields(const ChannelDatabase& db, std::size_t i);

// The header and every service of the table as CSV.
void WriteServicesCsv(const ChannelDatabase& db, std::ostream& out);

} // namespace tcn
