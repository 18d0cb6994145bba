#include "views/channel_find.h"

#include "tables/reorder_like.h" // FoldLatin1Case
#include "views/channel_rows.h"

#include <string>

namespace tcn {

int FindInView(const ChannelDatabase& db, const ChannelView& view, int fromRow, std::string_view text) {
    const int rows = view.count;
    if (text.empty() || rows == 0) return 0;
    const std::string needle = FoldLatin1Case(text);
    const int start = fromRow >= 1 && fromRow <= rows ? fromRow : 1;
    for (int k = 0; k < rows; ++k) {
        const int row = (start - 1 + k) % rows + 1;
        const std::int64_t index = ServiceAtRow(db, view, row);
        if (index < 0) continue;
        if (FoldLatin1Case(db.services[static_cast<std::size_t>(index)].Name()).find(needle) !=
            std::string::npos)
            return row;
    }
    return 0;
}

} // namespace tcn
