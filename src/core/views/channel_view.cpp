#include "views/channel_view.h"

#include <algorithm>
#include <string_view>

namespace tcn {

namespace {

// What the lists show for a provider or language code not beginning with a letter.
constexpr std::string_view kOthersProvider = "Others";
constexpr std::string_view kUnknownLanguage = "aud";
// What the filters read for an empty provider or an empty language code.
constexpr std::string_view kEmptyProviderFilter = "Others";
constexpr std::string_view kEmptyLanguageFilter = "???";
constexpr std::size_t kProviderChars = kProviderEntrySize - 1;
constexpr std::size_t kLanguageChars = kLanguageEntrySize - 1;

bool IsAsciiLetter(std::uint8_t c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// The provider and language fields as the lists and the filters see them. Both cut a text that does
// not fit a list entry to what fits, so listing and filtering always agree.
std::string_view ProviderText(const ServiceRecord& s) {
    return FieldText(s.bytes.data() + ServiceRecord::kProvider, kProviderEntrySize).substr(0, kProviderChars);
}
std::string_view LanguageText(const ServiceRecord& s) {
    return FieldText(s.bytes.data() + ServiceRecord::kLanguage, kLanguageEntrySize).substr(0, kLanguageChars);
}

std::uint64_t LoadLe64(const std::uint8_t* p) {
    return GetLe32(p) | (std::uint64_t{GetLe32(p + 4)} << 32);
}
std::uint64_t LoadBe64(const std::uint8_t* p) {
    std::uint64_t v = 0;
    for (int i = 0; i < 8; ++i)
        v = (v << 8) | p[i];
    return v;
}
// Keeps the first `n` bytes of the text packed in a word (n may lie outside 0..8), zeroing the rest.
std::uint64_t KeepLe(std::uint64_t word, std::ptrdiff_t n) {
    return n >= 8 ? word : n <= 0 ? 0 : word & ((std::uint64_t{1} << (8 * n)) - 1);
}
// A text of a value list entry of K bytes (K a multiple of 4), packed into little-endian words so that
// looking it up and comparing it needs no byte loops. The bytes behind the text are zero.
template <std::size_t K> struct PackedText {
    static_assert(K % 4 == 0);
    std::array<std::uint64_t, (K + 7) / 8> words;

    // The first `length` bytes (length < K) of a field of at least K bytes.
    static PackedText FromField(const std::uint8_t* field, std::size_t length) {
        PackedText packed;
        for (std::size_t w = 0; w < packed.words.size(); ++w) {
            const std::uint64_t word = K - 8 * w >= 8 ? LoadLe64(field + 8 * w) : GetLe32(field + 8 * w);
            packed.words[w] =
                KeepLe(word, static_cast<std::ptrdiff_t>(length) - static_cast<std::ptrdiff_t>(8 * w));
        }
        return packed;
    }
    static PackedText FromText(std::string_view text) {
        std::array<std::uint8_t, K> entry{};
        std::copy_n(text.begin(), std::min(text.size(), K - 1), entry.begin());
        return FromField(entry.data(), std::min(text.size(), K - 1));
    }
    void WriteTo(std::array<std::uint8_t, K>& entry) const {
        for (std::size_t i = 0; i < K; i += 4)
            PutLe32(entry.data() + i, static_cast<std::uint32_t>(words[i / 8] >> (8 * (i % 8))));
    }
    std::size_t Hash() const {
        std::uint64_t h = 0;
        for (std::uint64_t w : words)
            h = (h ^ w) * 0x9E3779B97F4A7C15u;
        return static_cast<std::size_t>(h >> 54); // the ten best-mixed bits
    }
    friend bool operator==(const PackedText&, const PackedText&) = default;
};

// Adds texts to one value list of 500 entries in order of first appearance, through a hash index so
// that a lookup does not scan the list. Each bucket holds list position + 1, or 0 when empty; at most
// half the buckets are ever used.
template <std::size_t K> class TextListBuilder {
    static_assert(kProviderListCapacity == 500 && kLanguageListCapacity == 500);

  public:
    using Entries = std::array<std::array<std::uint8_t, K>, 500>;
    TextListBuilder(Entries& list, std::uint16_t& count) : m_list(list), m_count(count) {}

    void Add(const PackedText<K>& text) {
        if (m_count >= m_list.size()) return; // full: the text is either listed already or dropped
        std::size_t h = text.Hash() & kMask;
        while (m_buckets[h] != 0) {
            if (m_packed[m_buckets[h] - 1u] == text) return;
            h = (h + 1) & kMask;
        }
        m_packed[m_count] = text;
        text.WriteTo(m_list[m_count]);
        m_buckets[h] = ++m_count;
    }

  private:
    static constexpr std::size_t kBuckets = 1024, kMask = kBuckets - 1;
    Entries& m_list;
    std::uint16_t& m_count;
    std::array<PackedText<K>, 500> m_packed; // the listed texts, valid below m_count
    std::array<std::uint16_t, kBuckets> m_buckets{};
};

// Collects the value lists while the service table is scanned once.
class ListCollector {
  public:
    explicit ListCollector(ValueLists& lists)
        : m_lists(lists), m_providers(lists.providers, lists.providerCount),
          m_languages(lists.languages, lists.languageCount) {}

    void AddSatellite(std::uint8_t satellite) {
        if (satellite == kNoSatellite || m_satelliteSeen[satellite]) return;
        if (m_lists.satelliteCount >= kSatelliteListCapacity) return;
        m_satelliteSeen[satellite] = true;
        m_lists.satellites[m_lists.satelliteCount++] = satellite;
    }

    // Provider, then language, then the four CA system codes in record order.
    void AddValues(const ServiceRecord& s) {
        const std::uint8_t* provider = s.bytes.data() + ServiceRecord::kProvider;
        m_providers.Add(IsAsciiLetter(provider[0])
                            ? PackedText<kProviderEntrySize>::FromField(provider, ProviderText(s).size())
                            : m_others);
        const std::uint8_t* language = s.bytes.data() + ServiceRecord::kLanguage;
        m_languages.Add(IsAsciiLetter(language[0])
                            ? PackedText<kLanguageEntrySize>::FromField(language, LanguageText(s).size())
                            : m_aud);
        for (std::size_t c = 0; c < ServiceRecord::kCaCount; ++c) {
            const std::uint8_t code = s.Ca(c);
            if (code == 0 || m_caSeen[code] || m_lists.caSystemCount >= kCaSystemListCapacity) continue;
            m_caSeen[code] = true;
            m_lists.caSystems[m_lists.caSystemCount++] = code;
        }
    }

  private:
    ValueLists& m_lists;
    std::array<bool, 256> m_satelliteSeen{};
    std::array<bool, 256> m_caSeen{};
    TextListBuilder<kProviderEntrySize> m_providers;
    TextListBuilder<kLanguageEntrySize> m_languages;
    const PackedText<kProviderEntrySize> m_others = PackedText<kProviderEntrySize>::FromText(kOthersProvider);
    const PackedText<kLanguageEntrySize> m_aud = PackedText<kLanguageEntrySize>::FromText(kUnknownLanguage);
};

// A service name upper-cased (a-z only) and zero-padded to 32 bytes, packed big-endian into four words
// so that comparing the words in order compares the names byte by byte as unsigned values; a name that
// is a prefix of another compares lower because its padding is zero.
struct NameKey {
    std::array<std::uint64_t, 4> words;
    std::int32_t index;
};

NameKey MakeNameKey(const ServiceRecord& s, std::int32_t index) {
    std::array<std::uint8_t, 32> upper{}; // the zero padding sorts a name before its longer relatives
    const std::string_view name = s.Name();
    for (std::size_t i = 0; i < name.size(); ++i) {
        const auto c = static_cast<std::uint8_t>(name[i]);
        upper[i] = c >= 'a' && c <= 'z' ? static_cast<std::uint8_t>(c - ('a' - 'A')) : c;
    }
    NameKey key{{}, index};
    for (std::size_t w = 0; w < 4; ++w)
        key.words[w] = LoadBe64(upper.data() + 8 * w);
    return key;
}

// -1, 0 or 1 as the name of `a` sorts before, with or after the name of `b`.
int CompareNames(const NameKey& a, const NameKey& b) {
    for (std::size_t w = 0; w < 4; ++w)
        if (a.words[w] != b.words[w]) return a.words[w] < b.words[w] ? -1 : 1;
    return 0;
}

// Sorts the view by name, ascending or descending. Services with equal names keep table order, which
// makes the result independent of the sort algorithm.
void SortByName(const ChannelDatabase& db, ChannelView& view, bool descending) {
    // Kept between rebuilds so a refresh does not allocate.
    thread_local std::vector<NameKey> keys;
    keys.clear();
    keys.reserve(kServiceCapacity);
    for (std::size_t i = 0; i < view.count; ++i)
        keys.push_back(MakeNameKey(db.services[static_cast<std::size_t>(view.entries[i])], view.entries[i]));
    if (descending)
        std::sort(keys.begin(), keys.end(), [](const NameKey& a, const NameKey& b) {
            const int c = CompareNames(a, b);
            return c != 0 ? c > 0 : a.index < b.index;
        });
    else
        std::sort(keys.begin(), keys.end(), [](const NameKey& a, const NameKey& b) {
            const int c = CompareNames(a, b);
            return c != 0 ? c < 0 : a.index < b.index;
        });
    for (std::size_t i = 0; i < keys.size(); ++i)
        view.entries[i] = keys[i].index;
}

// The language filter: the first three characters agree, stopping early where both end.
bool LanguageMatches(std::string_view code, std::string_view chosen) {
    for (std::size_t i = 0; i < kLanguageChars; ++i) {
        const char a = i < code.size() ? code[i] : '\0';
        const char b = i < chosen.size() ? chosen[i] : '\0';
        if (a != b) return false;
        if (a == '\0') return true;
    }
    return true;
}

// Keeps the view entries that pass `keep`, in their order; freed slots become -1.
template <typename Keep> void FilterView(const ChannelDatabase& db, ChannelView& view, Keep keep) {
    std::size_t kept = 0;
    for (std::size_t i = 0; i < view.count; ++i) {
        const std::int32_t index = view.entries[i];
        if (keep(db.services[static_cast<std::size_t>(index)])) view.entries[kept++] = index;
    }
    std::fill(view.entries.begin() + static_cast<std::ptrdiff_t>(kept),
              view.entries.begin() + static_cast<std::ptrdiff_t>(view.count), -1);
    view.count = static_cast<std::uint16_t>(kept);
}

void ApplySortOrder(const ChannelDatabase& db, const ViewSettings& settings, ChannelView& view) {
    const auto& value = settings.additionalValue;
    const std::string_view chosen = FieldText(value.data(), value.size());
    switch (settings.sortOrder) {
    case kOrderAscending:
        SortByName(db, view, false);
        break;
    case kOrderDescending:
        SortByName(db, view, true);
        break;
    case kOrderFreeToAir:
        FilterView(db, view, [](const ServiceRecord& s) { return !s.Scrambled(); });
        break;
    case kOrderScrambled:
        FilterView(db, view, [](const ServiceRecord& s) { return s.Scrambled(); });
        break;
    case kOrderCaSystem:
        FilterView(db, view, [code = value[0]](const ServiceRecord& s) {
            if (!s.Scrambled()) return false;
            if (code == 0) return true;
            for (std::size_t c = 0; c < ServiceRecord::kCaCount; ++c)
                if (s.Ca(c) == code) return true;
            return false;
        });
        break;
    case kOrderProvider:
        if (chosen.empty()) break;
        FilterView(db, view, [chosen](const ServiceRecord& s) {
            const std::string_view provider = ProviderText(s);
            return (provider.empty() ? kEmptyProviderFilter : provider) == chosen;
        });
        break;
    case kOrderLanguage:
        if (chosen.empty()) break;
        FilterView(db, view, [chosen](const ServiceRecord& s) {
            const std::string_view language = LanguageText(s);
            return LanguageMatches(language.empty() ? kEmptyLanguageFilter : language, chosen);
        });
        break;
    default:
        break; // table order
    }
}

} // namespace

std::uint8_t ServiceSatellite(const ChannelDatabase& db, const ServiceRecord& service) {
    const std::size_t transponders = std::min<std::size_t>(db.transponderCount, kTransponderCapacity);
    const std::uint16_t link = service.Transponder();
    if (link >= transponders) return kNoSatellite; // covers the 0xFFFF "no transponder" link
    return db.transponders[link].Satellite();      // 0xFF for a deleted record reads as no satellite
}

void RebuildChannelView(const ChannelDatabase& db, const ViewSettings& settings, ChannelView& view) {
    view.entries.fill(-1);
    view.count = 0;
    ValueLists& lists = view.lists;
    lists.satellites.fill(kNoSatellite);
    lists.caSystems.fill(0);
    for (auto& entry : lists.providers)
        entry.fill(0);
    for (auto& entry : lists.languages)
        entry.fill(0);
    lists.satelliteCount = lists.caSystemCount = lists.providerCount = lists.languageCount = 0;

    ListCollector collector(lists);
    const bool wantRadio = settings.viewKind == ServiceRecord::kKindRadio;
    const bool wantTv = settings.viewKind == ServiceRecord::kKindTv;
    const std::size_t services = std::min<std::size_t>(db.serviceCount, kServiceCapacity);
    for (std::size_t i = 0; i < services; ++i) {
        const ServiceRecord& s = db.services[i];
        if (s.IsRadio() ? !wantRadio : !wantTv) continue;
        const std::uint8_t satellite = ServiceSatellite(db, s);
        // The satellite list covers every service of the kind; the other lists and the view only
        // those that pass the satellite filter. A service without a satellite passes no filter.
        collector.AddSatellite(satellite);
        if (settings.satelliteFilter && (satellite == kNoSatellite || satellite != settings.chosenSatellite))
            continue;
        collector.AddValues(s);
        view.entries[view.count++] = static_cast<std::int32_t>(i);
    }

    ApplySortOrder(db, settings, view);
    view.reorderingAllowed = settings.sortOrder == kOrderTable && !settings.satelliteFilter;
}

} // namespace tcn
