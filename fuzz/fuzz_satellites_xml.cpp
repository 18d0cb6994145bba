// The transponder list reader over untrusted bytes. A refused input must say why and leave the list as
// it was. An accepted one is imported, entry by entry, into a small file's first satellite (options from
// the first byte): the tables must keep their limits and their other records, and what the tables then
// hold must write out as a list that reads back and imports into them without adding or changing anything.

#include "fuzz_support.h"

#include "actions/transponder_import.h"
#include "exchange/satellites_xml.h"
#include "tables/satellite_table.h"
#include "tables/transponder_table.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace {

using namespace tcn;
using namespace tcn::fuzz;

const ChannelDatabase& Start() {
    static const std::unique_ptr<ChannelDatabase> db = [] {
        auto made = GeneratedDatabase(7, 60, 20);
        CountSatellites(*made);
        CompactTransponderTable(*made);
        // Satellites apart and plainly named, so that each one's list satellite is its own.
        for (std::size_t slot = 0; slot < made->satelliteCount; ++slot) {
            SatelliteEdit edit;
            edit.name = "Sat " + std::to_string(slot);
            edit.position = 50 + 10 * static_cast<std::uint32_t>(slot);
            edit.orientation = Orientation::East;
            ApplySatelliteEdit(*made, slot, edit);
        }
        return made;
    }();
    return *db;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    SatelliteList list;
    list.satellites.emplace_back().name = "kept";
    std::string error;
    if (!ReadSatellitesXml(bytes, list, error)) {
        Require(!error.empty(), "a refused list says why");
        Require(list.satellites.size() == 1 && list.satellites[0].name == "kept", "a refused list changes nothing");
        return 0;
    }
    int line = 0;
    for (const ListSatellite& s : list.satellites) {
        Require(s.position >= -1800 && s.position <= 1800, "positions are orbital positions");
        Require(s.line > line, "satellites come in line order");
        line = s.line;
        for (const ListTransponder& t : s.transponders) {
            Require(t.line >= line, "entries come in line order");
            line = t.line;
        }
    }

    ChannelDatabase& db = Scratch(0);
    db = Start();
    if (db.satelliteCount == 0) return 0;
    const ImportOptions options{size > 0 && (data[0] & 1) != 0, size > 0 && (data[0] & 2) != 0};
    const std::vector<std::uint16_t> before = BuildSatelliteTransponderList(db, 0);
    const std::size_t count = db.transponderCount;
    for (const ListSatellite& s : list.satellites) {
        const ImportReport report = ImportTransponders(db, 0, s, options);
        Require(report.entries.size() == s.transponders.size(), "every entry is reported");
    }
    Require(db.transponderCount <= kTransponderCapacity, "the table keeps its limit");
    const std::vector<std::uint16_t> after = BuildSatelliteTransponderList(db, 0);
    Require(after.size() <= std::max<std::size_t>(before.size(), kTranspondersPerSatellite), "the satellite keeps its limit");
    for (std::size_t i = 0; i < count; ++i)
        if (Start().transponders[i].Satellite() != 0)
            Require(db.transponders[i] == Start().transponders[i], "other satellites' transponders stay");
    for (std::size_t i = count; i < db.transponderCount; ++i)
        Require(db.transponders[i].Satellite() == 0, "entries are added to the chosen satellite");

    SatelliteList written;
    Require(ReadSatellitesXml(WriteSatellitesXml(db), written, error), "a written list reads back");
    ChannelDatabase& again = Scratch(1);
    again = db;
    ImportMatchingSatellites(again, written, {true, true});
    Require(again.transponderCount == db.transponderCount && again.transponders == db.transponders,
            "a written list imports into its own tables without a change");
    return 0;
}
