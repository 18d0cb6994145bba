// The texts and selections of the "Sat Sort" and "Additional List" choices, derived from a built view.

#include "views/ca_systems.h"
#include "views/channel_view.h"

namespace tcn {

namespace {

template <std::size_t K> std::string EntryText(const std::array<std::uint8_t, K>& entry) {
    return std::string(FieldText(entry.data(), K));
}

// Position + 1 of the first list entry whose text equals `chosen`, or -1.
template <std::size_t K, std::size_t N>
int FindText(const std::array<std::array<std::uint8_t, K>, N>& list, std::size_t count,
             std::string_view chosen) {
    for (std::size_t i = 0; i < count; ++i)
        if (FieldText(list[i].data(), K) == chosen) return static_cast<int>(i) + 1;
    return -1;
}

} // namespace

std::vector<std::string> SatelliteChoiceTexts(const ChannelDatabase& db, const ChannelView& view) {
    std::vector<std::string> texts;
    texts.reserve(1u + view.lists.satelliteCount);
    texts.emplace_back("All Satellites");
    for (std::size_t i = 0; i < view.lists.satelliteCount; ++i) {
        const std::uint8_t satellite = view.lists.satellites[i];
        // A transponder may name a slot beyond the table; such a satellite has no name to show.
        texts.emplace_back(satellite < kSatelliteCapacity ? db.config.Satellite(satellite).Name()
                                                          : std::string_view{});
    }
    return texts;
}

std::vector<std::string> AdditionalChoiceTexts(const ChannelView& view, const ViewSettings& settings) {
    const ValueLists& lists = view.lists;
    std::vector<std::string> texts;
    switch (settings.sortOrder) {
    case kOrderCaSystem:
        texts.reserve(1u + lists.caSystemCount);
        texts.emplace_back("All Systems");
        for (std::size_t i = 0; i < lists.caSystemCount; ++i)
            texts.push_back(CaSystemName(lists.caSystems[i]));
        break;
    case kOrderProvider:
        texts.reserve(1u + lists.providerCount);
        texts.emplace_back("All Providers");
        for (std::size_t i = 0; i < lists.providerCount; ++i)
            texts.push_back(EntryText(lists.providers[i]));
        break;
    case kOrderLanguage:
        texts.reserve(1u + lists.languageCount);
        texts.emplace_back("All Languages");
        for (std::size_t i = 0; i < lists.languageCount; ++i)
            texts.push_back(EntryText(lists.languages[i]));
        break;
    default:
        break;
    }
    return texts;
}

bool AdditionalChoiceEnabled(const ViewSettings& settings) {
    return settings.sortOrder >= kOrderCaSystem && settings.sortOrder <= kOrderLanguage;
}

int SelectedSatelliteChoice(const ViewSettings& settings, const ChannelView& view) {
    if (!settings.satelliteFilter || settings.chosenSatellite == kNoSatellite) return 0;
    for (std::size_t i = 0; i < view.lists.satelliteCount; ++i)
        if (view.lists.satellites[i] == settings.chosenSatellite) return static_cast<int>(i) + 1;
    return -1;
}

int SelectedAdditionalChoice(const ViewSettings& settings, const ChannelView& view) {
    if (!AdditionalChoiceEnabled(settings)) return -1;
    const auto& value = settings.additionalValue;
    if (value[0] == 0) return 0;
    const ValueLists& lists = view.lists;
    switch (settings.sortOrder) {
    case kOrderCaSystem:
        for (std::size_t i = 0; i < lists.caSystemCount; ++i)
            if (lists.caSystems[i] == value[0]) return static_cast<int>(i) + 1;
        return -1;
    case kOrderProvider:
        return FindText(lists.providers, lists.providerCount, FieldText(value.data(), value.size()));
    default: // language
        return FindText(lists.languages, lists.languageCount, FieldText(value.data(), value.size()));
    }
}

} // namespace tcn
