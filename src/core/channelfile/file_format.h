#pragma once
// The container of a channel file: the 64-byte header template, the block signatures and versions,
// CRC-32, and the encoders of the blocks that the writer and the in-memory image builder share.

#include "tables/channel_database.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace tcn {

inline constexpr std::size_t kHeaderSize = 64;
inline constexpr std::size_t kConfigOffset = 64;
inline constexpr std::size_t kTransponderBlockHead = 12; // signature, CRC, version, count
inline constexpr std::size_t kServiceBlockHead = 16;     // signature, CRC, size, version, count
inline constexpr std::uint16_t kTransponderVersion = 0x0200;
inline constexpr std::uint16_t kServiceVersion = 0x0300;
inline constexpr std::size_t kMaxCompressedSize = kServiceCapacity * sizeof(ServiceRecord); // 690000
inline constexpr int kCompressionLevel = 9;

// The standard reflected CRC-32 (zlib's crc32), continuing from `crc` (0 to start).
std::uint32_t Crc32(const std::uint8_t* data, std::size_t size, std::uint32_t crc = 0);
inline std::uint32_t Crc32(std::span<const std::uint8_t> data, std::uint32_t crc = 0) {
    return Crc32(data.data(), data.size(), crc);
}

// The header template with `kind` (three letters) at 32 and `length` big-endian at 16. The CRC field keeps
// the template bytes 11 22 33 44.
std::array<std::uint8_t, kHeaderSize> MakeHeader(std::string_view kind, std::uint32_t length);

// Writes "-CFG" and the CRC-32 of the payload into the head of the config buffer.
void SealConfigBlock(ConfigBuffer& config);

// The whole transponder block: "-TSL", CRC, version, count and the first `transponderCount` records.
std::vector<std::uint8_t> EncodeTransponderBlock(const ChannelDatabase& db);

// The whole service block around an already compressed payload of `count` records.
std::vector<std::uint8_t> EncodeServiceBlock(std::uint16_t count, std::span<const std::uint8_t> compressed);

// The first `serviceCount` service records, back to back: the uncompressed service payload.
std::vector<std::uint8_t> ServicePayload(const ChannelDatabase& db);

// A complete channel file for the given tables, built in memory (level 9, same bytes as a save).
std::vector<std::uint8_t> BuildChannelFileImage(const ChannelDatabase& db);

} // namespace tcn
