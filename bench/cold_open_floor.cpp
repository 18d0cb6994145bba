// The floor of a cold open: a fresh process that does only the zlib work an open of FILE needs (read the
// whole file, take the CRC-32 of its body, inflate the service payload) and nothing else. bench_cold_open
// times it beside `tcntool check FILE`; run without arguments it only starts and exits, which gives its
// start-up time.
//
// It reads the file layout directly (transponder count, then the service block behind it) and checks
// nothing beyond what the zlib calls themselves need.

#include <zlib.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::uint32_t Le16(const unsigned char* p) {
    return static_cast<std::uint32_t>(p[0] | (p[1] << 8));
}
std::uint32_t Le32(const unsigned char* p) {
    return Le16(p) | (Le16(p + 2) << 16);
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) return 0;
    const int fd = ::open(argv[1], O_RDONLY | O_CLOEXEC);
    struct stat st {};
    if (fd < 0 || ::fstat(fd, &st) != 0) return 2;
    const auto size = static_cast<std::size_t>(st.st_size);
    auto* file = static_cast<unsigned char*>(std::malloc(size));
    std::size_t got = 0;
    while (got < size) {
        const ssize_t n = ::read(fd, file + got, size - got);
        if (n <= 0) return 2;
        got += static_cast<std::size_t>(n);
    }
    ::close(fd);
    if (size < 8096) return 2;

    const uLong crc = crc32(0, file + 64, static_cast<uInt>(size - 64));

    // Transponder count at 8094; the service block starts 64 bytes behind the transponder block.
    const std::size_t serviceBlock = 8160 + 12 * std::size_t{Le16(file + 8094)};
    if (serviceBlock + 16 > size) return 2;
    const std::size_t compressed = Le32(file + serviceBlock + 8);
    const std::size_t records = Le16(file + serviceBlock + 14);
    if (serviceBlock + 16 + compressed > size) return 2;
    uLongf inflated = static_cast<uLongf>(records * 138);
    auto* table = static_cast<unsigned char*>(std::malloc(inflated + 1));
    const int rc = uncompress(table, &inflated, file + serviceBlock + 16, static_cast<uLong>(compressed));

    std::printf("%08lx %lu\n", crc, static_cast<unsigned long>(inflated));
    std::free(table);
    std::free(file);
    return rc == Z_OK ? 0 : 2;
}
