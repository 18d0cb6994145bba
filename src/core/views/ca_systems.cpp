#include "views/ca_systems.h"

#include <array>
#include <utility>

namespace tcn {

namespace {

// The CA systems this program knows by name.
constexpr std::array<std::pair<std::uint8_t, const char*>, 12> kNamedSystems{{
    {1, "Mediaguard"},
    {5, "Viaccess"},
    {6, "Irdeto"},
    {9, "NDS"},
    {11, "Conax"},
    {13, "CryptoWorks"},
    {14, "PowerVu"},
    {23, "beta crypt"},
    {24, "Nagravision"},
    {38, "BISS"},
    {74, "SHL Crypt"},
    {254, "TPS Crypt 2"},
}};

} // namespace

std::string CaSystemName(std::uint8_t code) {
    for (const auto& [known, name] : kNamedSystems)
        if (known == code) return name;
    return std::string("CaID ").append(std::to_string(code));
}

} // namespace tcn
