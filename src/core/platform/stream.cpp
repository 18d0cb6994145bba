#include "platform/stream.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace tcn {

std::size_t Stream::ReadFully(void* buffer, std::size_t n) {
    auto* bytes = static_cast<std::uint8_t*>(buffer);
    std::size_t done = 0;
    while (done < n) {
        const std::size_t got = Read(bytes + done, n - done);
        if (got == 0) break;
        done += got;
    }
    return done;
}

std::size_t MemoryStream::Read(void* buffer, std::size_t n) {
    if (m_pos >= m_bytes.size()) return 0;
    const std::size_t count = std::min(n, m_bytes.size() - m_pos);
    if (count > 0) std::memcpy(buffer, m_bytes.data() + m_pos, count);
    m_pos += count;
    return count;
}

void MemoryStream::Write(const void* buffer, std::size_t n) {
    if (n == 0) return;
    if (n > std::numeric_limits<std::size_t>::max() - m_pos) throw IoError("memory stream: write too large");
    const std::size_t end = m_pos + n;
    // Like a file, a write past the end first fills the gap with zero bytes.
    if (end > m_bytes.size()) m_bytes.resize(end);
    std::memcpy(m_bytes.data() + m_pos, buffer, n);
    m_pos = end;
}

std::int64_t MemoryStream::Seek(std::int64_t offset, SeekOrigin origin) {
    std::int64_t base = 0;
    switch (origin) {
    case SeekOrigin::Begin:
        base = 0;
        break;
    case SeekOrigin::Current:
        base = static_cast<std::int64_t>(m_pos);
        break;
    case SeekOrigin::End:
        base = static_cast<std::int64_t>(m_bytes.size());
        break;
    }
    std::int64_t target = 0;
    if (__builtin_add_overflow(base, offset, &target)) throw IoError("memory stream: seek out of range");
    if (target < 0) throw IoError("memory stream: seek before the start");
    // Positions beyond the end are allowed, as in a file; reading there gives nothing.
    m_pos = static_cast<std::size_t>(target);
    return target;
}

} // namespace tcn
