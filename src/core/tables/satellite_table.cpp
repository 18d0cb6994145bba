#include "tables/satellite_table.h"

namespace tcn {

namespace {

constexpr std::uint8_t kInUseBit = 0x01;
constexpr std::uint8_t kLnbTypeMask = 0x0C;     // flags bits 2-3
constexpr std::uint8_t kDiseqcMask = 0x3F;      // switching bits 0-5: type and port
constexpr std::uint8_t kOrientationMask = 0xC0; // switching bits 6-7

// Only ToneBurst and the two switches use a port.
bool DiseqcHasPorts(std::uint8_t type) {
    return type >= kDiseqcToneBurst && type <= kDiseqcSwitch11;
}

// False when the edit holds a value its field cannot store; such an edit is not applied at all rather
// than cut down to the field's bits.
bool EditFitsRecord(const SatelliteEdit& edit) {
    if (edit.position > 0xFFFF) return false;
    if (edit.lnbType > kLnbUser) return false;
    if (edit.diseqcType) {
        if (*edit.diseqcType > kDiseqcGotoX) return false;
        if (DiseqcHasPorts(*edit.diseqcType) && edit.diseqcPort > 3) return false;
    }
    return true;
}

} // namespace

std::uint8_t CountSatellites(ChannelDatabase& db) {
    db.satelliteCount = CountSatellitesInUse(db);
    return db.satelliteCount;
}

std::uint8_t CountSatellitesInUse(const ChannelDatabase& db) {
    std::uint8_t count = 0;
    for (std::size_t slot = 0; slot < kSatelliteCapacity; ++slot)
        if (db.config.Satellite(slot).InUse()) ++count;
    return count;
}

SatelliteRecord ReadSatellite(const ChannelDatabase& db, std::size_t index) {
    if (index >= kSatelliteCapacity) return SatelliteRecord{};
    return db.config.Satellite(index);
}

std::string FormatSatellitePosition(const SatelliteRecord& rec) {
    const std::uint16_t position = rec.Position();
    std::string text = std::to_string(position / 10);
    text += '.';
    text += static_cast<char>('0' + position % 10);
    text += "  ";
    switch (rec.Orientation()) {
    case static_cast<std::uint8_t>(Orientation::West):
        text += 'W';
        break;
    case static_cast<std::uint8_t>(Orientation::East):
        text += 'E';
        break;
    default:
        break;
    }
    return text;
}

std::string FormatSatelliteLabel(const SatelliteRecord& rec) {
    std::string text(rec.Name());
    text += "  ";
    text += FormatSatellitePosition(rec);
    return text;
}

std::optional<std::uint8_t> AddSatellite(ChannelDatabase& db) {
    if (db.satelliteCount >= kSatelliteCapacity) return std::nullopt;
    const std::uint8_t slot = db.satelliteCount;
    SatelliteRecord rec = db.config.Satellite(slot);
    rec.SetFlags(rec.Flags() | kInUseBit);
    rec.SetSwitching(static_cast<std::uint8_t>((rec.Switching() & ~kOrientationMask) |
                                               (static_cast<std::uint8_t>(Orientation::West) << 6)));
    db.config.SetSatellite(slot, rec);
    db.satelliteCount = static_cast<std::uint8_t>(slot + 1);
    return slot;
}

void ApplySatelliteEdit(ChannelDatabase& db, std::size_t index, const SatelliteEdit& edit) {
    if (index >= db.satelliteCount || index >= kSatelliteCapacity) return;
    if (!EditFitsRecord(edit)) return;

    SatelliteRecord rec = db.config.Satellite(index);
    rec.SetPosition(static_cast<std::uint16_t>(edit.position));

    std::uint8_t switching = rec.Switching();
    if (edit.orientation)
        switching = static_cast<std::uint8_t>((switching & ~kOrientationMask) |
                                              (static_cast<std::uint8_t>(*edit.orientation) << 6));

    // The User pair is checked at the size it was entered, so 65536 and above never pass.
    std::uint8_t lnbType = edit.lnbType;
    std::uint16_t low = kUniversalLnbLow, high = kUniversalLnbHigh;
    if (lnbType == kLnbNormal) {
        low = kNormalLnbLow;
        high = kNormalLnbHigh;
    } else if (lnbType == kLnbUser) {
        if (edit.lnbLow > kUserLnbMax || edit.lnbHigh > kUserLnbMax || edit.lnbLow >= edit.lnbHigh) {
            lnbType = kLnbUniversal;
        } else {
            low = static_cast<std::uint16_t>(edit.lnbLow);
            high = static_cast<std::uint16_t>(edit.lnbHigh);
        }
    }
    rec.SetFlags(static_cast<std::uint8_t>((rec.Flags() & ~kLnbTypeMask) | (lnbType << 2)));
    rec.SetLnbLow(low);
    rec.SetLnbHigh(high);

    // Types without ports store Port A.
    if (edit.diseqcType) {
        const std::uint8_t type = *edit.diseqcType;
        const std::uint8_t port = DiseqcHasPorts(type) ? edit.diseqcPort : 0;
        switching = static_cast<std::uint8_t>((switching & ~kDiseqcMask) | type | (port << 4));
    }
    rec.SetSwitching(switching);

    if (edit.name)
        rec.SetText(SatelliteRecord::kName, SatelliteRecord::kNameSize, SatelliteRecord::kNameMax, *edit.name);
    db.config.SetSatellite(index, rec);
}

} // namespace tcn
