#pragma once
// Bringing a transponder list (satellites.xml) into the transponder table: which of the list's satellites
// belongs to a satellite of the file, and the import of its entries into that satellite, entry by entry.

#include "exchange/satellites_xml.h"
#include "tables/channel_database.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tcn {

// Entries this close to a transponder of the same polarity (in kHz, inclusive) are that transponder.
inline constexpr std::uint32_t kSameTransponderKhz = 2000;
// A list's satellite this close to a satellite of the file (in tenths of a degree, inclusive) may stand for
// it when none is at the exact position.
inline constexpr int kNearbyPosition = 3;

struct ImportOptions {
    bool dvbS2 = false;  // take DVB-S2 entries too (the record cannot tell them apart)
    bool update = false; // give transponders the satellite had the list's symbol rate and FEC
};

// What became of one entry of the list.
enum class ImportOutcome {
    Added,      // a new transponder
    Updated,    // a transponder the satellite had took the list's symbol rate or FEC
    Differs,    // such a transponder differs from the list, but updates were not asked for
    Present,    // a transponder of the satellite is this entry
    NotFitting, // no room left for the satellite or in the table
    Skipped,    // DVB-S2 not asked for, or no record can hold it
};
inline constexpr std::size_t kImportOutcomeCount = 6;
// "added", "updated", "differs", "present", "not fitting", "skipped".
std::string_view ImportOutcomeName(ImportOutcome outcome);

struct ImportedEntry {
    std::size_t entry = 0;          // index among the list satellite's transponders
    ImportOutcome outcome = ImportOutcome::Skipped;
    std::optional<ListTuning> tuning; // the entry as a record holds it; nothing when no record can
    int transponder = -1;           // the table index added, updated or found present
    std::string note;               // why skipped, what differs, which limit, or which record it matched
};

struct ImportReport {
    std::uint8_t satellite = 0;   // slot of the file's satellite
    std::size_t listSatellite = 0; // index among the list's satellites
    std::vector<ImportedEntry> entries;

    std::size_t Count(ImportOutcome outcome) const;
};

// The list satellite standing for satellite `rec` of the file: the first at its exact signed position,
// else the nearest within kNearbyPosition; of equally near ones the first with the satellite's name, else
// the first. Nothing for a satellite
// without orientation or without such a list satellite.
std::optional<std::size_t> MatchListSatellite(const SatelliteList& list, const SatelliteRecord& rec);

// Imports list satellite `from` into satellite `satellite` (a slot in use), its entries in list order.
// An entry is present when a transponder of the satellite as it stands at that moment (entries added
// just before count) has the same polarity and a frequency within kSameTransponderKhz; the nearest one is
// its counterpart. A counterpart the satellite had before with another symbol rate or FEC is updated when
// asked, keeping its frequency; a FEC the record cannot hold (read as "Auto") never replaces a stored
// code, and a stored "Auto" (6 or 7) equals the list's "Auto". Other entries are added with
// AddTransponder and take the list's exact kHz, symbol rate, FEC and polarity, while the satellite and
// the table have room.
ImportReport ImportTransponders(ChannelDatabase& db, std::uint8_t satellite, const ListSatellite& from,
                                const ImportOptions& options);

// Every satellite of the file, in slot order, that a list satellite stands for (MatchListSatellite)
// imports it.
std::vector<ImportReport> ImportMatchingSatellites(ChannelDatabase& db, const SatelliteList& list,
                                                   const ImportOptions& options);

// "11778 MHz V 27500 2/3": an entry as a line of a report.
std::string FormatListTuning(const ListTuning& tuning);

} // namespace tcn
