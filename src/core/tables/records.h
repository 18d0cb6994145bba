#pragma once
// The records of a channel file, each held as the exact bytes it has in the file. Typed accessors read
// and write single fields; every byte no accessor touches survives a load and a save unchanged.

#include "tables/bytes.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace tcn {

// Capacities of the tables and sizes of the file's fixed parts.
inline constexpr std::size_t kSatelliteCapacity = 80;
inline constexpr std::size_t kTransponderCapacity = 3500;
inline constexpr std::size_t kServiceCapacity = 5000;
inline constexpr std::size_t kFavouriteGroupCount = 5;
inline constexpr std::size_t kFavouriteCapacity = 200;
inline constexpr std::size_t kTranspondersPerSatellite = 200;
inline constexpr std::size_t kConfigBlockSize = 7956;
inline constexpr std::size_t kConfigPayloadOffset = 8;
inline constexpr std::size_t kConfigPayloadSize = kConfigBlockSize - kConfigPayloadOffset; // 7948
inline constexpr std::uint16_t kNoTransponder = 0xFFFF;
inline constexpr std::uint16_t kEmptyServiceNumber = 0xFFFF;
inline constexpr std::uint16_t kNoFavourite = 0xFFFF;
inline constexpr std::uint8_t kDeletedTransponder = 0xFF;

// A fixed-size byte image with little-endian field access at given offsets.
template <std::size_t N> struct ByteImage {
    static constexpr std::size_t kSize = N;
    std::array<std::uint8_t, N> bytes{};

    std::uint8_t U8(std::size_t off) const { return bytes[off]; }
    void SetU8(std::size_t off, std::uint8_t v) { bytes[off] = v; }
    std::uint16_t U16(std::size_t off) const { return GetLe16(bytes.data() + off); }
    void SetU16(std::size_t off, std::uint16_t v) { PutLe16(bytes.data() + off, v); }
    std::uint32_t U32(std::size_t off) const { return GetLe32(bytes.data() + off); }
    void SetU32(std::size_t off, std::uint32_t v) { PutLe32(bytes.data() + off, v); }
    // The zero-terminated text of a field, never read past the field.
    std::string_view Text(std::size_t off, std::size_t size) const { return FieldText(bytes.data() + off, size); }
    // Zero-fills `clear` bytes at `off`, then copies at most `max` bytes of `text` there. The caller keeps
    // max < clear when the field must end in a zero.
    void SetText(std::size_t off, std::size_t clear, std::size_t max, std::string_view text) {
        for (std::size_t i = 0; i < clear; ++i) bytes[off + i] = 0;
        for (std::size_t i = 0; i < text.size() && i < max; ++i) bytes[off + i] = static_cast<std::uint8_t>(text[i]);
    }

    friend bool operator==(const ByteImage&, const ByteImage&) = default;
};

// One satellite slot of the config payload (40 bytes).
struct SatelliteRecord : ByteImage<40> {
    static constexpr std::size_t kName = 0, kNameSize = 20, kNameMax = 19;
    static constexpr std::size_t kLnbLow = 20, kLnbHigh = 22, kPosition = 24, kFlags = 35, kSwitching = 36;

    std::string_view Name() const { return Text(kName, kNameSize); }
    std::uint16_t LnbLow() const { return U16(kLnbLow); }
    std::uint16_t LnbHigh() const { return U16(kLnbHigh); }
    std::uint16_t Position() const { return U16(kPosition); }
    std::uint8_t Flags() const { return U8(kFlags); }
    std::uint8_t Switching() const { return U8(kSwitching); }
    bool InUse() const { return (Flags() & 0x01) != 0; }
    std::uint8_t LnbType() const { return (Flags() >> 2) & 0x03; }
    std::uint8_t DiseqcType() const { return Switching() & 0x0F; }
    std::uint8_t DiseqcPort() const { return (Switching() >> 4) & 0x03; }
    std::uint8_t Orientation() const { return (Switching() >> 6) & 0x03; }
    void SetLnbLow(std::uint16_t v) { SetU16(kLnbLow, v); }
    void SetLnbHigh(std::uint16_t v) { SetU16(kLnbHigh, v); }
    void SetPosition(std::uint16_t v) { SetU16(kPosition, v); }
    void SetFlags(std::uint8_t v) { SetU8(kFlags, v); }
    void SetSwitching(std::uint8_t v) { SetU8(kSwitching, v); }
};

// One transponder (12 bytes). Byte 0 names the satellite slot; 0xFF marks a deleted record.
struct TransponderRecord : ByteImage<12> {
    static constexpr std::size_t kSatellite = 0, kFrequency = 4, kSymbolRate = 8, kTuningFlags = 10;

    std::uint8_t Satellite() const { return U8(kSatellite); }
    std::uint32_t Frequency() const { return U32(kFrequency); } // kHz
    std::uint16_t SymbolRate() const { return U16(kSymbolRate); }
    std::uint8_t TuningFlags() const { return U8(kTuningFlags); }
    std::uint8_t Fec() const { return TuningFlags() & 0x07; }
    std::uint8_t Polarity() const { return (TuningFlags() >> 3) & 0x01; } // 0 horizontal, 1 vertical
    void SetSatellite(std::uint8_t v) { SetU8(kSatellite, v); }
    void SetFrequency(std::uint32_t khz) { SetU32(kFrequency, khz); }
    void SetSymbolRate(std::uint16_t v) { SetU16(kSymbolRate, v); }
    void SetTuningFlags(std::uint8_t v) { SetU8(kTuningFlags, v); }
};

// One service (138 bytes).
struct ServiceRecord : ByteImage<138> {
    static constexpr std::size_t kNumber = 0, kCa = 2, kCaCount = 4;
    static constexpr std::size_t kProvider = 6, kProviderArea = 84, kProviderMax = 20;
    static constexpr std::size_t kName = 90, kNameArea = 31, kNameMax = 30;
    static constexpr std::size_t kLanguage = 121, kLanguageSize = 4, kKind = 125, kTransponder = 126;
    static constexpr std::size_t kServiceId = 128, kVideoPid = 130, kAudioPid = 132, kPcrPid = 134, kFlags = 136;
    static constexpr std::uint8_t kLockedBit = 0x01, kScrambledBit = 0x02;
    static constexpr std::uint8_t kKindTv = 1, kKindRadio = 2;

    std::uint16_t Number() const { return U16(kNumber); }
    std::uint8_t Ca(std::size_t i) const { return U8(kCa + i); }
    std::string_view Provider() const { return Text(kProvider, kProviderArea); }
    std::string_view Name() const { return Text(kName, kNameArea); }
    std::string_view Language() const { return Text(kLanguage, kLanguageSize); }
    std::uint8_t Kind() const { return U8(kKind); }
    bool IsRadio() const { return Kind() == kKindRadio; }
    std::uint16_t Transponder() const { return U16(kTransponder); }
    std::uint16_t ServiceId() const { return U16(kServiceId); }
    std::uint16_t VideoPid() const { return U16(kVideoPid); }
    std::uint16_t AudioPid() const { return U16(kAudioPid); }
    std::uint16_t PcrPid() const { return U16(kPcrPid); }
    std::uint8_t Flags() const { return U8(kFlags); }
    bool Locked() const { return (Flags() & kLockedBit) != 0; }
    bool Scrambled() const { return (Flags() & kScrambledBit) != 0; }
    void SetNumber(std::uint16_t v) { SetU16(kNumber, v); }
    void SetKind(std::uint8_t v) { SetU8(kKind, v); }
    void SetTransponder(std::uint16_t v) { SetU16(kTransponder, v); }
    void SetServiceId(std::uint16_t v) { SetU16(kServiceId, v); }
    void SetVideoPid(std::uint16_t v) { SetU16(kVideoPid, v); }
    void SetAudioPid(std::uint16_t v) { SetU16(kAudioPid, v); }
    void SetPcrPid(std::uint16_t v) { SetU16(kPcrPid, v); }
    void SetFlags(std::uint8_t v) { SetU8(kFlags, v); }
};

// One favourite group of the config payload (422 bytes).
struct FavouriteGroupRecord : ByteImage<422> {
    static constexpr std::size_t kName = 0, kNameSize = 20, kCount = 20, kEntries = 22;

    std::string_view Name() const { return Text(kName, kNameSize); }
    std::uint16_t Count() const { return U16(kCount); }
    std::uint16_t Entry(std::size_t i) const { return U16(kEntries + 2 * i); }
    void SetEntry(std::size_t i, std::uint16_t v) { SetU16(kEntries + 2 * i, v); }
    void SetCount(std::uint16_t v) { SetU16(kCount, v); }
};

// The 7956-byte config block: signature, CRC-32 and the payload with the satellite table and the
// favourite groups. Satellites and groups are copied in and out of their places by value.
struct ConfigBuffer : ByteImage<kConfigBlockSize> {
    static constexpr std::size_t kSatelliteTable = kConfigPayloadOffset + 32;      // 40
    static constexpr std::size_t kFavouriteGroups = kConfigPayloadOffset + 3232;   // 3240

    SatelliteRecord Satellite(std::size_t slot) const;
    void SetSatellite(std::size_t slot, const SatelliteRecord& rec);
    FavouriteGroupRecord Group(std::size_t g) const;
    void SetGroup(std::size_t g, const FavouriteGroupRecord& rec);
};

static_assert(sizeof(SatelliteRecord) == 40);
static_assert(sizeof(TransponderRecord) == 12);
static_assert(sizeof(ServiceRecord) == 138);
static_assert(sizeof(FavouriteGroupRecord) == 422);
static_assert(sizeof(ConfigBuffer) == 7956);
static_assert(ConfigBuffer::kSatelliteTable + kSatelliteCapacity * 40 == ConfigBuffer::kFavouriteGroups);
static_assert(ConfigBuffer::kFavouriteGroups + kFavouriteGroupCount * 422 + 2606 == kConfigBlockSize);

inline SatelliteRecord ConfigBuffer::Satellite(std::size_t slot) const {
    SatelliteRecord r;
    std::memcpy(r.bytes.data(), bytes.data() + kSatelliteTable + 40 * slot, 40);
    return r;
}
inline void ConfigBuffer::SetSatellite(std::size_t slot, const SatelliteRecord& rec) {
    std::memcpy(bytes.data() + kSatelliteTable + 40 * slot, rec.bytes.data(), 40);
}
inline FavouriteGroupRecord ConfigBuffer::Group(std::size_t g) const {
    FavouriteGroupRecord r;
    std::memcpy(r.bytes.data(), bytes.data() + kFavouriteGroups + 422 * g, 422);
    return r;
}
inline void ConfigBuffer::SetGroup(std::size_t g, const FavouriteGroupRecord& rec) {
    std::memcpy(bytes.data() + kFavouriteGroups + 422 * g, rec.bytes.data(), 422);
}

} // namespace tcn
