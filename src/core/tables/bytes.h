#pragma once
// Little- and big-endian access to byte images. Every multi-byte field of a channel file goes through
// these helpers, which copy with memcpy so no record is ever read through a misaligned pointer.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace tcn {

inline std::uint16_t GetLe16(const std::uint8_t* p) {
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}
inline std::uint32_t GetLe32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}
inline std::uint32_t GetBe32(const std::uint8_t* p) {
    return (static_cast<std::uint32_t>(p[0]) << 24) | (static_cast<std::uint32_t>(p[1]) << 16) |
           (static_cast<std::uint32_t>(p[2]) << 8) | static_cast<std::uint32_t>(p[3]);
}
inline void PutLe16(std::uint8_t* p, std::uint16_t v) {
    p[0] = static_cast<std::uint8_t>(v);
    p[1] = static_cast<std::uint8_t>(v >> 8);
}
inline void PutLe32(std::uint8_t* p, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}
inline void PutBe32(std::uint8_t* p, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<std::uint8_t>(v >> (24 - 8 * i));
}

// A zero-terminated text inside a fixed field: the bytes up to the first zero, never past the field.
inline std::string_view FieldText(const std::uint8_t* field, std::size_t size) {
    const void* zero = std::memchr(field, 0, size);
    const std::size_t len = zero ? static_cast<std::size_t>(static_cast<const std::uint8_t*>(zero) - field) : size;
    return {reinterpret_cast<const char*>(field), len};
}

} // namespace tcn
