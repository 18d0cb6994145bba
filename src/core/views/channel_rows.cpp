#include "views/channel_rows.h"

#include "tables/favourite_groups.h"
#include "tables/satellite_table.h"
#include "tables/transponder_table.h"

#include <algorithm>

namespace tcn {

namespace {

// The transponder a service links to, or nothing when the link names no record of the table or a
// record marked deleted.
const TransponderRecord* LinkedTransponder(const ChannelDatabase& db, const ServiceRecord& service) {
    const std::size_t count = std::min<std::size_t>(db.transponderCount, kTransponderCapacity);
    const std::uint16_t link = service.Transponder();
    if (link >= count || db.transponders[link].Satellite() == kDeletedTransponder) return nullptr;
    return &db.transponders[link];
}

} // namespace

std::int64_t ServiceAtRow(const ChannelDatabase& db, const ChannelView& view, int r) {
    if (r < 1 || r > view.count) return -1;
    const std::int32_t index = view.entries[static_cast<std::size_t>(r - 1)];
    return index >= 0 && index < db.serviceCount ? index : -1;
}

void CollectFavouriteMarks(const ChannelDatabase& db, FavouriteMarks& marks) {
    marks.bits.fill(0);
    for (std::size_t g = 0; g < kFavouriteGroupCount; ++g) {
        const std::size_t count = FavouriteGroupCount(db, g);
        for (std::size_t i = 0; i < count; ++i)
            marks.bits[FavouriteEntry(db, g, i)] |= static_cast<std::uint8_t>(1u << g);
    }
}

std::string ServiceSatelliteLine(const ChannelDatabase& db, const ServiceRecord& service) {
    const TransponderRecord* transponder = LinkedTransponder(db, service);
    if (!transponder || transponder->Satellite() >= kSatelliteCapacity) return {};
    return FormatSatelliteLabel(db.config.Satellite(transponder->Satellite()));
}

std::string ServiceTransponderLine(const ChannelDatabase& db, const ServiceRecord& service) {
    const TransponderRecord* transponder = LinkedTransponder(db, service);
    if (!transponder) return {};
    std::string line = std::to_string(transponder->Frequency() / 1000);
    line += "     ";
    line += PolarityText(transponder->Polarity());
    line += "     ";
    line += std::to_string(transponder->SymbolRate());
    return line;
}

} // namespace tcn
