#pragma once
// Builds channel files in memory from their parts, independently of the program's own writer, so tests
// can make valid files and every kind of damaged one (with or without consistent CRCs).

#include "tables/channel_database.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tcn::test {

struct FileParts {
    std::array<std::uint8_t, 64> fileHeader{};
    std::vector<std::uint8_t> config;       // 7956 bytes
    bool sealConfig = true;                 // write "-CFG" and the payload CRC
    std::array<std::uint8_t, 64> tslHeader{};
    std::string tslSignature = "-TSL";
    std::uint16_t tslVersion = 0x0200;
    std::optional<std::uint16_t> tslCount;  // default: records / 12
    std::vector<std::uint8_t> transponders; // 12 bytes each
    std::optional<std::uint32_t> tslCrc;    // default: the correct CRC
    std::array<std::uint8_t, 64> serHeader{};
    std::string serSignature = "-SER";
    std::uint16_t serVersion = 0x0300;
    std::optional<std::uint16_t> serCount;  // default: services / 138
    std::vector<std::uint8_t> services;     // 138 bytes each, compressed unless `compressed` is set
    std::optional<std::vector<std::uint8_t>> compressed;
    std::optional<std::uint32_t> compressedSize; // default: the real size
    std::optional<std::uint32_t> serCrc;
    std::vector<std::uint8_t> trailing;     // bytes after the service block
    bool fixFileCrc = true;                 // length and CRC in the file header
};

// The header template with a kind and a length.
std::array<std::uint8_t, 64> HeaderTemplate(const char* kind, std::uint32_t length);
// Parts of a valid file holding the first counts' records of `db`.
FileParts PartsFrom(const ChannelDatabase& db);
std::vector<std::uint8_t> BuildFile(const FileParts& parts);
// Recomputes the whole-file CRC (and length field) of a finished file.
void FixFileCrc(std::vector<std::uint8_t>& file);
std::vector<std::uint8_t> ZlibCompress(const std::vector<std::uint8_t>& bytes, int level = 9);

// A database with a bit of everything: satellites, transponders, services and favourites, with random
// bytes in every field nobody interprets. Deterministic for a seed.
ChannelDatabase SampleDatabase(unsigned seed, std::size_t transponders = 20, std::size_t services = 60);

} // namespace tcn::test
