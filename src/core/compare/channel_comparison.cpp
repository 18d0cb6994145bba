#include "compare/channel_comparison.h"

#include "tables/favourite_groups.h"
#include "tables/reorder_like.h"
#include "tables/satellite_table.h"
#include "tables/transponder_table.h"
#include "views/ca_systems.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <deque>
#include <map>
#include <optional>
#include <unordered_map>

namespace tcn {

namespace {

constexpr int kNone = -1;
// The channel file offset of config buffer byte 0.
constexpr std::size_t kConfigFileOffset = 64;

std::string Hex(const std::uint8_t* bytes, std::size_t count) {
    static const char digits[] = "0123456789abcdef";
    std::string text;
    for (std::size_t i = 0; i < count; ++i) {
        if (i) text += ' ';
        text += digits[bytes[i] >> 4];
        text += digits[bytes[i] & 15];
    }
    return text;
}

// Frequencies in MHz, with the kHz when they are not whole.
std::string Mhz(std::uint32_t khz) {
    std::string text = std::to_string(khz / 1000);
    if (khz % 1000) {
        std::string rest = std::to_string(1000 + khz % 1000).substr(1);
        while (rest.back() == '0') rest.pop_back();
        text += "." + rest;
    }
    return text;
}

std::string LnbTypeName(std::uint8_t type) {
    static const char* const names[] = {"Universal", "Normal", "User", "User (code 3)"};
    return names[type & 3];
}

std::string DiseqcTypeName(std::uint8_t type) {
    static const char* const names[] = {"None", "ToneBurst", "Switch 1.0", "Switch 1.1", "Motor", "Goto X"};
    return type < 6 ? names[type] : "code " + std::to_string(type);
}

void AddField(std::vector<FieldDiff>& fields, const char* field, std::string before, std::string after) {
    if (before != after) fields.push_back({field, std::move(before), std::move(after)});
}

// A field of two records, formatted only when the values differ (most fields of most pairs do not).
template <typename Value, typename Format>
void AddField(std::vector<FieldDiff>& fields, const char* field, const Value& before, const Value& after,
              Format format) {
    if (before != after) fields.push_back({field, format(before), format(after)});
}

std::string Number(unsigned value) { return std::to_string(value); }

// The satellites in use of a database: slots 0 to count - 1.
int SatellitesInUse(const ChannelDatabase& db) {
    return std::min<int>(db.satelliteCount, static_cast<int>(kSatelliteCapacity));
}

// Pairs of slots, OLD to NEW and back; satellite bytes of slots that neither file uses pair with
// themselves, so that transponders of such slots are still compared.
struct SatellitePairs {
    std::array<int, 256> newOf, oldOf;
};

SatellitePairs PairSatellites(const ChannelDatabase& oldDb, const ChannelDatabase& newDb) {
    SatellitePairs pairs;
    pairs.newOf.fill(kNone);
    pairs.oldOf.fill(kNone);
    const int oldCount = SatellitesInUse(oldDb), newCount = SatellitesInUse(newDb);
    const auto pair = [&](int o, int n) { pairs.newOf[o] = n, pairs.oldOf[n] = o; };
    // First by position and orientation, then by name among those left; equals pair in slot order.
    const auto byKey = [&](auto key) {
        std::map<decltype(key(SatelliteRecord())), std::deque<int>> free;
        for (int n = 0; n < newCount; ++n)
            if (pairs.oldOf[n] == kNone) free[key(ReadSatellite(newDb, n))].push_back(n);
        for (int o = 0; o < oldCount; ++o) {
            if (pairs.newOf[o] != kNone) continue;
            auto found = free.find(key(ReadSatellite(oldDb, o)));
            if (found == free.end() || found->second.empty()) continue;
            pair(o, found->second.front());
            found->second.pop_front();
        }
    };
    byKey([](const SatelliteRecord& rec) { return (rec.Position() << 2) | rec.Orientation(); });
    byKey([](const SatelliteRecord& rec) { return std::string(rec.Name()); });
    for (int slot = std::max(oldCount, newCount); slot < 256; ++slot)
        pair(slot, slot);
    return pairs;
}

// Transponder indices of each satellite byte, in table order.
std::array<std::vector<int>, 256> TranspondersBySatellite(const ChannelDatabase& db) {
    std::array<std::vector<int>, 256> lists;
    const int count = std::min<int>(db.transponderCount, static_cast<int>(kTransponderCapacity));
    for (int t = 0; t < count; ++t)
        if (db.transponders[t].Satellite() != kDeletedTransponder) lists[db.transponders[t].Satellite()].push_back(t);
    return lists;
}

// Pairs of transponder indices, OLD to NEW and back, within paired satellites: polarity and the same
// whole MHz first (the same kHz before others, then table order), then the nearest free one within 2 MHz.
struct TransponderPairs {
    std::vector<int> newOf, oldOf;
};

TransponderPairs PairTransponders(const ChannelDatabase& oldDb, const ChannelDatabase& newDb,
                                  const SatellitePairs& satellites) {
    TransponderPairs pairs{std::vector<int>(kTransponderCapacity, kNone),
                           std::vector<int>(kTransponderCapacity, kNone)};
    const auto oldLists = TranspondersBySatellite(oldDb), newLists = TranspondersBySatellite(newDb);
    for (int s = 0; s < 256; ++s) {
        const int ns = satellites.newOf[s];
        if (ns == kNone) continue;
        const std::vector<int>& olds = oldLists[s];
        const std::vector<int>& news = newLists[ns];
        const auto mhz = [](const TransponderRecord& rec) { return rec.Frequency() / 1000; };
        for (const int o : olds) {
            const TransponderRecord& a = oldDb.transponders[o];
            int chosen = kNone;
            for (const int n : news) {
                const TransponderRecord& b = newDb.transponders[n];
                if (pairs.oldOf[n] != kNone || b.Polarity() != a.Polarity() || mhz(b) != mhz(a)) continue;
                if (chosen == kNone || b.Frequency() == a.Frequency()) chosen = n;
                if (b.Frequency() == a.Frequency()) break;
            }
            if (chosen != kNone) pairs.newOf[o] = chosen, pairs.oldOf[chosen] = o;
        }
        for (const int o : olds) {
            if (pairs.newOf[o] != kNone) continue;
            const TransponderRecord& a = oldDb.transponders[o];
            std::uint32_t best = kFrequencyToleranceMhz + 1;
            int atBest = 0, chosen = kNone;
            for (const int n : news) {
                const TransponderRecord& b = newDb.transponders[n];
                if (pairs.oldOf[n] != kNone || b.Polarity() != a.Polarity()) continue;
                const std::uint32_t distance = mhz(a) > mhz(b) ? mhz(a) - mhz(b) : mhz(b) - mhz(a);
                if (distance > kFrequencyToleranceMhz) continue;
                if (distance < best) best = distance, atBest = 0;
                if (distance == best) ++atBest, chosen = n;
            }
            if (atBest == 1) pairs.newOf[o] = chosen, pairs.oldOf[chosen] = o;
        }
    }
    return pairs;
}

// Where the positions of `sequence` do not rise: the indices (into `sequence`) outside one longest
// increasing run, the smallest set whose removal leaves the rest in order.
std::vector<bool> OutOfOrder(const std::vector<int>& sequence) {
    const std::size_t n = sequence.size();
    std::vector<int> tails, tailIndex, previous(n, kNone);
    for (std::size_t i = 0; i < n; ++i) {
        const auto at = std::lower_bound(tails.begin(), tails.end(), sequence[i]) - tails.begin();
        if (static_cast<std::size_t>(at) == tails.size()) {
            tails.push_back(sequence[i]);
            tailIndex.push_back(static_cast<int>(i));
        } else {
            tails[at] = sequence[i];
            tailIndex[at] = static_cast<int>(i);
        }
        previous[i] = at > 0 ? tailIndex[at - 1] : kNone;
    }
    std::vector<bool> outside(n, true);
    for (int i = tailIndex.empty() ? kNone : tailIndex.back(); i != kNone; i = previous[i])
        outside[i] = false;
    return outside;
}

class Comparer {
  public:
    Comparer(const ChannelDatabase& oldDb, const ChannelDatabase& newDb)
        : m_old(oldDb), m_new(newDb), m_satellites(PairSatellites(oldDb, newDb)),
          m_transponders(PairTransponders(oldDb, newDb, m_satellites)) {}

    ChannelComparison Run() {
        CompareSatellites();
        CompareTransponders();
        CompareServices();
        CompareFavourites();
        CompareUninterpretedBytes();
        return std::move(m_result);
    }

  private:
    void Add(DiffArea area, DiffKind kind, int oldIndex, int newIndex, std::string label,
             std::vector<FieldDiff> fields = {}, int group = kNone) {
        m_result.differences.push_back({area, kind, oldIndex, newIndex, group, std::move(label), std::move(fields)});
    }

    std::string SatelliteLabel(const ChannelDatabase& db, int slot) const {
        if (slot >= SatellitesInUse(db) || slot >= static_cast<int>(kSatelliteCapacity))
            return "satellite slot " + std::to_string(slot);
        return FormatSatelliteLabel(ReadSatellite(db, static_cast<std::size_t>(slot)));
    }
    std::string TransponderLabel(const ChannelDatabase& db, int t) const {
        if (t < 0 || t >= std::min<int>(db.transponderCount, kTransponderCapacity)) return "none";
        const TransponderRecord& rec = db.transponders[t];
        return SatelliteLabel(db, rec.Satellite()) + "  " + FormatTransponderLabel(rec);
    }

    void CompareSatellites() {
        const int oldCount = SatellitesInUse(m_old), newCount = SatellitesInUse(m_new);
        for (int o = 0; o < oldCount; ++o)
            if (m_satellites.newOf[o] == kNone) Add(DiffArea::Satellite, DiffKind::Removed, o, kNone, SatelliteLabel(m_old, o));
        for (int n = 0; n < newCount; ++n)
            if (m_satellites.oldOf[n] == kNone) Add(DiffArea::Satellite, DiffKind::Added, kNone, n, SatelliteLabel(m_new, n));
        for (int n = 0; n < newCount; ++n) {
            const int o = m_satellites.oldOf[n];
            if (o == kNone) continue;
            const SatelliteRecord a = ReadSatellite(m_old, o), b = ReadSatellite(m_new, n);
            std::vector<FieldDiff> fields;
            AddField(fields, "name", std::string(a.Name()), std::string(b.Name()));
            AddField(fields, "position", FormatSatellitePosition(a), FormatSatellitePosition(b));
            AddField(fields, "lnb_type", LnbTypeName(a.LnbType()), LnbTypeName(b.LnbType()));
            AddField(fields, "lnb_low", std::to_string(a.LnbLow()), std::to_string(b.LnbLow()));
            AddField(fields, "lnb_high", std::to_string(a.LnbHigh()), std::to_string(b.LnbHigh()));
            AddField(fields, "diseqc_type", DiseqcTypeName(a.DiseqcType()), DiseqcTypeName(b.DiseqcType()));
            AddField(fields, "diseqc_port", std::string("Port ") + char('A' + a.DiseqcPort()),
                     std::string("Port ") + char('A' + b.DiseqcPort()));
            // The bytes nothing interprets: 20 to 39 but the LNB pair, the position and the bits read.
            const auto other = [](SatelliteRecord rec) {
                rec.SetText(SatelliteRecord::kName, SatelliteRecord::kNameSize, 0, {});
                rec.SetLnbLow(0), rec.SetLnbHigh(0), rec.SetU16(SatelliteRecord::kPosition, 0);
                rec.SetFlags(rec.Flags() & 0xF2), rec.SetSwitching(0);
                return Hex(rec.bytes.data() + 20, 20);
            };
            AddField(fields, "other_bytes", other(a), other(b));
            if (!fields.empty()) Add(DiffArea::Satellite, DiffKind::Changed, o, n, SatelliteLabel(m_new, n), std::move(fields));
        }
        // A satellite that keeps its pairing but stands in another slot moves the slots after it.
        std::vector<int> sequence;
        std::vector<int> slots;
        for (int n = 0; n < newCount; ++n)
            if (m_satellites.oldOf[n] != kNone) sequence.push_back(m_satellites.oldOf[n]), slots.push_back(n);
        const std::vector<bool> outside = OutOfOrder(sequence);
        for (std::size_t i = 0; i < sequence.size(); ++i)
            if (outside[i])
                Add(DiffArea::Satellite, DiffKind::Moved, sequence[i], slots[i], SatelliteLabel(m_new, slots[i]),
                    {{"slot", std::to_string(sequence[i] + 1), std::to_string(slots[i] + 1)}});
    }

    void CompareTransponders() {
        const int oldCount = std::min<int>(m_old.transponderCount, kTransponderCapacity);
        const int newCount = std::min<int>(m_new.transponderCount, kTransponderCapacity);
        const auto live = [](const ChannelDatabase& db, int t) { return db.transponders[t].Satellite() != kDeletedTransponder; };
        for (int o = 0; o < oldCount; ++o)
            if (live(m_old, o) && m_transponders.newOf[o] == kNone)
                Add(DiffArea::Transponder, DiffKind::Removed, o, kNone, TransponderLabel(m_old, o));
        for (int n = 0; n < newCount; ++n)
            if (live(m_new, n) && m_transponders.oldOf[n] == kNone)
                Add(DiffArea::Transponder, DiffKind::Added, kNone, n, TransponderLabel(m_new, n));
        for (int n = 0; n < newCount; ++n) {
            const int o = m_transponders.oldOf[n];
            if (o == kNone) continue;
            const TransponderRecord& a = m_old.transponders[o];
            const TransponderRecord& b = m_new.transponders[n];
            std::vector<FieldDiff> fields;
            AddField(fields, "frequency", Mhz(a.Frequency()), Mhz(b.Frequency()));
            AddField(fields, "symbol_rate", std::to_string(a.SymbolRate()), std::to_string(b.SymbolRate()));
            AddField(fields, "fec", std::string(FecText(a.Fec())), std::string(FecText(b.Fec())));
            const auto other = [](const TransponderRecord& rec) {
                std::array<std::uint8_t, 4> bytes{rec.bytes[1], rec.bytes[2], rec.bytes[3],
                                                  static_cast<std::uint8_t>(rec.TuningFlags() & 0xF0)};
                return Hex(bytes.data(), bytes.size()) + " " + Hex(rec.bytes.data() + 11, 1);
            };
            AddField(fields, "other_bits", other(a), other(b));
            if (!fields.empty())
                Add(DiffArea::Transponder, DiffKind::Changed, o, n, TransponderLabel(m_new, n), std::move(fields));
        }
    }

    // The transponder a service links to, or none for a link to no record of the table.
    static int LinkedTransponder(const ChannelDatabase& db, const ServiceRecord& rec) {
        const int t = rec.Transponder();
        return t < std::min<int>(db.transponderCount, kTransponderCapacity) &&
                       db.transponders[t].Satellite() != kDeletedTransponder
                   ? t
                   : kNone;
    }

    static std::string CaSystems(const ServiceRecord& rec) {
        std::string text;
        for (std::size_t i = 0; i < ServiceRecord::kCaCount; ++i) {
            if (rec.Ca(i) == 0) continue;
            if (!text.empty()) text += "; ";
            text += CaSystemName(rec.Ca(i));
        }
        return text;
    }
    // The bytes of a record nothing interprets: behind the two names' terminators, flag bits 2 to 7 and
    // byte 137.
    static ServiceRecord OtherServiceBytes(const ServiceRecord& rec) {
        ServiceRecord copy;
        const auto keepBehind = [&](std::size_t offset, std::size_t area, std::size_t used) {
            for (std::size_t i = std::min(used + 1, area); i < area; ++i)
                copy.bytes[offset + i] = rec.bytes[offset + i];
        };
        keepBehind(ServiceRecord::kProvider, ServiceRecord::kProviderArea, rec.Provider().size());
        keepBehind(ServiceRecord::kName, ServiceRecord::kNameArea, rec.Name().size());
        copy.bytes[ServiceRecord::kFlags] = rec.Flags() & 0xFC;
        copy.bytes[137] = rec.bytes[137];
        return copy;
    }

    void CompareServices() {
        const int oldCount = std::min<int>(m_old.serviceCount, kServiceCapacity);
        const int newCount = std::min<int>(m_new.serviceCount, kServiceCapacity);
        std::vector<bool> identical(static_cast<std::size_t>(newCount), false);
        for (int i = 0; i < std::min(oldCount, newCount); ++i)
            identical[i] = m_old.services[i] == m_new.services[i];
        const std::vector<ServiceMatch> matches = MatchServices(m_new, m_old, identical);
        m_serviceOldOf.assign(static_cast<std::size_t>(newCount), kNone);
        m_serviceNewOf.assign(static_cast<std::size_t>(oldCount), kNone);
        for (int f = 0; f < newCount; ++f)
            if (matches[f].rule != MatchRule::None) {
                m_serviceOldOf[f] = matches[f].reference;
                m_serviceNewOf[matches[f].reference] = f;
            }

        const auto name = [](const ChannelDatabase& db, int i) { return std::string(db.services[i].Name()); };
        for (int r = 0; r < oldCount; ++r)
            if (m_serviceNewOf[r] == kNone) Add(DiffArea::Service, DiffKind::Removed, r, kNone, name(m_old, r));
        for (int f = 0; f < newCount; ++f)
            if (m_serviceOldOf[f] == kNone) Add(DiffArea::Service, DiffKind::Added, kNone, f, name(m_new, f));
        for (int f = 0; f < newCount; ++f) {
            const int r = m_serviceOldOf[f];
            if (r == kNone || identical[f]) continue;
            const ServiceRecord& a = m_old.services[r];
            const ServiceRecord& b = m_new.services[f];
            std::vector<FieldDiff> fields;
            const auto text = [](std::string_view v) { return std::string(v); };
            const auto yesNo = [](bool v) { return std::string(v ? "yes" : "no"); };
            AddField(fields, "name", a.Name(), b.Name(), text);
            AddField(fields, "provider", a.Provider(), b.Provider(), text);
            AddField(fields, "kind", a.IsRadio(), b.IsRadio(), [](bool radio) { return std::string(radio ? "Radio" : "TV"); });
            AddField(fields, "service_id", a.ServiceId(), b.ServiceId(), Number);
            AddField(fields, "video_pid", a.VideoPid(), b.VideoPid(), Number);
            AddField(fields, "audio_pid", a.AudioPid(), b.AudioPid(), Number);
            AddField(fields, "pcr_pid", a.PcrPid(), b.PcrPid(), Number);
            if (std::memcmp(a.bytes.data() + ServiceRecord::kCa, b.bytes.data() + ServiceRecord::kCa, ServiceRecord::kCaCount))
                AddField(fields, "ca_systems", CaSystems(a), CaSystems(b));
            AddField(fields, "language", a.Language(), b.Language(), text);
            AddField(fields, "locked", a.Locked(), b.Locked(), yesNo);
            AddField(fields, "scrambled", a.Scrambled(), b.Scrambled(), yesNo);
            // The transponder: the same when the old one pairs with the new one, or neither names one.
            const int ta = LinkedTransponder(m_old, a), tb = LinkedTransponder(m_new, b);
            const bool sameTransponder = ta == kNone ? tb == kNone : m_transponders.newOf[ta] == tb;
            if (!sameTransponder)
                fields.push_back({"transponder", TransponderLabel(m_old, ta), TransponderLabel(m_new, tb)});
            const ServiceRecord otherA = OtherServiceBytes(a), otherB = OtherServiceBytes(b);
            if (otherA != otherB)
                fields.push_back({"other_bytes", Hex(otherA.bytes.data(), otherA.bytes.size()),
                                  Hex(otherB.bytes.data(), otherB.bytes.size())});
            if (!fields.empty())
                Add(DiffArea::Service, DiffKind::Changed, r, f, name(m_new, f), std::move(fields));
        }
        // Moves: the smallest set of services outside one longest run in the old order.
        std::vector<int> sequence, at;
        for (int f = 0; f < newCount; ++f)
            if (m_serviceOldOf[f] != kNone) sequence.push_back(m_serviceOldOf[f]), at.push_back(f);
        const std::vector<bool> outside = OutOfOrder(sequence);
        for (std::size_t i = 0; i < sequence.size(); ++i)
            if (outside[i])
                Add(DiffArea::Service, DiffKind::Moved, sequence[i], at[i], name(m_new, at[i]),
                    {{"number", std::to_string(sequence[i]), std::to_string(at[i])}});
    }

    // The members of a group as table indices: each entry names the first service carrying that number,
    // as the groups are read everywhere; entries that name none are left out.
    static std::array<std::vector<int>, kFavouriteGroupCount> Members(const ChannelDatabase& db) {
        std::vector<int> byNumber(0x10000, kNone); // the first service carrying each number (signed 16 bits)
        for (int i = std::min<int>(db.serviceCount, kServiceCapacity) - 1; i >= 0; --i)
            byNumber[static_cast<std::uint16_t>(static_cast<std::int16_t>(db.services[i].Number()))] = i;
        std::array<std::vector<int>, kFavouriteGroupCount> members;
        for (std::size_t g = 0; g < kFavouriteGroupCount; ++g)
            for (std::size_t k = 0; k < FavouriteGroupCount(db, g); ++k)
                if (const int i = byNumber[FavouriteEntry(db, g, k)]; i != kNone) members[g].push_back(i);
        return members;
    }

    void CompareFavourites() {
        const auto oldGroups = Members(m_old), newGroups = Members(m_new);
        for (std::size_t g = 0; g < kFavouriteGroupCount; ++g) {
            const int group = static_cast<int>(g);
            const std::string label = "Fav" + std::to_string(g + 1);
            const std::string oldName = FavouriteGroupName(m_old, g), newName = FavouriteGroupName(m_new, g);
            if (oldName != newName) Add(DiffArea::Favourites, DiffKind::Changed, group, group, label, {{"name", oldName, newName}}, group);
            const std::vector<int>& oldMembers = oldGroups[g];
            const std::vector<int>& newMembers = newGroups[g];
            // Members by their new index (old members through the service pairing), counted so that a
            // repeated entry is one member more.
            std::map<int, int> inOld, inNew;
            for (const int r : oldMembers)
                if (m_serviceNewOf[r] != kNone) ++inOld[m_serviceNewOf[r]];
            for (const int f : newMembers) ++inNew[f];
            std::map<int, int> seen;
            for (const int r : oldMembers) {
                const int f = m_serviceNewOf[r];
                if (f == kNone || ++seen[f] > inNew[f])
                    Add(DiffArea::Favourites, DiffKind::Removed, r, f, std::string(m_old.services[r].Name()), {}, group);
            }
            seen.clear();
            std::map<int, std::deque<int>> oldPositions; // old rows of each member, by new index
            for (std::size_t k = 0; k < oldMembers.size(); ++k)
                if (m_serviceNewOf[oldMembers[k]] != kNone) oldPositions[m_serviceNewOf[oldMembers[k]]].push_back(static_cast<int>(k));
            std::vector<int> sequence, rows;
            for (std::size_t k = 0; k < newMembers.size(); ++k) {
                const int f = newMembers[k];
                if (++seen[f] > inOld[f]) {
                    Add(DiffArea::Favourites, DiffKind::Added, m_serviceOldOf[f], f, std::string(m_new.services[f].Name()), {}, group);
                    continue;
                }
                sequence.push_back(oldPositions[f].front());
                oldPositions[f].pop_front();
                rows.push_back(static_cast<int>(k));
            }
            const std::vector<bool> outside = OutOfOrder(sequence);
            for (std::size_t i = 0; i < sequence.size(); ++i)
                if (outside[i]) {
                    const int f = newMembers[rows[i]];
                    Add(DiffArea::Favourites, DiffKind::Moved, m_serviceOldOf[f], f, std::string(m_new.services[f].Name()),
                        {{"row", std::to_string(sequence[i] + 1), std::to_string(rows[i] + 1)}}, group);
                }
        }
    }

    // The stretches of the config block nothing interprets (before the satellite table, behind the
    // groups, and the satellite slots neither file uses), as ranges of channel file offsets.
    void CompareUninterpretedBytes() {
        const std::size_t unusedFrom =
            ConfigBuffer::kSatelliteTable + 40 * static_cast<std::size_t>(std::max(SatellitesInUse(m_old), SatellitesInUse(m_new)));
        const std::pair<std::size_t, std::size_t> stretches[] = {
            {kConfigPayloadOffset, ConfigBuffer::kSatelliteTable},
            {unusedFrom, ConfigBuffer::kFavouriteGroups},
            {ConfigBuffer::kFavouriteGroups + kFavouriteGroupCount * 422, kConfigBlockSize}};
        for (const auto& [from, to] : stretches) {
            for (std::size_t i = from; i < to;) {
                if (m_old.config.bytes[i] == m_new.config.bytes[i]) {
                    ++i;
                    continue;
                }
                std::size_t end = i;
                while (end < to && m_old.config.bytes[end] != m_new.config.bytes[end]) ++end;
                const std::string range = std::to_string(kConfigFileOffset + i) + "-" + std::to_string(kConfigFileOffset + end - 1);
                const std::size_t shown = std::min<std::size_t>(end - i, 16);
                const std::string more = end - i > shown ? " ..." : "";
                Add(DiffArea::Config, DiffKind::Changed, kNone, kNone, "bytes " + range,
                    {{"bytes", Hex(m_old.config.bytes.data() + i, shown) + more, Hex(m_new.config.bytes.data() + i, shown) + more}});
                i = end;
            }
        }
    }

    const ChannelDatabase& m_old;
    const ChannelDatabase& m_new;
    SatellitePairs m_satellites;
    TransponderPairs m_transponders;
    std::vector<int> m_serviceOldOf, m_serviceNewOf;
    ChannelComparison m_result;
};

} // namespace

std::size_t ChannelComparison::Count(DiffArea area, DiffKind kind) const {
    return static_cast<std::size_t>(std::count_if(differences.begin(), differences.end(), [&](const Difference& d) {
        return d.area == area && d.kind == kind;
    }));
}

ChannelComparison CompareChannelDatabases(const ChannelDatabase& oldDb, const ChannelDatabase& newDb) {
    return Comparer(oldDb, newDb).Run();
}

const char* DiffMark(DiffKind kind) {
    static const char* const marks[] = {"+", "-", "~", ">"};
    return marks[static_cast<int>(kind)];
}

const char* DiffAreaName(DiffArea area) {
    static const char* const names[] = {"satellites", "transponders", "services", "favourites", "config"};
    return names[static_cast<int>(area)];
}

std::string FormatDifference(const Difference& d) {
    static const char* const singular[] = {"satellite", "transponder", "service", "", "config"};
    std::string line = DiffMark(d.kind);
    line += ' ';
    if (d.area == DiffArea::Favourites) {
        line += "Fav" + std::to_string(d.group + 1);
        if (d.kind != DiffKind::Changed) line += " service";
    } else {
        line += singular[static_cast<int>(d.area)];
    }
    const int index = d.kind == DiffKind::Removed ? d.oldIndex : d.newIndex;
    if (d.area == DiffArea::Service || (d.area == DiffArea::Favourites && d.kind != DiffKind::Changed))
        if (index >= 0) line.append(" ").append(std::to_string(index));
    if (d.area == DiffArea::Config)
        line += " " + d.label;
    else if (d.area != DiffArea::Favourites || d.kind != DiffKind::Changed)
        line += " \"" + d.label + "\"";
    for (std::size_t i = 0; i < d.fields.size(); ++i) {
        const FieldDiff& f = d.fields[i];
        line += i == 0 ? ": " : "; ";
        line += f.field + " \"" + f.before + "\" -> \"" + f.after + "\"";
    }
    return line;
}

std::string FormatCounts(const ChannelComparison& comparison) {
    std::string text;
    for (std::size_t a = 0; a < kDiffAreaCount; ++a) {
        const auto area = static_cast<DiffArea>(a);
        if (a) text += ", ";
        text += DiffAreaName(area);
        for (std::size_t k = 0; k < kDiffKindCount; ++k) {
            const auto kind = static_cast<DiffKind>(k);
            // The config block has changed stretches only, transponders no moves.
            if ((area == DiffArea::Config && kind != DiffKind::Changed) ||
                (area == DiffArea::Transponder && kind == DiffKind::Moved))
                continue;
            text += std::string(" ") + DiffMark(kind) + std::to_string(comparison.Count(area, kind));
        }
    }
    return text;
}

const char* DiffKindName(DiffKind kind) {
    static const char* const names[] = {"added", "removed", "changed", "moved"};
    return names[static_cast<int>(kind)];
}

} // namespace tcn
