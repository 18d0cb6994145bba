#pragma once
// DatabaseDelta: the bytes in which two states of the tables differ, as one step of the editor's undo
// history keeps them. It holds the bytes of the state that is not live; Swap exchanges them with the live
// tables, which turns the live state into the other one and leaves the delta holding the state just left.
// Undo and redo are therefore the same operation, and each step keeps its changed bytes once.

#include "tables/channel_database.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace tcn {

class DatabaseDelta {
  public:
    DatabaseDelta() = default;

    // The runs of bytes (config buffer, transponder and service tables, the three counts) in which `other`
    // differs from `live`, holding other's bytes.
    static DatabaseDelta Between(const ChannelDatabase& other, const ChannelDatabase& live);

    bool Empty() const { return m_runs.empty(); }
    // Exchanges the held bytes with the bytes of `db` at the same places. `db` must be in one of the two
    // states the delta was taken between; it is then in the other one.
    void Swap(ChannelDatabase& db);

    // The table bytes held (equal bytes between two close differences included).
    std::size_t HeldBytes() const { return m_bytes.size(); }

  private:
    // `length` bytes at `offset` of area `area` (see the areas in the .cpp).
    struct Run {
        std::uint32_t offset;
        std::uint32_t length;
        std::uint8_t area;
    };

    std::vector<Run> m_runs;
    std::vector<std::uint8_t> m_bytes; // the runs' bytes, one after another
};

} // namespace tcn
