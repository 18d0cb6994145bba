#include "actions/transponder_import.h"

#include "exchange/latin1.h"
#include "tables/satellite_table.h"
#include "tables/transponder_table.h"

#include <algorithm>
#include <cstdlib>
#include <utility>

namespace tcn {

namespace {

constexpr std::uint8_t kFecAuto = 6;

bool IsAuto(std::uint8_t fec) {
    return (fec & 0x07) >= kFecAuto;
}

std::string Frequency(std::uint32_t khz) {
    std::string text = std::to_string(khz / 1000);
    if (const std::uint32_t rest = khz % 1000) {
        std::string fraction = std::to_string(1000 + rest).substr(1);
        while (fraction.back() == '0') fraction.pop_back();
        text += "." + fraction;
    }
    return text;
}

// The transponder of `list` nearest to `tuning` with its polarity within kSameTransponderKhz; the
// earlier of two equally near ones.
std::optional<std::uint16_t> Counterpart(const ChannelDatabase& db, const std::vector<std::uint16_t>& list,
                                         const ListTuning& tuning) {
    std::optional<std::uint16_t> best;
    std::uint32_t bestDistance = kSameTransponderKhz + 1;
    for (const std::uint16_t i : list) {
        const TransponderRecord& t = db.transponders[i];
        if (t.Polarity() != tuning.polarity) continue;
        const std::uint32_t f = t.Frequency();
        const std::uint32_t distance = f > tuning.frequency ? f - tuning.frequency : tuning.frequency - f;
        if (distance < bestDistance) {
            bestDistance = distance;
            best = i;
        }
    }
    return best;
}

} // namespace

std::string_view ImportOutcomeName(ImportOutcome outcome) {
    switch (outcome) {
    case ImportOutcome::Added: return "added";
    case ImportOutcome::Updated: return "updated";
    case ImportOutcome::Differs: return "differs";
    case ImportOutcome::Present: return "present";
    case ImportOutcome::NotFitting: return "not fitting";
    case ImportOutcome::Skipped: return "skipped";
    }
    return "?";
}

std::size_t ImportReport::Count(ImportOutcome outcome) const {
    return static_cast<std::size_t>(std::count_if(entries.begin(), entries.end(),
                                                  [outcome](const ImportedEntry& e) { return e.outcome == outcome; }));
}

std::optional<std::size_t> MatchListSatellite(const SatelliteList& list, const SatelliteRecord& rec) {
    const std::optional<int> position = SignedPosition(rec);
    if (!position) return std::nullopt;
    const std::string name = Latin1ToUtf8(rec.Name());
    // Nearer first; at the same distance one of the same name (two satellites at one position in a
    // list this program wrote), then the first.
    const auto rank = [&](const ListSatellite& s) {
        return std::pair(std::abs(s.position - *position), s.name == name ? 0 : 1);
    };
    std::optional<std::size_t> best;
    for (std::size_t i = 0; i < list.satellites.size(); ++i) {
        if (std::abs(list.satellites[i].position - *position) > kNearbyPosition) continue;
        if (!best || rank(list.satellites[i]) < rank(list.satellites[*best])) best = i;
    }
    return best;
}

ImportReport ImportTransponders(ChannelDatabase& db, std::uint8_t satellite, const ListSatellite& from,
                                const ImportOptions& options) {
    ImportReport report;
    report.satellite = satellite;
    if (satellite >= db.satelliteCount || satellite >= kSatelliteCapacity) return report;
    std::vector<std::uint16_t> list = BuildSatelliteTransponderList(db, satellite);
    const std::size_t before = db.transponderCount; // records from here on were added by this import

    for (std::size_t e = 0; e < from.transponders.size(); ++e) {
        ImportedEntry& entry = report.entries.emplace_back();
        entry.entry = e;
        entry.tuning = MapListTransponder(from.transponders[e], entry.note);
        if (!entry.tuning) continue; // skipped: no record holds it
        const ListTuning& tuning = *entry.tuning;
        if (tuning.dvbS2 && !options.dvbS2) {
            entry.note = "DVB-S2, not asked for";
            continue;
        }

        if (const std::optional<std::uint16_t> c = Counterpart(db, list, tuning)) {
            entry.transponder = *c;
            TransponderRecord& rec = db.transponders[*c];
            entry.outcome = ImportOutcome::Present;
            if (*c >= before) {
                entry.note = "within 2 MHz of " + Frequency(rec.Frequency()) + " MHz, added just before";
                continue;
            }
            const bool rateDiffers = rec.SymbolRate() != tuning.symbolRate;
            const bool fecDiffers = !tuning.fecApproximated && !(IsAuto(tuning.fec) && IsAuto(rec.Fec())) &&
                                    rec.Fec() != tuning.fec;
            if (!rateDiffers && !fecDiffers) {
                if (rec.Frequency() != tuning.frequency) entry.note = "at " + Frequency(rec.Frequency()) + " MHz";
                continue;
            }
            std::string what;
            if (rateDiffers)
                what = "symbol rate " + std::to_string(rec.SymbolRate()) + " -> " + std::to_string(tuning.symbolRate);
            if (fecDiffers)
                what += std::string(what.empty() ? "" : ", ") + "FEC " + std::string(FecText(rec.Fec())) + " -> " +
                        std::string(FecText(tuning.fec));
            if (!options.update) {
                entry.outcome = ImportOutcome::Differs;
                entry.note = what + " (not updated)";
                continue;
            }
            SetTransponderTuning(db, *c, rec.Frequency(), tuning.symbolRate, fecDiffers ? tuning.fec : rec.Fec(),
                                 rec.Polarity());
            entry.outcome = ImportOutcome::Updated;
            entry.note = what;
            continue;
        }

        const std::optional<std::uint16_t> added = AddTransponder(db, satellite);
        if (!added) {
            entry.outcome = ImportOutcome::NotFitting;
            entry.note = list.size() >= kTranspondersPerSatellite
                             ? "the satellite holds " + std::to_string(kTranspondersPerSatellite) + " transponders"
                             : "the table holds " + std::to_string(kTransponderCapacity) + " transponders";
            continue;
        }
        SetTransponderTuning(db, *added, tuning.frequency, tuning.symbolRate, tuning.fec, tuning.polarity);
        list.push_back(*added);
        entry.outcome = ImportOutcome::Added;
        entry.transponder = *added;
    }
    return report;
}

std::vector<ImportReport> ImportMatchingSatellites(ChannelDatabase& db, const SatelliteList& list,
                                                   const ImportOptions& options) {
    std::vector<ImportReport> reports;
    const std::size_t count = std::min<std::size_t>(db.satelliteCount, kSatelliteCapacity);
    for (std::size_t slot = 0; slot < count; ++slot) {
        const std::optional<std::size_t> from = MatchListSatellite(list, db.config.Satellite(slot));
        if (!from) continue;
        reports.push_back(ImportTransponders(db, static_cast<std::uint8_t>(slot), list.satellites[*from], options));
        reports.back().listSatellite = *from;
    }
    return reports;
}

std::string FormatListTuning(const ListTuning& tuning) {
    return Frequency(tuning.frequency) + " MHz " + std::string(PolarityText(tuning.polarity)) + " " +
           std::to_string(tuning.symbolRate) + " " + std::string(FecText(tuning.fec)) +
           (tuning.fecApproximated ? " (FEC approximated)" : "") + (tuning.dvbS2 ? " DVB-S2" : "");
}

} // namespace tcn
