#pragma once
// Byte streams: the one interface through which the compression runs, the load chain and the writer
// read and write. Files of the platform layer are streams; MemoryStream keeps its bytes in memory.

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace tcn {

// Raised by streams and files when the operating system refuses a read, a write or a seek, or when a
// write stores fewer bytes than asked.
class IoError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

enum class SeekOrigin { Begin, Current, End };

class Stream {
  public:
    virtual ~Stream() = default;
    // Reads up to n bytes; returns fewer only at the end of the stream.
    virtual std::size_t Read(void* buffer, std::size_t n) = 0;
    // Writes all n bytes or throws IoError.
    virtual void Write(const void* buffer, std::size_t n) = 0;
    // Moves the position and returns the new one; throws IoError on failure.
    virtual std::int64_t Seek(std::int64_t offset, SeekOrigin origin) = 0;
    virtual std::int64_t Size() = 0;

    // Reads exactly n bytes from the current position; false (with what could be read) when the stream ends.
    bool ReadExact(void* buffer, std::size_t n) { return ReadFully(buffer, n) == n; }
    // Reads until n bytes have come or the stream ends; returns how many came.
    std::size_t ReadFully(void* buffer, std::size_t n);
};

// A stream over a growable byte vector.
class MemoryStream : public Stream {
  public:
    MemoryStream() = default;
    explicit MemoryStream(std::vector<std::uint8_t> bytes) : m_bytes(std::move(bytes)) {}

    std::size_t Read(void* buffer, std::size_t n) override;
    void Write(const void* buffer, std::size_t n) override;
    std::int64_t Seek(std::int64_t offset, SeekOrigin origin) override;
    std::int64_t Size() override { return static_cast<std::int64_t>(m_bytes.size()); }

    const std::vector<std::uint8_t>& Bytes() const { return m_bytes; }
    std::vector<std::uint8_t> TakeBytes() { return std::move(m_bytes); }

  private:
    std::vector<std::uint8_t> m_bytes;
    std::size_t m_pos = 0;
};

} // namespace tcn
