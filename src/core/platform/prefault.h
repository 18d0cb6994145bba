#pragma once
// Backing memory with pages before it is written. A block that is about to be written whole (a database
// being loaded, a file being read into memory) otherwise takes one page fault per page as it is filled;
// asking the system for all of its pages in one call is markedly cheaper. Only a hint: where the system
// does not offer it, nothing happens and the pages come one by one as before.

#include <cstddef>

namespace tcn {

// Backs the whole pages inside [block, block + size) with writable memory now.
void PrefaultForWriting(void* block, std::size_t size);

} // namespace tcn
