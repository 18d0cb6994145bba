#include "views/ca_systems.h"

namespace tcn {

std::string CaSystemName(std::uint8_t code) {
    switch (code) {
    case 1: return "Mediaguard";
    case 5: return "Viaccess";
    case 6: return "Irdeto";
    case 9: return "NDS";
    case 11: return "Conax";
    case 13: return "CryptoWorks";
    case 14: return "PowerVu";
    case 23: return "beta crypt";
    case 24: return "Nagravision";
    case 38: return "BISS";
    case 74: return "SHL Crypt";
    case 254: return "TPS Crypt 2";
    default: return "CaID " + std::to_string(code);
    }
}

} // namespace tcn
