#include "file_builder.h"

#include <zlib.h>

#include <cstring>
#include <random>
#include <stdexcept>

namespace tcn::test {
namespace {

void Be32(std::uint8_t* p, std::uint32_t v) {
    p[0] = v >> 24, p[1] = v >> 16, p[2] = v >> 8, p[3] = v;
}
void Le32(std::uint8_t* p, std::uint32_t v) {
    p[0] = v, p[1] = v >> 8, p[2] = v >> 16, p[3] = v >> 24;
}
void Le16(std::uint8_t* p, std::uint16_t v) {
    p[0] = v, p[1] = v >> 8;
}
std::uint32_t Crc(const std::uint8_t* p, std::size_t n, std::uint32_t crc = 0) {
    return static_cast<std::uint32_t>(crc32(crc, p, static_cast<uInt>(n)));
}
void Append(std::vector<std::uint8_t>& out, const auto& bytes) {
    out.insert(out.end(), bytes.begin(), bytes.end());
}

} // namespace

std::array<std::uint8_t, 64> HeaderTemplate(const char* kind, std::uint32_t length) {
    std::array<std::uint8_t, 64> h{};
    std::memcpy(h.data(), "TARVA_V_TR_ALL", 14);
    Be32(h.data() + 16, length);
    std::memcpy(h.data() + 32, kind, 3);
    for (int i = 48; i < 54; ++i) h[i] = 0xFF;
    h[60] = 0x11, h[61] = 0x22, h[62] = 0x33, h[63] = 0x44;
    return h;
}

std::vector<std::uint8_t> ZlibCompress(const std::vector<std::uint8_t>& bytes, int level) {
    uLongf size = compressBound(static_cast<uLong>(bytes.size()));
    std::vector<std::uint8_t> out(size);
    if (compress2(out.data(), &size, bytes.data(), static_cast<uLong>(bytes.size()), level) != Z_OK)
        throw std::runtime_error("compress2 failed");
    out.resize(size);
    return out;
}

FileParts PartsFrom(const ChannelDatabase& db) {
    FileParts p;
    p.fileHeader = HeaderTemplate("SER", 0);
    p.config.assign(db.config.bytes.begin(), db.config.bytes.end());
    for (std::size_t i = 0; i < db.transponderCount; ++i) Append(p.transponders, db.transponders[i].bytes);
    for (std::size_t i = 0; i < db.serviceCount; ++i) Append(p.services, db.services[i].bytes);
    p.tslHeader = HeaderTemplate("TSL", static_cast<std::uint32_t>(12 + p.transponders.size()));
    p.serHeader = HeaderTemplate("SER", static_cast<std::uint32_t>(12 + p.services.size()));
    return p;
}

std::vector<std::uint8_t> BuildFile(const FileParts& parts) {
    std::vector<std::uint8_t> file;
    Append(file, parts.fileHeader);

    std::vector<std::uint8_t> config = parts.config;
    config.resize(7956);
    if (parts.sealConfig) {
        std::memcpy(config.data(), "-CFG", 4);
        Le32(config.data() + 4, Crc(config.data() + 8, 7948));
    }
    Append(file, config);

    Append(file, parts.tslHeader);
    std::vector<std::uint8_t> tsl(12);
    std::memcpy(tsl.data(), parts.tslSignature.data(), std::min<std::size_t>(4, parts.tslSignature.size()));
    Le16(tsl.data() + 8, parts.tslVersion);
    Le16(tsl.data() + 10, parts.tslCount.value_or(static_cast<std::uint16_t>(parts.transponders.size() / 12)));
    Append(tsl, parts.transponders);
    Le32(tsl.data() + 4, parts.tslCrc.value_or(Crc(tsl.data() + 8, tsl.size() - 8)));
    Append(file, tsl);

    Append(file, parts.serHeader);
    const std::vector<std::uint8_t> compressed = parts.compressed.value_or(ZlibCompress(parts.services));
    std::vector<std::uint8_t> ser(16);
    std::memcpy(ser.data(), parts.serSignature.data(), std::min<std::size_t>(4, parts.serSignature.size()));
    Le32(ser.data() + 8, parts.compressedSize.value_or(static_cast<std::uint32_t>(compressed.size())));
    Le16(ser.data() + 12, parts.serVersion);
    Le16(ser.data() + 14, parts.serCount.value_or(static_cast<std::uint16_t>(parts.services.size() / 138)));
    Append(ser, compressed);
    Le32(ser.data() + 4, parts.serCrc.value_or(Crc(ser.data() + 8, ser.size() - 8)));
    Append(file, ser);

    Append(file, parts.trailing);
    if (parts.fixFileCrc) FixFileCrc(file);
    return file;
}

void FixFileCrc(std::vector<std::uint8_t>& file) {
    Be32(file.data() + 16, static_cast<std::uint32_t>(file.size() - 64));
    Be32(file.data() + 60, Crc(file.data() + 64, file.size() - 64));
}

ChannelDatabase SampleDatabase(unsigned seed, std::size_t transponders, std::size_t services) {
    std::mt19937 rng(seed);
    auto byte = [&rng] { return static_cast<std::uint8_t>(rng()); };
    ChannelDatabase db;
    for (auto& b : db.config.bytes) b = byte();
    // Four satellites in use, the rest not.
    for (std::size_t s = 0; s < kSatelliteCapacity; ++s) {
        SatelliteRecord sat = db.config.Satellite(s);
        sat.SetU8(SatelliteRecord::kFlags, static_cast<std::uint8_t>((sat.Flags() & ~1u) | (s < 4 ? 1 : 0)));
        db.config.SetSatellite(s, sat);
    }
    for (std::size_t g = 0; g < kFavouriteGroupCount; ++g) {
        FavouriteGroupRecord group = db.config.Group(g);
        const std::uint16_t count = static_cast<std::uint16_t>(rng() % 6);
        group.SetU16(FavouriteGroupRecord::kCount, count);
        for (std::size_t i = 0; i < kFavouriteCapacity; ++i)
            group.SetEntry(i, i < count && services > 0 ? static_cast<std::uint16_t>(rng() % services) : 0xFFFF);
        db.config.SetGroup(g, group);
    }
    db.transponderCount = static_cast<std::uint16_t>(transponders);
    for (std::size_t t = 0; t < transponders; ++t) {
        for (auto& b : db.transponders[t].bytes) b = byte();
        db.transponders[t].SetU8(TransponderRecord::kSatellite, static_cast<std::uint8_t>(rng() % 4));
    }
    db.serviceCount = static_cast<std::uint16_t>(services);
    for (std::size_t i = 0; i < services; ++i) {
        ServiceRecord& r = db.services[i];
        for (auto& b : r.bytes) b = byte();
        r.SetU16(ServiceRecord::kNumber, static_cast<std::uint16_t>(i));
        r.SetU16(ServiceRecord::kTransponder,
                 transponders ? static_cast<std::uint16_t>(rng() % transponders) : kNoTransponder);
    }
    return db;
}

} // namespace tcn::test
