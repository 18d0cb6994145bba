#include "tables/database_delta.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <span>
#include <type_traits>

namespace tcn {

namespace {

static_assert(std::is_trivially_copyable_v<ChannelDatabase>);
static_assert(sizeof(ChannelDatabase::transponders) == kTransponderCapacity * sizeof(TransponderRecord));
static_assert(sizeof(ChannelDatabase::services) == kServiceCapacity * sizeof(ServiceRecord));

constexpr std::size_t kAreaCount = 6;

// The database as byte areas: the config buffer, the satellite count, the transponder table, its count,
// the service table and its count. Records are byte images without padding, so a table is one area.
template <typename Db> auto AreasOf(Db& db) {
    using Byte = std::conditional_t<std::is_const_v<Db>, const std::uint8_t, std::uint8_t>;
    const auto bytesOf = [](auto& object) {
        return std::span<Byte>(reinterpret_cast<Byte*>(&object), sizeof(object));
    };
    return std::array<std::span<Byte>, kAreaCount>{bytesOf(db.config),       bytesOf(db.satelliteCount),
                                                   bytesOf(db.transponders), bytesOf(db.transponderCount),
                                                   bytesOf(db.services),     bytesOf(db.serviceCount)};
}

// The first offset at or after `from` where a and b differ; `n` when there is none. Equal stretches are
// skipped a block at a time.
std::size_t FirstDifference(const std::uint8_t* a, const std::uint8_t* b, std::size_t from, std::size_t n) {
    constexpr std::size_t kBlock = 64;
    while (from < n) {
        if (from + kBlock <= n && std::memcmp(a + from, b + from, kBlock) == 0) {
            from += kBlock;
            continue;
        }
        for (const std::size_t end = std::min(n, from + kBlock); from < end; ++from)
            if (a[from] != b[from]) return from;
    }
    return n;
}

} // namespace

DatabaseDelta DatabaseDelta::Between(const ChannelDatabase& other, const ChannelDatabase& live) {
    // Equal bytes between two differences closer than a run's header cost less kept than a new run.
    constexpr std::size_t kJoinGap = sizeof(Run);
    DatabaseDelta delta;
    const auto from = AreasOf(other);
    const auto to = AreasOf(live);
    std::size_t held = 0;
    for (std::size_t area = 0; area < kAreaCount; ++area) {
        const std::uint8_t* a = from[area].data();
        const std::uint8_t* b = to[area].data();
        const std::size_t n = from[area].size();
        std::size_t pos = FirstDifference(a, b, 0, n);
        while (pos < n) {
            const std::size_t start = pos;
            std::size_t end = pos + 1; // one past the last differing byte of the run
            for (;;) {
                const std::size_t next = FirstDifference(a, b, end, n);
                if (next >= n || next - end > kJoinGap) {
                    pos = next;
                    break;
                }
                end = next + 1;
            }
            delta.m_runs.push_back({static_cast<std::uint32_t>(start),
                                    static_cast<std::uint32_t>(end - start),
                                    static_cast<std::uint8_t>(area)});
            held += end - start;
        }
    }
    delta.m_runs.shrink_to_fit();
    delta.m_bytes.reserve(held);
    for (const Run& run : delta.m_runs) {
        const std::uint8_t* source = from[run.area].data() + run.offset;
        delta.m_bytes.insert(delta.m_bytes.end(), source, source + run.length);
    }
    return delta;
}

void DatabaseDelta::Swap(ChannelDatabase& db) {
    const auto areas = AreasOf(db);
    std::uint8_t* held = m_bytes.data();
    for (const Run& run : m_runs) {
        std::swap_ranges(held, held + run.length, areas[run.area].data() + run.offset);
        held += run.length;
    }
}

} // namespace tcn
