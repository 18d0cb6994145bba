#pragma once
// Transponder lists as receivers and editors of the hobby exchange them: satellites.xml, a root
// <satellites> with one <sat name flags position> per satellite holding <transponder frequency symbol_rate
// polarization fec_inner system .../> elements. Positions are tenths of a degree, east positive; the
// frequency is in kHz and the symbol rate in symbols per second. Other attributes and elements occur and
// are ignored.

#include "tables/channel_database.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tcn {

// The largest list read: the complete public lists are a few MiB.
inline constexpr std::size_t kSatelliteListLimit = std::size_t{32} << 20;

// One <transponder> as the list gives it.
struct ListTransponder {
    std::uint32_t frequency = 0;  // kHz
    std::uint64_t symbolRate = 0; // symbols per second
    std::uint32_t polarization = 0, fecInner = 0, system = 0;
    int line = 0;
};

// One <sat> and its transponders in list order.
struct ListSatellite {
    std::string name; // UTF-8, as the list has it
    int position = 0; // tenths of a degree, east positive, west negative
    int line = 0;
    std::vector<ListTransponder> transponders;
};

struct SatelliteList {
    std::vector<ListSatellite> satellites;
};

// Reads a list. False for anything that is not one: no XML, another root element, a <sat> or
// <transponder> without a required attribute or with a value that is no number of its range, a file
// that ends early, entity declarations, more than kSatelliteListLimit bytes. `error` then says what and on
// which line, and `list` is left as it was.
bool ReadSatellitesXml(std::string_view bytes, SatelliteList& list, std::string& error);

// The satellites of the tables and their transponders as a list: satellites in ascending signed position
// (slot order among equal ones), transponders in ascending frequency with their stored kHz, the symbol
// rate in symbols per second and system 0. A satellite without orientation is written with its position
// as stored.
std::string WriteSatellitesXml(const ChannelDatabase& db);

// A list's transponder as a record holds it.
struct ListTuning {
    std::uint32_t frequency = 0; // kHz
    std::uint16_t symbolRate = 0; // kS/s
    std::uint8_t fec = 0;         // FEC code of the record
    std::uint8_t polarity = 0;    // 0 horizontal, 1 vertical
    bool dvbS2 = false;
    // The list's FEC has no code in the record and reads as "Auto".
    bool fecApproximated = false;
};

// Maps a list entry: kS/s = symbols per second / 1000 rounded half up; polarization 0 and 2 horizontal,
// 1 and 3 vertical; fec_inner 1-5 the same codes, 0 "Auto", 15 "None", any other "Auto", approximated.
// Nothing, with the reason in `why`, for an entry no record can hold (a symbol rate above 65535 kS/s,
// a polarization or system of no known meaning).
std::optional<ListTuning> MapListTransponder(const ListTransponder& entry, std::string& why);

// A record's FEC code as fec_inner: "None" 15, 1-5 the same, "Auto" (6 or 7) 0.
std::uint32_t FecInnerOf(std::uint8_t fec);

// A satellite's position with east positive and west negative; nothing for a record without orientation.
std::optional<int> SignedPosition(const SatelliteRecord& rec);
// "19.2E", "30.0W", "0.0E": how positions are typed on the command line and shown for a list's satellite.
std::string FormatSignedPosition(int tenths);
// Reads "19.2E", "19.2 E", "19E", "30.0W" (letters in either case); nothing for anything else.
std::optional<int> ReadSignedPosition(std::string_view text);

} // namespace tcn
