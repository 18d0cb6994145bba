#include "demo_database.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tcn {
namespace {

// A small deterministic generator (SplitMix64), so the demo has the same bytes on every machine and with
// every standard library.
class DemoRandom {
  public:
    explicit DemoRandom(std::uint64_t seed) : m_state(seed) {}
    std::uint64_t Next() {
        std::uint64_t z = (m_state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    // A value in [0, n).
    std::size_t Below(std::size_t n) { return static_cast<std::size_t>(Next() % n); }
    // True with a chance of one in n.
    bool OneIn(std::size_t n) { return Below(n) == 0; }

  private:
    std::uint64_t m_state;
};

// The non-zero filler of bytes the editor never interprets; where a byte sits decides its value.
std::uint8_t Filler(std::size_t where) {
    return static_cast<std::uint8_t>(0x80 | ((where * 29 + 7) & 0x7F));
}

// The texts below are written in UTF-8 for readability; the file holds one byte per letter (ISO-8859-1).
// Only the letters U+0000 to U+00FF occur, as one or two UTF-8 bytes.
std::string Latin1(std::string_view utf8) {
    std::string out;
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        const auto c = static_cast<unsigned char>(utf8[i]);
        if (c >= 0xC0 && i + 1 < utf8.size()) {
            const auto next = static_cast<unsigned char>(utf8[++i]);
            out.push_back(static_cast<char>(((c & 0x03) << 6) | (next & 0x3F)));
        } else {
            out.push_back(static_cast<char>(c));
        }
    }
    return out;
}

constexpr std::uint8_t kWest = 1, kEast = 2;
constexpr std::uint8_t kLnbUniversal = 0, kLnbNormal = 1, kLnbUser = 2;
constexpr std::uint8_t kDiseqcNone = 0, kToneBurst = 1, kSwitch10 = 2, kSwitch11 = 3, kMotor = 4; // 5: Goto X

struct DemoSatellite {
    std::string_view name;
    std::uint16_t position; // tenths of a degree
    std::uint8_t orientation;
    std::uint8_t lnbType;
    std::uint16_t lnbLow, lnbHigh;
    std::uint8_t diseqc, port;
};

// Real satellites at their real orbital positions, wired as a typical home installation would be: four
// positions on a DiSEqC 1.0 switch, one more behind a 1.1 cascade, a ToneBurst pair, a motor dish.
constexpr std::array<DemoSatellite, 8> kRealSatellites{{
    {"Astra 1KR/1L/1M/1N", 192, kEast, kLnbUniversal, 9750, 10600, kSwitch10, 0},
    {"Hotbird 13B/13C/13E", 130, kEast, kLnbUniversal, 9750, 10600, kSwitch10, 1},
    {"Astra 2E/2F/2G", 282, kEast, kLnbUniversal, 9750, 10600, kSwitch10, 2},
    {"Astra 3B/3C", 235, kEast, kLnbUniversal, 9750, 10600, kSwitch10, 3},
    {"Eutelsat 9B", 90, kEast, kLnbUniversal, 9750, 10600, kSwitch11, 0},
    {"Astra 4A/SES 5", 48, kEast, kLnbUniversal, 9750, 10600, kToneBurst, 1},
    {"Thor 5/6/7", 8, kWest, kLnbUniversal, 9750, 10600, kMotor, 0},
    {"Hispasat 30W-5/6", 300, kWest, kLnbUser, 9750, 10750, kDiseqcNone, 0},
}};

// The whole degrees, a point and the tenth, then W or E: the way a position reads in a name.
std::string PositionText(std::uint16_t position, std::uint8_t orientation) {
    return std::to_string(position / 10) + "." + std::to_string(position % 10) +
           (orientation == kWest ? "W" : "E");
}

// The further satellites of the full demo: positions spread over the arc, with every LNB and DiSEqC kind.
DemoSatellite GeneratedSatellite(std::size_t slot, std::string& nameStore) {
    const std::size_t k = slot - kRealSatellites.size();
    DemoSatellite s{};
    s.position = static_cast<std::uint16_t>(15 + 25 * k);
    s.orientation = (k % 3 == 2) ? kWest : kEast;
    static constexpr std::array<std::uint8_t, 5> lnbTypes{kLnbUniversal, kLnbUniversal, kLnbNormal,
                                                          kLnbUniversal, kLnbUser};
    s.lnbType = lnbTypes[k % lnbTypes.size()];
    if (s.lnbType == kLnbNormal) {
        s.lnbLow = 5150, s.lnbHigh = 5750;
    } else if (s.lnbType == kLnbUser) {
        s.lnbLow = 10000, s.lnbHigh = 10750;
    } else {
        s.lnbLow = 9750, s.lnbHigh = 10600;
    }
    s.diseqc = static_cast<std::uint8_t>(k % 6);
    s.port = s.diseqc == kToneBurst                             ? static_cast<std::uint8_t>(k % 2)
             : (s.diseqc == kSwitch10 || s.diseqc == kSwitch11) ? static_cast<std::uint8_t>(k % 4)
                                                                : 0;
    nameStore = "Orbit " + PositionText(s.position, s.orientation);
    s.name = nameStore;
    return s;
}

SatelliteRecord MakeSatellite(const DemoSatellite& s, std::size_t slot) {
    SatelliteRecord r;
    r.SetText(SatelliteRecord::kName, SatelliteRecord::kNameSize, SatelliteRecord::kNameMax, s.name);
    r.SetU16(SatelliteRecord::kLnbLow, s.lnbLow);
    r.SetU16(SatelliteRecord::kLnbHigh, s.lnbHigh);
    r.SetU16(SatelliteRecord::kPosition, s.position);
    for (std::size_t i = 26; i < 35; ++i)
        r.SetU8(i, Filler(slot * 40 + i));
    r.SetU8(SatelliteRecord::kFlags, static_cast<std::uint8_t>(0x01 | (s.lnbType << 2)));
    r.SetU8(SatelliteRecord::kSwitching,
            static_cast<std::uint8_t>(s.diseqc | (s.port << 4) | (s.orientation << 6)));
    for (std::size_t i = 37; i < 40; ++i)
        r.SetU8(i, Filler(slot * 40 + i));
    return r;
}

// Fills the config payload: reserved stretches, the satellites in use and the reserved bytes of the
// free slots (whose in-use bit stays clear).
void FillSatellites(ChannelDatabase& db, std::size_t count) {
    for (std::size_t i = ConfigBuffer::kSatelliteTable - 32; i < ConfigBuffer::kSatelliteTable; ++i)
        db.config.SetU8(i, Filler(i));
    const std::size_t tail =
        ConfigBuffer::kFavouriteGroups + kFavouriteGroupCount * sizeof(FavouriteGroupRecord);
    for (std::size_t i = tail; i < kConfigBlockSize; ++i)
        db.config.SetU8(i, Filler(i));

    std::string nameStore;
    for (std::size_t slot = 0; slot < kSatelliteCapacity; ++slot) {
        if (slot < count) {
            const DemoSatellite s =
                slot < kRealSatellites.size() ? kRealSatellites[slot] : GeneratedSatellite(slot, nameStore);
            db.config.SetSatellite(slot, MakeSatellite(s, slot));
        } else {
            SatelliteRecord free;
            for (std::size_t i = 26; i < 35; ++i)
                free.SetU8(i, Filler(slot * 40 + i));
            for (std::size_t i = 37; i < 40; ++i)
                free.SetU8(i, Filler(slot * 40 + i));
            db.config.SetSatellite(slot, free);
        }
    }
    db.satelliteCount = static_cast<std::uint8_t>(count);
}

// Gives each satellite `perSatellite[s]` transponders spread over the Ku band with alternating polarity,
// and stores them interleaved (one of each satellite in turn), as the table does not keep a satellite's
// transponders together.
void FillTransponders(ChannelDatabase& db, const std::vector<std::size_t>& perSatellite) {
    static constexpr std::array<std::uint16_t, 4> symbolRates{27500, 22000, 29900, 30000};
    static constexpr std::array<std::uint8_t, 6> fecs{3, 2, 4, 5, 6, 1}; // 3/4, 2/3, 5/6, 7/8, Auto, 1/2
    std::vector<std::vector<TransponderRecord>> bySatellite(perSatellite.size());
    for (std::size_t s = 0; s < perSatellite.size(); ++s) {
        const std::size_t n = perSatellite[s];
        for (std::size_t j = 0; j < n; ++j) {
            const std::uint32_t mhz =
                static_cast<std::uint32_t>(10714 + (n > 1 ? j * (12732 - 10714) / (n - 1) : 0) + s % 7);
            const std::uint8_t polarity = static_cast<std::uint8_t>((j + s) % 2);
            TransponderRecord r;
            r.SetU8(TransponderRecord::kSatellite, static_cast<std::uint8_t>(s));
            r.SetU8(1, Filler(s * 211 + j));
            r.SetU16(2, j % 4 == 0 ? 0 : static_cast<std::uint16_t>(Filler(j) | (Filler(s) << 8)));
            r.SetU32(TransponderRecord::kFrequency, mhz * 1000);
            r.SetU16(TransponderRecord::kSymbolRate, symbolRates[(s + j / 3) % symbolRates.size()]);
            std::uint8_t tuning =
                static_cast<std::uint8_t>(fecs[(s * 5 + j) % fecs.size()] | (polarity << 3) | 0x30);
            if (j % 5 == 4) tuning |= 0x40;
            r.SetU8(TransponderRecord::kTuningFlags, tuning);
            r.SetU8(11, Filler(s * 199 + j * 3));
            bySatellite[s].push_back(r);
        }
    }
    std::size_t t = 0;
    for (std::size_t round = 0;; ++round) {
        bool any = false;
        for (const auto& list : bySatellite) {
            if (round < list.size()) {
                db.transponders[t++] = list[round];
                any = true;
            }
        }
        if (!any) break;
    }
    db.transponderCount = static_cast<std::uint16_t>(t);
}

// What a service is about; decides its name and the favourite groups it may join.
enum class Genre { News, Sport, Documentary, Cinema, Kids, Music, Shopping, Other, Radio };

struct Provider {
    std::string_view name;
    std::string_view language;
};

// Invented broadcasters with the language they use. A few names carry letters beyond ASCII; one is longer
// than the 20 characters the editor writes, as files made elsewhere may hold.
constexpr std::array<Provider, 13> kProviders{{
    {"Northern Lights", "eng"},
    {"Albion Digital", "eng"},
    {"Rheinland Rundfunk", "deu"},
    {"Münchner Medien", "deu"},
    {"Télé Ouest", "fra"},
    {"Canal Lumière", "fra"},
    {"Rete Adriatica", "ita"},
    {"Señal Ibérica", "spa"},
    {"Kraków Media", "pol"},
    {"Gulf Wave", "ara"},
    {"Orbit Free", ""},
    {"", ""},
    {"Northern Lights Media Group Limited", "eng"},
}};

constexpr std::array<std::string_view, 20> kBrands{
    "Nova",  "Aurora", "Meridian", "Polaris", "Zenit", "Atlas", "Vega",   "Orion",  "Helios",   "Boreal",
    "Terra", "Lumen",  "Kestrel",  "Cobalt",  "Alpen", "Adria", "Baltic", "Levant", "Solstice", "Horizon"};

struct TvGenre {
    std::string_view word;
    Genre genre;
};
constexpr std::array<TvGenre, 12> kTvGenres{{{"News", Genre::News},
                                             {"Sport", Genre::Sport},
                                             {"Cinema", Genre::Cinema},
                                             {"Kids", Genre::Kids},
                                             {"Music", Genre::Music},
                                             {"Docu", Genre::Documentary},
                                             {"Travel", Genre::Documentary},
                                             {"Shop", Genre::Shopping},
                                             {"Weather", Genre::News},
                                             {"Series", Genre::Cinema},
                                             {"Comedy", Genre::Other},
                                             {"Science", Genre::Documentary}}};
constexpr std::array<std::string_view, 6> kSuffixes{"", " HD", " 2", " +1", " Plus", " UHD"};
constexpr std::array<std::string_view, 8> kRadioGenres{"Pop",  "Rock", "Jazz", "Classic",
                                                       "Talk", "Hits", "Folk", "Country"};
// Whole names with letters beyond ASCII, used now and then instead of a composed one.
constexpr std::array<std::string_view, 6> kAccentedNames{"Télé Soleil", "München Eins", "Señal Norte",
                                                         "Kraków Info", "Écran Libre",  "Fußball Live"};
constexpr std::array<std::uint8_t, 10> kCaCodes{1, 5, 6, 9, 11, 13, 24, 38, 66, 254};

// Builds `count` services on the transponders 0 to transponderCount-1 and returns each one's genre.
std::vector<Genre> FillServices(ChannelDatabase& db, std::size_t count, DemoRandom& rng) {
    std::vector<Genre> genres;
    std::vector<std::uint16_t> onTransponder(db.transponderCount, 0);
    for (std::size_t i = 0; i < count; ++i) {
        ServiceRecord r;
        const bool radio = rng.OneIn(4);
        const std::size_t tp = rng.Below(db.transponderCount);
        const std::uint16_t k = onTransponder[tp]++;
        const Provider& provider = kProviders[rng.Below(kProviders.size())];
        const std::string_view brand = kBrands[rng.Below(kBrands.size())];

        std::string name;
        Genre genre;
        if (radio) {
            genre = Genre::Radio;
            const std::string_view word = kRadioGenres[rng.Below(kRadioGenres.size())];
            name = rng.OneIn(2) ? "Radio " + std::string(brand) + " " + std::string(word)
                                : std::string(brand) + " " + std::string(word) + " FM";
        } else if (rng.OneIn(20)) {
            genre = Genre::Other;
            name = Latin1(kAccentedNames[rng.Below(kAccentedNames.size())]);
        } else {
            const TvGenre& g = kTvGenres[rng.Below(kTvGenres.size())];
            genre = g.genre;
            name = std::string(brand) + " " + std::string(g.word) +
                   std::string(kSuffixes[rng.Below(kSuffixes.size())]);
        }
        genres.push_back(genre);

        r.SetU16(ServiceRecord::kNumber, static_cast<std::uint16_t>(i));
        const bool scrambled = !radio && rng.Below(3) != 0;
        if (scrambled) {
            const std::size_t systems = 1 + rng.Below(3);
            for (std::size_t c = 0; c < systems; ++c)
                r.SetU8(ServiceRecord::kCa + rng.Below(ServiceRecord::kCaCount),
                        kCaCodes[rng.Below(kCaCodes.size())]);
            if (r.Ca(0) == 0 && r.Ca(1) == 0 && r.Ca(2) == 0 && r.Ca(3) == 0)
                r.SetU8(ServiceRecord::kCa, kCaCodes[0]);
        }
        const std::string providerName = Latin1(provider.name);
        r.SetText(ServiceRecord::kProvider, ServiceRecord::kProviderArea, ServiceRecord::kProviderArea - 1,
                  providerName);
        // Some receivers leave old bytes behind the provider's terminator; they must survive as they are.
        if (i % 3 == 0) {
            for (std::size_t b = ServiceRecord::kProvider + providerName.size() + 1; b < ServiceRecord::kName;
                 ++b)
                r.SetU8(b, Filler(i + b));
        }
        r.SetText(ServiceRecord::kName, ServiceRecord::kNameArea, ServiceRecord::kNameMax, name);
        r.SetText(ServiceRecord::kLanguage, ServiceRecord::kLanguageSize, 3, provider.language);
        r.SetU8(ServiceRecord::kKind, radio ? ServiceRecord::kKindRadio : ServiceRecord::kKindTv);
        r.SetU16(ServiceRecord::kTransponder, static_cast<std::uint16_t>(tp));
        r.SetU16(ServiceRecord::kServiceId, static_cast<std::uint16_t>(100 + 50 * (tp % 1200) + k % 50));
        if (radio) {
            const std::uint16_t audio = static_cast<std::uint16_t>(0x401 + 0x10 * (k % 64));
            r.SetU16(ServiceRecord::kAudioPid, audio);
            r.SetU16(ServiceRecord::kPcrPid, audio);
        } else {
            const std::uint16_t video = static_cast<std::uint16_t>(0x101 + 0x20 * (k % 128));
            r.SetU16(ServiceRecord::kVideoPid, video);
            r.SetU16(ServiceRecord::kAudioPid, static_cast<std::uint16_t>(video + 1));
            r.SetU16(ServiceRecord::kPcrPid, video);
        }
        std::uint8_t flags = scrambled ? ServiceRecord::kScrambledBit : 0;
        if (rng.OneIn(15)) flags |= ServiceRecord::kLockedBit;
        if (i % 7 == 3) flags |= 0x80; // a bit the editor does not interpret
        r.SetU8(ServiceRecord::kFlags, flags);
        r.SetU8(137, Filler(i));
        db.services[i] = r;
    }
    db.serviceCount = static_cast<std::uint16_t>(count);
    return genres;
}

// Names the five groups and fills each with up to `limit` services of its genres, in an order that is
// not the table order (as a user who arranged a group would leave it).
void FillFavourites(ChannelDatabase& db, const std::vector<Genre>& genres, std::size_t limit) {
    struct GroupPlan {
        std::string_view name;
        Genre a, b;
    };
    static constexpr std::array<GroupPlan, kFavouriteGroupCount> plans{{
        {"News", Genre::News, Genre::News},
        {"Sport", Genre::Sport, Genre::Sport},
        {"Documentaries & More", Genre::Documentary, Genre::Other}, // exactly 20 characters, no terminator
        {"Cinéma", Genre::Cinema, Genre::Kids},
        {"Radio", Genre::Radio, Genre::Music},
    }};
    for (std::size_t g = 0; g < kFavouriteGroupCount; ++g) {
        std::vector<std::uint16_t> members;
        for (std::size_t i = 0; i < genres.size(); ++i)
            if (genres[i] == plans[g].a || genres[i] == plans[g].b)
                members.push_back(static_cast<std::uint16_t>(i));
        // Too few of its genres: top up with other services, none twice.
        for (std::size_t i = 0; members.size() < limit && i < genres.size(); ++i)
            if (genres[i] != plans[g].a && genres[i] != plans[g].b)
                members.push_back(static_cast<std::uint16_t>(i));
        if (members.size() > limit) members.resize(limit);
        std::rotate(members.begin(), members.begin() + static_cast<std::ptrdiff_t>(members.size() * g / 7),
                    members.end());

        FavouriteGroupRecord rec;
        rec.SetText(FavouriteGroupRecord::kName, FavouriteGroupRecord::kNameSize,
                    FavouriteGroupRecord::kNameSize, Latin1(plans[g].name));
        rec.SetU16(FavouriteGroupRecord::kCount, static_cast<std::uint16_t>(members.size()));
        for (std::size_t e = 0; e < kFavouriteCapacity; ++e)
            rec.SetEntry(e, e < members.size() ? members[e] : kNoFavourite);
        db.config.SetGroup(g, rec);
    }
}

} // namespace

ChannelDatabase BuildDemoDatabase(bool full) {
    ChannelDatabase db;
    DemoRandom rng(full ? 0x7C4E'D17F'0000'0050ull : 0x7C4E'D17F'0000'0008ull);

    const std::size_t satellites = full ? kSatelliteCapacity : kRealSatellites.size();
    FillSatellites(db, satellites);

    std::vector<std::size_t> perSatellite(satellites);
    if (full) {
        // 3500 over 80 satellites: 43 each, one more for the first 60.
        for (std::size_t s = 0; s < satellites; ++s)
            perSatellite[s] =
                kTransponderCapacity / satellites + (s < kTransponderCapacity % satellites ? 1 : 0);
    } else {
        static constexpr std::array<std::size_t, 8> counts{22, 20, 18, 16, 14, 12, 10, 8};
        std::copy(counts.begin(), counts.end(), perSatellite.begin());
    }
    FillTransponders(db, perSatellite);

    const std::vector<Genre> genres = FillServices(db, full ? kServiceCapacity : 400, rng);
    FillFavourites(db, genres, full ? kFavouriteCapacity : 24);
    return db;
}

} // namespace tcn
