#include "views/view_settings.h"

#include "views/channel_view.h"

#include <algorithm>
#include <cstring>

namespace tcn {

void ResetViewSettings(ViewSettings& settings) {
    settings.satelliteFilter = false;
    settings.chosenSatellite = kNoSatellite;
    settings.viewKind = ServiceRecord::kKindTv;
    settings.sortOrder = kOrderTable;
    settings.additionalValue.fill(0);
}

void SetViewKind(ViewSettings& settings, std::uint8_t kind) {
    if (kind != ServiceRecord::kKindTv && kind != ServiceRecord::kKindRadio) return;
    settings.viewKind = kind;
    settings.satelliteFilter = false;
    settings.chosenSatellite = kNoSatellite;
    settings.sortOrder = kOrderTable;
    settings.additionalValue.fill(0);
}

void SetSatelliteChoice(ViewSettings& settings, const ChannelView& view, int item, std::uint8_t kind) {
    if (item < 0 || item > view.lists.satelliteCount) return;
    if (kind != ServiceRecord::kKindTv && kind != ServiceRecord::kKindRadio) return;
    if (item == 0) {
        settings.satelliteFilter = false;
        settings.chosenSatellite = kNoSatellite;
    } else {
        settings.satelliteFilter = true;
        settings.chosenSatellite = view.lists.satellites[static_cast<std::size_t>(item - 1)];
    }
    settings.viewKind = kind;
    // Back to table order; the additional value belongs to the old order and is dropped with it.
    settings.sortOrder = kOrderTable;
    settings.additionalValue.fill(0);
}

void SetSortOrder(ViewSettings& settings, std::uint8_t order) {
    if (order > kOrderLanguage) return;
    settings.sortOrder = order;
    settings.additionalValue.fill(0);
}

void SetAdditionalChoice(ViewSettings& settings, const ChannelView& view, int item) {
    if (item < 0) return;
    auto& value = settings.additionalValue;
    if (item == 0) {
        value.fill(0);
        return;
    }
    const auto k = static_cast<std::size_t>(item - 1);
    const ValueLists& lists = view.lists;
    switch (settings.sortOrder) {
    case kOrderCaSystem:
        if (k >= lists.caSystemCount) return;
        value.fill(0);
        value[0] = lists.caSystems[k];
        break;
    case kOrderProvider:
        if (k >= lists.providerCount) return;
        value.fill(0);
        std::copy(lists.providers[k].begin(), lists.providers[k].end(), value.begin());
        break;
    case kOrderLanguage:
        if (k >= lists.languageCount) return;
        value.fill(0);
        std::copy(lists.languages[k].begin(), lists.languages[k].end(), value.begin());
        break;
    default:
        break; // the other orders have no additional list
    }
}

} // namespace tcn
