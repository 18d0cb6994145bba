#include "actions/satellite_actions.h"

#include <algorithm>
#include <string>

namespace tcn {

SatelliteEdit EditShowing(const SatelliteRecord& rec, std::optional<Orientation> shownSide) {
    SatelliteEdit edit;
    edit.name = std::string(rec.Name().substr(0, SatelliteRecord::kNameMax));
    edit.position = rec.Position();
    if (rec.Orientation() == static_cast<std::uint8_t>(Orientation::West))
        edit.orientation = Orientation::West;
    else if (rec.Orientation() == static_cast<std::uint8_t>(Orientation::East))
        edit.orientation = Orientation::East;
    else
        edit.orientation = shownSide;
    edit.lnbType = std::min(rec.LnbType(), kLnbUser);
    edit.lnbLow = rec.LnbLow();
    edit.lnbHigh = rec.LnbHigh();
    const std::uint8_t diseqc = std::min(rec.DiseqcType(), kDiseqcGotoX);
    edit.diseqcType = diseqc;
    const bool ports = diseqc >= kDiseqcToneBurst && diseqc <= kDiseqcSwitch11;
    const std::uint8_t lastPort = diseqc == kDiseqcToneBurst ? 1 : 3;
    edit.diseqcPort = ports ? std::min(rec.DiseqcPort(), lastPort) : 0;
    return edit;
}

std::optional<std::uint8_t> AddSatelliteLike(ChannelDatabase& db, SatelliteEdit settings) {
    const std::optional<std::uint8_t> slot = AddSatellite(db);
    if (!slot) return std::nullopt;
    const std::string shown(ReadSatellite(db, *slot).Name().substr(0, SatelliteRecord::kNameMax));
    if (settings.name == shown) settings.name.reset();
    ApplySatelliteEdit(db, *slot, settings);
    return slot;
}

} // namespace tcn
