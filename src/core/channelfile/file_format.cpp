#include "channelfile/file_format.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <stdexcept>

namespace tcn {

std::uint32_t Crc32(const std::uint8_t* data, std::size_t size, std::uint32_t crc) {
    // zlib takes lengths as uInt; feed large inputs in pieces.
    while (size > 0) {
        const auto piece = static_cast<uInt>(size > (1u << 30) ? (1u << 30) : size);
        crc = static_cast<std::uint32_t>(::crc32(crc, data, piece));
        data += piece;
        size -= piece;
    }
    return crc;
}

std::array<std::uint8_t, kHeaderSize> MakeHeader(std::string_view kind, std::uint32_t length) {
    static constexpr char kTypeText[] = "TARVA_V_TR_ALL";
    std::array<std::uint8_t, kHeaderSize> h{};
    std::memcpy(h.data(), kTypeText, 14);
    PutBe32(h.data() + 16, length);
    for (std::size_t i = 0; i < 3 && i < kind.size(); ++i) h[32 + i] = static_cast<std::uint8_t>(kind[i]);
    for (std::size_t i = 48; i < 54; ++i) h[i] = 0xFF;
    h[60] = 0x11;
    h[61] = 0x22;
    h[62] = 0x33;
    h[63] = 0x44;
    return h;
}

void SealConfigBlock(ConfigBuffer& config) {
    std::memcpy(config.bytes.data(), "-CFG", 4);
    const std::uint32_t crc = Crc32(config.bytes.data() + kConfigPayloadOffset, kConfigPayloadSize);
    PutLe32(config.bytes.data() + 4, crc);
}

std::vector<std::uint8_t> EncodeTransponderBlock(const ChannelDatabase& db) {
    const std::size_t n = db.transponderCount;
    std::vector<std::uint8_t> block(kTransponderBlockHead + 12 * n);
    std::memcpy(block.data(), "-TSL", 4);
    PutLe16(block.data() + 8, kTransponderVersion);
    PutLe16(block.data() + 10, db.transponderCount);
    for (std::size_t i = 0; i < n; ++i) std::memcpy(block.data() + 12 + 12 * i, db.transponders[i].bytes.data(), 12);
    PutLe32(block.data() + 4, Crc32(block.data() + 8, block.size() - 8));
    return block;
}

std::vector<std::uint8_t> EncodeServiceBlock(std::uint16_t count, std::span<const std::uint8_t> compressed) {
    std::array<std::uint8_t, kServiceBlockHead> head{};
    std::memcpy(head.data(), "-SER", 4);
    PutLe32(head.data() + 8, static_cast<std::uint32_t>(compressed.size()));
    PutLe16(head.data() + 12, kServiceVersion);
    PutLe16(head.data() + 14, count);
    PutLe32(head.data() + 4, Crc32(compressed, Crc32(head.data() + 8, kServiceBlockHead - 8)));
    std::vector<std::uint8_t> block(kServiceBlockHead + compressed.size());
    std::copy(head.begin(), head.end(), block.begin());
    std::copy(compressed.begin(), compressed.end(), block.begin() + kServiceBlockHead);
    return block;
}

std::vector<std::uint8_t> ServicePayload(const ChannelDatabase& db) {
    const std::size_t m = db.serviceCount;
    std::vector<std::uint8_t> payload(m * sizeof(ServiceRecord));
    for (std::size_t i = 0; i < m; ++i)
        std::memcpy(payload.data() + i * sizeof(ServiceRecord), db.services[i].bytes.data(), sizeof(ServiceRecord));
    return payload;
}

std::vector<std::uint8_t> BuildChannelFileImage(const ChannelDatabase& db) {
    const std::vector<std::uint8_t> payload = ServicePayload(db);
    uLongf compressedSize = compressBound(static_cast<uLong>(payload.size()));
    std::vector<std::uint8_t> compressed(compressedSize);
    if (compress2(compressed.data(), &compressedSize, payload.data(), static_cast<uLong>(payload.size()),
                  kCompressionLevel) != Z_OK)
        throw std::runtime_error("compression failed");
    compressed.resize(compressedSize);

    ConfigBuffer config = db.config;
    SealConfigBlock(config);
    const std::vector<std::uint8_t> tsl = EncodeTransponderBlock(db);
    const std::vector<std::uint8_t> ser = EncodeServiceBlock(db.serviceCount, compressed);

    std::vector<std::uint8_t> file;
    file.reserve(kHeaderSize * 3 + config.bytes.size() + tsl.size() + ser.size());
    const auto append = [&file](const auto& bytes) { file.insert(file.end(), bytes.begin(), bytes.end()); };
    append(MakeHeader("SER", 0));
    append(config.bytes);
    append(MakeHeader("TSL", static_cast<std::uint32_t>(tsl.size())));
    append(tsl);
    append(MakeHeader("SER", static_cast<std::uint32_t>(12 + sizeof(ServiceRecord) * db.serviceCount)));
    append(ser);

    PutBe32(file.data() + 16, static_cast<std::uint32_t>(file.size() - kHeaderSize));
    PutBe32(file.data() + 60, Crc32(file.data() + kHeaderSize, file.size() - kHeaderSize));
    return file;
}

} // namespace tcn
