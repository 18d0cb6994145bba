#include "exchange/satellites_xml.h"

#include "exchange/latin1.h"
#include "tables/satellite_table.h"
#include "tables/transponder_table.h"

#include <pugixml.hpp>

#include <algorithm>
#include <charconv>
#include <cstring>
#include <limits>
#include <sstream>

namespace tcn {

namespace {

// Line numbers of offsets that come in ascending order, counted once over the text.
class LineCounter {
  public:
    explicit LineCounter(std::string_view text) : m_text(text) {}

    int LineOf(std::ptrdiff_t offset) {
        const std::size_t to = std::min(static_cast<std::size_t>(std::max<std::ptrdiff_t>(offset, 0)), m_text.size());
        if (to < m_pos) { // an offset before the last one: count afresh
            m_pos = 0;
            m_line = 1;
        }
        m_line += static_cast<int>(std::count(m_text.begin() + static_cast<std::ptrdiff_t>(m_pos),
                                              m_text.begin() + static_cast<std::ptrdiff_t>(to), '\n'));
        m_pos = to;
        return m_line;
    }

  private:
    std::string_view m_text;
    std::size_t m_pos = 0;
    int m_line = 1;
};

std::string Quoted(std::string_view value) {
    constexpr std::size_t kShown = 24;
    std::string text(1, '"');
    text.append(value.substr(0, kShown));
    if (value.size() > kShown) text += "...";
    text += '"';
    return text;
}

// A whole number of the attribute, blanks around it allowed; nothing when it is none or out of range.
template <typename T> std::optional<T> ReadNumber(std::string_view text) {
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    if (text.empty()) return std::nullopt;
    T value{};
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

// Reads attribute `name` of `node` into `out` or says why it cannot.
template <typename T>
bool ReadAttribute(const pugi::xml_node& node, const char* name, T& out, int line, std::string& error) {
    const pugi::xml_attribute attribute = node.attribute(name);
    if (!attribute) {
        error = "line " + std::to_string(line) + ": <" + node.name() + "> has no " + name + " attribute";
        return false;
    }
    const std::optional<T> value = ReadNumber<T>(attribute.value());
    if (!value) {
        error = "line " + std::to_string(line) + ": " + name + "=" + Quoted(attribute.value()) + " of <" +
                node.name() + "> is not a whole number of its range";
        return false;
    }
    out = *value;
    return true;
}

std::string_view TrimmedEnd(std::string_view text) {
    while (!text.empty() && std::strchr(" \t\r\n", text.back()) != nullptr) text.remove_suffix(1);
    return text;
}

// The message for a document the library could not parse.
std::string ParseError(const pugi::xml_parse_result& result, std::string_view bytes, LineCounter& lines) {
    const std::string where = "line " + std::to_string(lines.LineOf(result.offset)) + ": ";
    if (result.status == pugi::status_no_document_element) return where + "no XML element: this is not a satellite list";
    // The parser stops at (or just before) the last byte when the file breaks off inside the list.
    if (static_cast<std::size_t>(result.offset) + 2 >= TrimmedEnd(bytes).size())
        return where + "the file ends before the list is complete";
    return where + "not well-formed XML (" + result.description() + ")";
}

} // namespace

bool ReadSatellitesXml(std::string_view bytes, SatelliteList& list, std::string& error) {
    if (bytes.size() > kSatelliteListLimit) {
        error = "the file is larger than " + std::to_string(kSatelliteListLimit >> 20) +
                " MiB, far larger than any satellite list";
        return false;
    }
    pugi::xml_document document;
    const pugi::xml_parse_result result =
        document.load_buffer(bytes.data(), bytes.size(), pugi::parse_default | pugi::parse_doctype);
    LineCounter lines(bytes);
    if (!result) {
        error = ParseError(result, bytes, lines);
        return false;
    }
    // The library expands no entity it does not know, but a list has no business declaring any: such a
    // file is refused rather than read with its references left standing.
    for (const pugi::xml_node node : document.children()) {
        if (node.type() == pugi::node_doctype && std::strstr(node.value(), "<!ENTITY") != nullptr) {
            error = "line " + std::to_string(lines.LineOf(node.offset_debug())) +
                    ": the file declares entities, which a satellite list never does";
            return false;
        }
    }
    const pugi::xml_node root = document.document_element();
    if (std::strcmp(root.name(), "satellites") != 0) {
        error = "line " + std::to_string(lines.LineOf(root.offset_debug())) + ": the root element is <" +
                root.name() + ">, not <satellites>";
        return false;
    }

    SatelliteList read;
    for (const pugi::xml_node sat : root.children("sat")) {
        ListSatellite satellite;
        satellite.line = lines.LineOf(sat.offset_debug());
        satellite.name = sat.attribute("name").value();
        if (!ReadAttribute(sat, "position", satellite.position, satellite.line, error)) return false;
        if (satellite.position < -1800 || satellite.position > 1800) {
            error = "line " + std::to_string(satellite.line) + ": position=" +
                    Quoted(sat.attribute("position").value()) + " is no orbital position (-1800 to 1800)";
            return false;
        }
        for (const pugi::xml_node node : sat.children("transponder")) {
            ListTransponder t;
            t.line = lines.LineOf(node.offset_debug());
            if (!ReadAttribute(node, "frequency", t.frequency, t.line, error) ||
                !ReadAttribute(node, "symbol_rate", t.symbolRate, t.line, error) ||
                !ReadAttribute(node, "polarization", t.polarization, t.line, error) ||
                !ReadAttribute(node, "fec_inner", t.fecInner, t.line, error))
                return false;
            // Lists without the attribute are DVB-S lists.
            if (node.attribute("system") && !ReadAttribute(node, "system", t.system, t.line, error)) return false;
            satellite.transponders.push_back(t);
        }
        read.satellites.push_back(std::move(satellite));
    }
    list = std::move(read);
    return true;
}

std::optional<ListTuning> MapListTransponder(const ListTransponder& entry, std::string& why) {
    ListTuning tuning;
    tuning.frequency = entry.frequency;
    const std::uint64_t ks = entry.symbolRate / 1000 + (entry.symbolRate % 1000 >= 500 ? 1 : 0);
    if (ks > std::numeric_limits<std::uint16_t>::max()) {
        why = "symbol rate " + std::to_string(ks) + " kS/s does not fit the record (at most 65535)";
        return std::nullopt;
    }
    tuning.symbolRate = static_cast<std::uint16_t>(ks);
    if (entry.polarization > 3) {
        why = "polarization " + std::to_string(entry.polarization) + " is none of 0 to 3";
        return std::nullopt;
    }
    tuning.polarity = static_cast<std::uint8_t>(entry.polarization & 1); // 2 circular left reads as H, 3 as V
    if (entry.system > 1) {
        why = "system " + std::to_string(entry.system) + " is neither DVB-S (0) nor DVB-S2 (1)";
        return std::nullopt;
    }
    tuning.dvbS2 = entry.system == 1;
    constexpr std::uint8_t kAuto = 6, kNone = 0;
    if (entry.fecInner >= 1 && entry.fecInner <= 5)
        tuning.fec = static_cast<std::uint8_t>(entry.fecInner);
    else if (entry.fecInner == 15)
        tuning.fec = kNone;
    else {
        tuning.fec = kAuto;
        tuning.fecApproximated = entry.fecInner != 0;
    }
    return tuning;
}

std::uint32_t FecInnerOf(std::uint8_t fec) {
    fec &= 0x07;
    if (fec == 0) return 15;
    return fec <= 5 ? fec : 0;
}

std::optional<int> SignedPosition(const SatelliteRecord& rec) {
    const int position = rec.Position();
    if (rec.Orientation() == static_cast<std::uint8_t>(Orientation::East)) return position;
    if (rec.Orientation() == static_cast<std::uint8_t>(Orientation::West)) return -position;
    return std::nullopt;
}

std::string FormatSignedPosition(int tenths) {
    const int magnitude = tenths < 0 ? -tenths : tenths;
    return std::to_string(magnitude / 10) + "." + std::to_string(magnitude % 10) + (tenths < 0 ? "W" : "E");
}

std::optional<int> ReadSignedPosition(std::string_view text) {
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    if (text.empty()) return std::nullopt;
    const char letter = text.back();
    const bool west = letter == 'W' || letter == 'w';
    if (!west && letter != 'E' && letter != 'e') return std::nullopt;
    text.remove_suffix(1);
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    const auto dot = text.find('.');
    const std::optional<int> degrees = ReadNumber<int>(text.substr(0, dot));
    int tenth = 0;
    if (dot != std::string_view::npos) {
        const std::string_view fraction = text.substr(dot + 1);
        if (fraction.size() != 1 || fraction[0] < '0' || fraction[0] > '9') return std::nullopt;
        tenth = fraction[0] - '0';
    }
    if (!degrees || *degrees < 0 || text.substr(0, dot).find(' ') != std::string_view::npos || *degrees > 180)
        return std::nullopt;
    const int tenths = *degrees * 10 + tenth;
    if (tenths > 1800) return std::nullopt;
    return west ? -tenths : tenths;
}

std::string WriteSatellitesXml(const ChannelDatabase& db) {
    struct Entry {
        int position;
        std::uint8_t slot;
    };
    std::vector<Entry> order;
    const std::size_t count = std::min<std::size_t>(db.satelliteCount, kSatelliteCapacity);
    for (std::size_t slot = 0; slot < count; ++slot) {
        const SatelliteRecord rec = db.config.Satellite(slot);
        order.push_back({SignedPosition(rec).value_or(rec.Position()), static_cast<std::uint8_t>(slot)});
    }
    std::stable_sort(order.begin(), order.end(), [](const Entry& a, const Entry& b) { return a.position < b.position; });

    pugi::xml_document document;
    pugi::xml_node declaration = document.append_child(pugi::node_declaration);
    declaration.append_attribute("version") = "1.0";
    declaration.append_attribute("encoding") = "UTF-8";
    pugi::xml_node root = document.append_child("satellites");
    for (const Entry& e : order) {
        std::string name(db.config.Satellite(e.slot).Name());
        // Control characters have no place in an XML 1.0 attribute.
        std::replace_if(name.begin(), name.end(), [](char c) { return static_cast<unsigned char>(c) < 0x20; }, ' ');
        pugi::xml_node sat = root.append_child("sat");
        sat.append_attribute("name") = Latin1ToUtf8(name).c_str();
        sat.append_attribute("flags") = 0;
        sat.append_attribute("position") = e.position;

        std::vector<std::uint16_t> transponders = BuildSatelliteTransponderList(db, e.slot);
        std::stable_sort(transponders.begin(), transponders.end(), [&db](std::uint16_t a, std::uint16_t b) {
            return db.transponders[a].Frequency() < db.transponders[b].Frequency();
        });
        for (const std::uint16_t i : transponders) {
            const TransponderRecord& t = db.transponders[i];
            pugi::xml_node node = sat.append_child("transponder");
            node.append_attribute("frequency") = t.Frequency();
            node.append_attribute("symbol_rate") = static_cast<unsigned>(t.SymbolRate()) * 1000u;
            node.append_attribute("polarization") = static_cast<unsigned>(t.Polarity());
            node.append_attribute("fec_inner") = FecInnerOf(t.Fec());
            node.append_attribute("system") = 0;
            node.append_attribute("modulation") = 1; // QPSK, the one modulation of DVB-S
        }
    }
    std::ostringstream out;
    document.save(out, "\t", pugi::format_default, pugi::encoding_utf8);
    return out.str();
}

} // namespace tcn
