// TZlib over untrusted bytes. The input is inflated as a zlib stream (twice, on the same object, which
// must give the same result both times), and deflated at a level taken from its first byte, from a start
// position taken from its second; the deflated stream must inflate back to exactly the bytes compressed.

#include "fuzz_support.h"

#include "zstream/tzlib.h"

#include <cstddef>
#include <cstdint>

namespace {

using namespace tcn;
using namespace tcn::fuzz;

// A destination that keeps the first `limit` bytes and only counts and hashes the rest, so that a small
// input which inflates enormously cannot exhaust memory.
class CappedSink : public Stream {
  public:
    explicit CappedSink(std::size_t limit) : m_limit(limit) {}
    std::size_t Read(void*, std::size_t) override { return 0; }
    void Write(const void* buffer, std::size_t n) override {
        const auto* bytes = static_cast<const std::uint8_t*>(buffer);
        for (std::size_t i = 0; i < n; ++i)
            m_hash = (m_hash ^ bytes[i]) * 0x100000001B3ULL;
        const std::size_t keep = m_kept.size() < m_limit ? std::min(n, m_limit - m_kept.size()) : 0;
        m_kept.insert(m_kept.end(), bytes, bytes + keep);
        m_total += n;
    }
    std::int64_t Seek(std::int64_t, SeekOrigin) override { return static_cast<std::int64_t>(m_total); }
    std::int64_t Size() override { return static_cast<std::int64_t>(m_total); }

    const Bytes& Kept() const { return m_kept; }
    std::uint64_t Total() const { return m_total; }
    std::uint64_t Hash() const { return m_hash; }

  private:
    std::size_t m_limit;
    Bytes m_kept;
    std::uint64_t m_total = 0;
    std::uint64_t m_hash = 0xCBF29CE484222325ULL;
};

constexpr std::size_t kKeep = 8 * 1024 * 1024;

// One object for the whole process: every run must leave it ready for the next.
TZlib& Zlib() {
    static TZlib* const zlib = new TZlib();
    return *zlib;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const Bytes input(data, data + size);
    TZlib& zlib = Zlib();

    // Inflate, twice from the start: same code, same output.
    MemoryStream source(input);
    CappedSink first(kKeep);
    const std::int32_t code = zlib.Decompress(source, first);
    source.Seek(0, SeekOrigin::Begin);
    CappedSink second(kKeep);
    Require(zlib.Decompress(source, second) == code, "a second inflate gave another result");
    Require(first.Total() == second.Total() && first.Hash() == second.Hash(),
            "a second inflate gave other bytes");
    Require(code == 0 || code < 0 || code == 2, "an inflate result that is neither success nor a zlib error");

    // Deflate from a chosen position at a chosen level (-1 to 10; 10 is not a level), then inflate back.
    const int level = size > 0 ? data[0] % 12 - 1 : 9;
    const std::size_t start = size > 1 ? data[1] % (size + 1) : 0;
    MemoryStream plain(input);
    plain.Seek(static_cast<std::int64_t>(start), SeekOrigin::Begin);
    MemoryStream packed;
    const std::int32_t packedCode = zlib.Compress(plain, packed, level);
    if (level > 9) {
        Require(packedCode != 0, "deflate accepted an invalid level");
        return 0;
    }
    Require(packedCode == 0, "deflate failed");
    packed.Seek(0, SeekOrigin::Begin);
    CappedSink back(kKeep);
    Require(zlib.Decompress(packed, back) == 0, "the deflated stream does not inflate");
    Require(back.Kept() == Bytes(input.begin() + static_cast<std::ptrdiff_t>(start), input.end()),
            "the round trip changed the bytes");
    return 0;
}
