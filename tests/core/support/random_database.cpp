#include "support/random_database.h"

#include "support/db_builders.h"
#include "tables/favourite_groups.h"
#include "tables/transponder_table.h"

#include <algorithm>
#include <cstdint>

namespace tcn::test {

const char* ShapeName(DatabaseShape shape) {
    switch (shape) {
    case DatabaseShape::Tiny:
        return "tiny";
    case DatabaseShape::Small:
        return "small";
    case DatabaseShape::Medium:
        return "medium";
    case DatabaseShape::Full:
        return "full";
    }
    return "?";
}

namespace {

// Draws from one generator; Pick(0) draws nothing, so the sequences stay what they were.
struct Draw {
    std::mt19937_64& rng;
    std::size_t Pick(std::size_t n) { return n == 0 ? 0 : static_cast<std::size_t>(rng() % n); }
    std::size_t Between(std::size_t lo, std::size_t hi) { return lo + Pick(hi - lo + 1); }
    bool Chance(unsigned percent) { return Pick(100) < percent; }
    std::uint8_t Byte() { return static_cast<std::uint8_t>(rng()); }
    std::uint16_t Word() { return static_cast<std::uint16_t>(rng()); }
    template <std::size_t N> void Randomize(ByteImage<N>& image) {
        for (auto& b : image.bytes)
            b = Byte();
    }
};

} // namespace

std::unique_ptr<ChannelDatabase> RandomDatabase(std::mt19937_64& rng, DatabaseShape shape) {
    using Shape = DatabaseShape;
    Draw d{rng};
    auto db = NewDatabase();
    d.Randomize(db->config);
    std::size_t satellites = 0, transponders = 0, services = 0, favourites = 0;
    switch (shape) {
    case Shape::Tiny:
        satellites = d.Between(0, 2), transponders = d.Between(0, 4), services = d.Between(0, 6);
        favourites = 3;
        break;
    case Shape::Small:
        satellites = d.Between(2, 6), transponders = d.Between(0, 60), services = d.Between(0, 200);
        favourites = 30;
        break;
    case Shape::Medium:
        satellites = d.Between(1, 40), transponders = d.Between(0, 600), services = d.Between(0, 1500);
        favourites = 200;
        break;
    case Shape::Full:
        satellites = d.Between(79, 80);
        transponders = kTransponderCapacity;
        services = kServiceCapacity;
        favourites = 200;
        break;
    }

    for (std::size_t slot = 0; slot < kSatelliteCapacity; ++slot) {
        SatelliteRecord sat = db->config.Satellite(slot);
        sat.SetFlags(static_cast<std::uint8_t>((sat.Flags() & ~1u) | (slot < satellites ? 1u : 0u)));
        db->config.SetSatellite(slot, sat);
    }
    if (shape != Shape::Full && d.Chance(15)) { // a stray in-use bit behind the satellites in use
        const std::size_t slot = d.Between(satellites, kSatelliteCapacity - 1);
        SatelliteRecord sat = db->config.Satellite(slot);
        sat.SetFlags(sat.Flags() | 1u);
        db->config.SetSatellite(slot, sat);
    }

    const std::size_t nearLimit = shape == Shape::Small ? d.Between(197, 200) : 0;
    transponders += nearLimit;
    db->transponderCount = static_cast<std::uint16_t>(transponders);
    for (std::size_t t = 0; t < transponders; ++t) {
        TransponderRecord& rec = db->transponders[t];
        d.Randomize(rec);
        const std::size_t kind = d.Pick(100);
        std::uint8_t satellite = static_cast<std::uint8_t>(d.Pick(std::max<std::size_t>(satellites, 1)));
        if (kind < 3 && shape != Shape::Full) // a full table stays full after the load
            satellite = kDeletedTransponder;
        else if (kind < 6)
            satellite = static_cast<std::uint8_t>(d.Between(satellites, 0xFE));
        // A full table gives its first satellite more transponders than one may have; a small table
        // brings its first satellite close to that limit.
        if (shape == Shape::Full && t < 215) satellite = 0;
        if (nearLimit > 0) satellite = t < nearLimit ? 0 : satellite == 0 ? 1 : satellite;
        rec.SetSatellite(satellite);
    }

    db->serviceCount = static_cast<std::uint16_t>(services);
    for (std::size_t i = 0; i < services; ++i) {
        ServiceRecord& rec = db->services[i];
        d.Randomize(rec);
        // Entirely random records do not compress, and a full table of them would not fit the
        // service block: every other record of a full table repeats its neighbour but for a few bytes.
        if (shape == Shape::Full && i % 2 == 1) {
            rec = db->services[i - 1];
            for (int k = 0; k < 8; ++k)
                rec.bytes[d.Pick(sizeof rec.bytes)] = d.Byte();
        }
        const std::size_t numberKind = d.Pick(20);
        rec.SetNumber(numberKind == 0   ? d.Word()
                      : numberKind == 1 ? static_cast<std::uint16_t>(i ^ 1)
                                        : static_cast<std::uint16_t>(i));
        const std::size_t linkKind = d.Pick(20);
        rec.SetTransponder(linkKind == 0   ? kNoTransponder
                           : linkKind == 1 ? d.Word()
                                           : static_cast<std::uint16_t>(d.Pick(transponders + 2)));
    }

    for (std::size_t g = 0; g < kFavouriteGroupCount; ++g) {
        FavouriteGroupRecord group = db->config.Group(g);
        std::size_t count = shape == Shape::Full ? d.Between(190, 200) : d.Pick(favourites + 1);
        if (d.Chance(5)) count = d.Between(201, 0xFFFF);
        group.SetCount(static_cast<std::uint16_t>(count));
        const bool garbageBehind = d.Chance(25);
        for (std::size_t i = 0; i < kFavouriteCapacity; ++i) {
            std::uint16_t entry = kNoFavourite;
            if (i < count) {
                const std::size_t kind = d.Pick(10);
                entry = kind == 0   ? d.Word()
                        : kind == 1 ? kNoFavourite
                                    : static_cast<std::uint16_t>(d.Pick(services));
            } else if (garbageBehind) {
                entry = d.Word();
            }
            group.SetEntry(i, entry);
        }
        db->config.SetGroup(g, group);
    }
    return db;
}

} // namespace tcn::test
