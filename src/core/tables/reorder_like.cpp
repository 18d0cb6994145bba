#include "tables/reorder_like.h"

#include "tables/service_table.h"

#include <algorithm>
#include <map>
#include <optional>
#include <string>
#include <unordered_map>
#include <utility>

namespace tcn {

namespace {

// How a service is received, as the tuning rules compare it: everything but the frequency packed into
// one key (orbital position, orientation, polarity, service id), and the frequency in whole MHz.
struct Tuning {
    std::uint64_t key = 0;
    std::uint32_t mhz = 0;
    friend bool operator==(const Tuning&, const Tuning&) = default;
};

// The service's tuning; nothing when its transponder link names no transponder of the table or the
// transponder names no satellite slot (such a service can only be matched by name).
std::optional<Tuning> TuningOf(const ChannelDatabase& db, const ServiceRecord& service) {
    const std::uint16_t link = service.Transponder();
    if (link >= std::min<std::size_t>(db.transponderCount, kTransponderCapacity)) return std::nullopt;
    const TransponderRecord& transponder = db.transponders[link];
    if (transponder.Satellite() >= kSatelliteCapacity) return std::nullopt;
    const SatelliteRecord satellite = db.config.Satellite(transponder.Satellite());
    const std::uint64_t key = (std::uint64_t{satellite.Position()} << 32) |
                              (std::uint64_t{satellite.Orientation()} << 24) |
                              (std::uint64_t{transponder.Polarity()} << 16) | service.ServiceId();
    return Tuning{key, transponder.Frequency() / 1000};
}

// Kind and channel name as the name rules compare them; empty for a service without a name, which names
// nothing to match.
std::string NameKey(const ServiceRecord& service, bool ignoreCase) {
    if (service.Name().empty()) return {};
    std::string key(1, service.IsRadio() ? 'R' : 'T');
    key += ignoreCase ? FoldLatin1Case(service.Name()) : std::string(service.Name());
    return key;
}

std::uint32_t Distance(std::uint32_t a, std::uint32_t b) {
    return a > b ? a - b : b - a;
}

// One run of MatchServices: the reference indexed once, then one pass per rule over the services still
// without a counterpart, strongest rule first.
class Matcher {
  public:
    // `paired`: services already paired with the reference service at the same table index; the rules
    // match the others among the reference services left.
    Matcher(const ChannelDatabase& db, const ChannelDatabase& reference, const std::vector<bool>& paired)
        : m_db(db), m_reference(reference), m_count(std::min<std::size_t>(db.serviceCount, kServiceCapacity)),
          m_referenceCount(std::min<std::size_t>(reference.serviceCount, kServiceCapacity)),
          m_matches(m_count), m_tunings(m_count), m_tryTolerance(m_count, false),
          m_taken(m_referenceCount, false) {
        for (std::size_t r = 0; r < m_referenceCount; ++r) {
            const std::optional<Tuning> tuning = TuningOf(reference, reference.services[r]);
            m_referenceTunings.push_back(tuning);
            if (tuning) m_byTuning[tuning->key].emplace_back(tuning->mhz, static_cast<std::uint16_t>(r));
        }
        for (std::size_t f = 0; f < m_count; ++f)
            m_tunings[f] = TuningOf(db, db.services[f]);
        for (std::size_t f = 0; f < std::min({paired.size(), m_count, m_referenceCount}); ++f)
            if (paired[f]) Take(f, static_cast<std::uint16_t>(f), MatchRule::Tuning);
    }

    std::vector<ServiceMatch> Run() {
        MatchExactTuning();
        MatchTuningWithinTolerance();
        MatchNames(false);
        MatchNames(true);
        return std::move(m_matches);
    }

  private:
    void Take(std::size_t f, std::uint16_t r, MatchRule rule) {
        m_matches[f] = ServiceMatch{r, rule};
        m_taken[r] = true;
    }

    // A single reference service with the same tuning is the counterpart. Several are ambiguous, and so
    // are several services of db tuned alike: their names decide. Only when no reference service has the
    // exact frequency may a near one be taken.
    void MatchExactTuning() {
        std::map<std::pair<std::uint64_t, std::uint32_t>, std::size_t> alike;
        for (std::size_t f = 0; f < m_count; ++f)
            if (m_tunings[f] && m_matches[f].rule == MatchRule::None) ++alike[{m_tunings[f]->key, m_tunings[f]->mhz}];
        for (std::size_t f = 0; f < m_count; ++f) {
            if (!m_tunings[f] || m_matches[f].rule != MatchRule::None) continue;
            const auto found = m_byTuning.find(m_tunings[f]->key);
            std::size_t exact = 0;
            std::uint16_t candidate = 0;
            if (found != m_byTuning.end())
                for (const auto& [mhz, r] : found->second)
                    if (mhz == m_tunings[f]->mhz) {
                        ++exact;
                        candidate = r;
                    }
            if (exact == 0) m_tryTolerance[f] = true;
            const bool alone = alike[{m_tunings[f]->key, m_tunings[f]->mhz}] == 1;
            if (exact == 1 && alone && !m_taken[candidate]) Take(f, candidate, MatchRule::Tuning);
        }
    }

    // The free reference service nearest in frequency, at most 2 MHz away; a tie is ambiguous.
    void MatchTuningWithinTolerance() {
        for (std::size_t f = 0; f < m_count; ++f) {
            if (!m_tryTolerance[f]) continue;
            const auto found = m_byTuning.find(m_tunings[f]->key);
            if (found == m_byTuning.end()) continue;
            std::uint32_t best = kFrequencyToleranceMhz + 1;
            std::size_t atBest = 0;
            std::uint16_t candidate = 0;
            for (const auto& [mhz, r] : found->second) {
                const std::uint32_t distance = Distance(mhz, m_tunings[f]->mhz);
                if (m_taken[r] || distance > kFrequencyToleranceMhz) continue;
                if (distance < best) {
                    best = distance;
                    atBest = 0;
                }
                if (distance == best) {
                    ++atBest;
                    candidate = r;
                }
            }
            if (atBest == 1) Take(f, candidate, MatchRule::TuningWithin2Mhz);
        }
    }

    // The first free reference service of the same kind and name, in reference order; one that is also
    // tuned the same way (a service the tuning rules found ambiguous) goes first.
    void MatchNames(bool ignoreCase) {
        std::unordered_map<std::string, std::vector<std::uint16_t>> byName;
        for (std::size_t r = 0; r < m_referenceCount; ++r) {
            if (m_taken[r]) continue;
            std::string key = NameKey(m_reference.services[r], ignoreCase);
            if (!key.empty()) byName[std::move(key)].push_back(static_cast<std::uint16_t>(r));
        }
        const MatchRule rule = ignoreCase ? MatchRule::NameIgnoringCase : MatchRule::Name;
        for (std::size_t f = 0; f < m_count; ++f) {
            if (m_matches[f].rule != MatchRule::None) continue;
            const std::string key = NameKey(m_db.services[f], ignoreCase);
            if (key.empty()) continue;
            const auto found = byName.find(key);
            if (found == byName.end()) continue;
            std::optional<std::uint16_t> chosen;
            for (const std::uint16_t r : found->second) {
                if (m_taken[r]) continue;
                if (!chosen) chosen = r;
                if (m_tunings[f] && m_tunings[f] == m_referenceTunings[r]) {
                    chosen = r;
                    break;
                }
            }
            if (chosen) Take(f, *chosen, rule);
        }
    }

    const ChannelDatabase& m_db;
    const ChannelDatabase& m_reference;
    std::size_t m_count;
    std::size_t m_referenceCount;
    std::vector<ServiceMatch> m_matches;
    std::vector<std::optional<Tuning>> m_tunings;
    std::vector<std::optional<Tuning>> m_referenceTunings;
    std::vector<bool> m_tryTolerance; // no reference service has the exact tuning
    std::vector<bool> m_taken;        // reference services already somebody's counterpart
    // Reference services by tuning key (all but the frequency): their frequency and index, in table order.
    std::unordered_map<std::uint64_t, std::vector<std::pair<std::uint32_t, std::uint16_t>>> m_byTuning;
};

// Favourite entries are matched as signed 16-bit values against service numbers (see ResolveFavourites),
// so only entries below 0x8000 can name a service.
constexpr std::size_t kMatchableNumbers = 0x8000;

} // namespace

const char* MatchRuleLabel(MatchRule rule) {
    static const char* const labels[] = {"tuning", "tuning within 2 MHz", "name", "name ignoring case", "none"};
    return labels[static_cast<std::size_t>(rule)];
}

std::string FoldLatin1Case(std::string_view text) {
    std::string folded(text);
    for (char& ch : folded) {
        const auto c = static_cast<unsigned char>(ch);
        if ((c >= 'A' && c <= 'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7)) ch = static_cast<char>(c + 0x20);
    }
    return folded;
}

std::vector<ServiceMatch> MatchServices(const ChannelDatabase& db, const ChannelDatabase& reference) {
    return Matcher(db, reference, {}).Run();
}

std::vector<ServiceMatch> MatchServices(const ChannelDatabase& db, const ChannelDatabase& reference,
                                        const std::vector<bool>& pairedAtSameIndex) {
    return Matcher(db, reference, pairedAtSameIndex).Run();
}

ReorderSummary ReorderServicesLike(ChannelDatabase& db, const ChannelDatabase& reference) {
    const std::vector<ServiceMatch> matches = MatchServices(db, reference);
    const std::size_t count = matches.size();
    const std::size_t referenceCount = std::min<std::size_t>(reference.serviceCount, kServiceCapacity);
    ReorderSummary summary;

    // The new order: counterparts in reference order, then the rest as they stood.
    constexpr std::size_t kNone = static_cast<std::size_t>(-1);
    std::vector<std::size_t> counterpartOf(referenceCount, kNone);
    for (std::size_t f = 0; f < count; ++f) {
        ++summary.services[static_cast<std::size_t>(matches[f].rule)];
        if (matches[f].rule != MatchRule::None) counterpartOf[matches[f].reference] = f;
    }
    std::vector<std::size_t> order;
    order.reserve(count);
    for (std::size_t r = 0; r < referenceCount; ++r) {
        if (counterpartOf[r] != kNone)
            order.push_back(counterpartOf[r]);
        else
            summary.referenceWithoutCounterpart.push_back(static_cast<std::uint16_t>(r));
    }
    for (std::size_t f = 0; f < count; ++f)
        if (matches[f].rule == MatchRule::None) order.push_back(f);

    std::vector<std::size_t> newIndex(count);
    const std::vector<ServiceRecord> before(db.services.begin(),
                                            db.services.begin() + static_cast<std::ptrdiff_t>(count));
    for (std::size_t i = 0; i < count; ++i) {
        db.services[i] = before[order[i]];
        newIndex[order[i]] = i;
    }
    RenumberServices(db);

    // Reference entries name services by number: the first reference service carrying it.
    std::vector<std::size_t> referenceByNumber(kMatchableNumbers, kNone);
    for (std::size_t r = 0; r < referenceCount; ++r) {
        const std::uint16_t number = reference.services[r].Number();
        if (number < kMatchableNumbers && referenceByNumber[number] == kNone) referenceByNumber[number] = r;
    }
    for (std::size_t g = 0; g < kFavouriteGroupCount; ++g) {
        const FavouriteGroupRecord source = reference.config.Group(g);
        FavouriteGroupRecord group;
        std::copy_n(source.bytes.begin() + FavouriteGroupRecord::kName, FavouriteGroupRecord::kNameSize,
                    group.bytes.begin() + FavouriteGroupRecord::kName);
        const std::size_t members = std::min<std::size_t>(source.Count(), kFavouriteCapacity);
        std::size_t kept = 0;
        for (std::size_t i = 0; i < members; ++i) {
            const std::uint16_t entry = source.Entry(i);
            const std::size_t r = entry < kMatchableNumbers ? referenceByNumber[entry] : kNone;
            const std::size_t f = r != kNone ? counterpartOf[r] : kNone;
            if (f == kNone) {
                ++summary.favourites[static_cast<std::size_t>(MatchRule::None)];
                continue;
            }
            ++summary.favourites[static_cast<std::size_t>(matches[f].rule)];
            group.SetEntry(kept++, static_cast<std::uint16_t>(newIndex[f]));
        }
        for (std::size_t i = kept; i < kFavouriteCapacity; ++i)
            group.SetEntry(i, kNoFavourite);
        group.SetCount(static_cast<std::uint16_t>(kept));
        db.config.SetGroup(g, group);
    }
    return summary;
}

} // namespace tcn
