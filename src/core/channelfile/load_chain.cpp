#include "channelfile/load_chain.h"

#include "channelfile/file_format.h"
#include "platform/prefault.h"
#include "tables/service_table.h"
#include "zstream/tzlib.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <optional>
#include <type_traits>
#include <vector>

namespace tcn {
namespace {

constexpr const char* kTempCompressed = "TdaT.tmp";
constexpr const char* kTempInflated = "TdaT2.tmp";
constexpr std::size_t kCrcChunk = 1 << 20;

// Removes the load chain's temporary files when the service block step ends, however it ends.
class TempFiles {
  public:
    explicit TempFiles(FileSystem& files) : m_files(files) {}
    ~TempFiles() {
        m_compressed.reset();
        m_inflated.reset();
        // Removed without asking first whether they exist: that question can fail too, and would then
        // leave a file behind. Removing a name that is not there does nothing.
        for (const char* name : {kTempCompressed, kTempInflated}) m_files.Remove(name);
    }
    File& Create(std::unique_ptr<File>& slot, const char* name) {
        slot = m_files.Create(name);
        if (!slot) throw IoError(std::string("cannot create ") + name);
        return *slot;
    }
    std::unique_ptr<File> m_compressed, m_inflated;

  private:
    FileSystem& m_files;
};

// A destination that passes on the first `limit` bytes and only counts the rest, so that a payload which
// inflates far beyond the table never fills the disk.
class CappedStream : public Stream {
  public:
    CappedStream(Stream& inner, std::uint64_t limit) : m_inner(inner), m_limit(limit) {}
    std::size_t Read(void*, std::size_t) override { return 0; }
    void Write(const void* buffer, std::size_t n) override {
        const std::uint64_t room = m_written < m_limit ? m_limit - m_written : 0;
        const std::size_t pass = static_cast<std::size_t>(std::min<std::uint64_t>(room, n));
        if (pass > 0) m_inner.Write(buffer, pass);
        m_written += n;
    }
    std::int64_t Seek(std::int64_t offset, SeekOrigin origin) override { return m_inner.Seek(offset, origin); }
    std::int64_t Size() override { return m_inner.Size(); }

  private:
    Stream& m_inner;
    std::uint64_t m_limit;
    std::uint64_t m_written = 0;
};

bool HeaderMatches(const std::uint8_t* header) {
    return std::memcmp(header, "TARV", 4) == 0;
}

bool KindIsService(const std::uint8_t* header) {
    return std::memcmp(header + 32, "SER", 4) == 0; // "SER" and its terminating zero
}

// CRC-32 of everything from offset 64 to the end, read in bounded pieces. False when the file ended
// before its announced length (it changed under us) or the CRC differs. Used for files too large to be
// read whole; a file of channel-file size is read whole by ReadChannelFile instead.
bool FileCrcMatches(Stream& file, std::uint32_t stored) {
    const std::int64_t length = file.Size();
    if (length < static_cast<std::int64_t>(kHeaderSize)) return false;
    file.Seek(kHeaderSize, SeekOrigin::Begin);
    std::uint64_t remaining = static_cast<std::uint64_t>(length) - kHeaderSize;
    const auto size = static_cast<std::size_t>(std::min<std::uint64_t>(remaining, kCrcChunk));
    const auto chunk = std::make_unique_for_overwrite<std::uint8_t[]>(size);
    std::uint32_t crc = 0;
    while (remaining > 0) {
        const std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(remaining, size));
        const std::size_t got = file.ReadFully(chunk.get(), want);
        crc = Crc32(chunk.get(), got, crc);
        if (got < want) return false;
        remaining -= got;
    }
    return crc == stored;
}

// A read-only stream over bytes held elsewhere: the file image the block readers work on once the whole
// file has been read and its CRC checked. Hands out pieces of the image in place (TakeInPlace), so the
// compressed service payload is never copied before it goes to its temporary file.
class ImageStream final : public Stream {
  public:
    ImageStream(const std::uint8_t* bytes, std::size_t size) : m_bytes(bytes), m_size(size) {}
    std::size_t Read(void* buffer, std::size_t n) override {
        const std::size_t count = m_pos < m_size ? std::min(n, m_size - m_pos) : 0;
        if (count > 0) std::memcpy(buffer, m_bytes + m_pos, count);
        m_pos += count;
        return count;
    }
    void Write(const void*, std::size_t) override { throw IoError("the file image is read-only"); }
    std::int64_t Seek(std::int64_t offset, SeekOrigin origin) override {
        const std::int64_t base = origin == SeekOrigin::Begin     ? 0
                                  : origin == SeekOrigin::Current ? static_cast<std::int64_t>(m_pos)
                                                                  : static_cast<std::int64_t>(m_size);
        if (offset < -base) throw IoError("seek before the start of the file image");
        m_pos = static_cast<std::size_t>(base + offset);
        return base + offset;
    }
    std::int64_t Size() override { return static_cast<std::int64_t>(m_size); }
    // The next n bytes where they lie, moving past them; nullptr (and no move) when fewer remain.
    const std::uint8_t* TakeInPlace(std::size_t n) {
        if (m_pos > m_size || m_size - m_pos < n) return nullptr;
        const std::uint8_t* at = m_bytes + m_pos;
        m_pos += n;
        return at;
    }

  private:
    const std::uint8_t* m_bytes;
    std::size_t m_size;
    std::size_t m_pos = 0;
};

// Files up to this size are read whole, once, and checked and parsed from memory; a channel file is at
// most 740176 bytes. Larger files (damaged, or with bytes appended) take the bounded, piecewise road.
constexpr std::int64_t kWholeFileLimit = 4 << 20;

// Makes every service slot from byte `from` of the table on (a whole record or the rest of one) what an
// empty slot holds there, as if the table had been cleared before those bytes were read.
void ClearServiceBytesFrom(ChannelDatabase& db, std::size_t from) {
    const std::size_t record = from / sizeof(ServiceRecord);
    if (record >= kServiceCapacity) return;
    const ServiceRecord empty = EmptyServiceSlot();
    const std::size_t within = from % sizeof(ServiceRecord);
    std::memcpy(db.services[record].bytes.data() + within, empty.bytes.data() + within,
                sizeof(ServiceRecord) - within);
    std::fill(db.services.begin() + static_cast<std::ptrdiff_t>(record + 1), db.services.end(), empty);
}

} // namespace

void ShowLoadFailure(Reporter& reporter, int failure) {
    switch (failure) {
    case kWrongExtension:
        reporter.ShowMessageBox("Error[0] : Wrong File Format.", "File Error");
        break;
    case kCannotOpen:
        reporter.ShowMessageBox("Error[1] : Couldn't open TARV channel file.\n", "File Error");
        break;
    case kNotTarvFile:
        reporter.ShowMessageBox("Error[2] : Wrong file format, Not a TARV File!", "File Error");
        break;
    case kNotChannelFile:
        reporter.ShowMessageBox("Error[3] : Wrong file format, Not a channel File!", "File Error");
        break;
    case kWrongFileCrc:
        reporter.ShowMessageBox("Error[4] : Wrong CRC, The file is corrupted!", "CRC Error");
        break;
    case kBadConfig:
        reporter.ShowMessageBox("Error[5] : Wrong Config file, The file is corrupted!", "Config Error");
        break;
    case kBadTransponders:
        reporter.ShowMessageBox("Error[6] : Wrong transponder list, The file is corrupted!", "Tp Error");
        break;
    case kBadServices:
        reporter.ShowMessageBox("Error[7] : Wrong service List, The file is corrupted!", "List Error");
        break;
    default:
        break;
    }
}

bool ReadConfigBlock(Stream& file, Reporter& reporter, ChannelDatabase& db) {
    file.Seek(kConfigOffset, SeekOrigin::Begin);
    const std::size_t got = file.ReadFully(db.config.bytes.data(), kConfigBlockSize);
    if (got < 4 || std::memcmp(db.config.bytes.data(), "-CFG", 4) != 0) {
        reporter.ShowStatus("Wrong Config Signature");
        return false;
    }
    reporter.ShowStatus("Config Signature : OK");
    // A block cut short cannot carry a valid CRC over bytes that are not there.
    const bool crcOk = got == kConfigBlockSize &&
                       Crc32(db.config.bytes.data() + kConfigPayloadOffset, kConfigPayloadSize) ==
                           GetLe32(db.config.bytes.data() + 4);
    reporter.ShowStatus(crcOk ? "Config CRC : OK" : "Wrong Config CRC");
    return crcOk;
}

bool ReadTransponderBlock(Stream& file, Reporter& reporter, ChannelDatabase& db) {
    file.Seek(kConfigOffset + kConfigBlockSize + kHeaderSize, SeekOrigin::Begin);
    std::uint8_t head[kTransponderBlockHead] = {};
    const std::size_t got = file.ReadFully(head, sizeof head);
    if (got < 4 || std::memcmp(head, "-TSL", 4) != 0) {
        reporter.ShowStatus("Wrong TP Signature");
        return false;
    }
    reporter.ShowStatus("TP Signature : OK");
    if (got < 10 || GetLe16(head + 8) != kTransponderVersion) {
        reporter.ShowStatus("Wrong TP DataBase Version");
        return false;
    }
    reporter.ShowStatus("TP DataBase : OK");
    const std::uint16_t n = got < 12 ? 0 : GetLe16(head + 10);
    // A count the table cannot hold is refused before any record is read.
    if (got < 12 || n > kTransponderCapacity) {
        reporter.ShowStatus("Wrong TP DataBase CRC");
        return false;
    }
    const std::size_t size = 12 * std::size_t{n};
    const auto records = std::make_unique_for_overwrite<std::uint8_t[]>(size);
    const bool complete = file.ReadFully(records.get(), size) == size;
    const bool crcOk = complete && Crc32(records.get(), size, Crc32(head + 8, 4)) == GetLe32(head + 4);
    if (!crcOk) {
        reporter.ShowStatus("Wrong TP DataBase CRC");
        return false;
    }
    for (std::size_t i = 0; i < n; ++i)
        std::memcpy(db.transponders[i].bytes.data(), records.get() + 12 * i, 12);
    db.transponderCount = n;
    reporter.ShowStatus("TP DataBase CRC : OK");
    return true;
}

bool ReadServiceBlock(Stream& file, FileSystem& files, Reporter& reporter, const std::function<void()>& drain,
                      ChannelDatabase& db) {
    // The table ends up as if cleared first and then filled with what was read: every slot from the end of
    // the bytes read on is an empty slot, however this step ends. Only those slots are written, so a
    // fresh table is not cleared once for nothing before the records are read over it.
    db.serviceCount = 0;
    std::size_t filled = 0;
    struct ClearRest {
        ChannelDatabase& db;
        const std::size_t& filled;
        ~ClearRest() { ClearServiceBytesFrom(db, filled); }
    } clearRest{db, filled};

    file.Seek(kConfigOffset + kConfigBlockSize + kHeaderSize + kTransponderBlockHead + 12 * db.transponderCount +
                  kHeaderSize,
              SeekOrigin::Begin);
    std::uint8_t head[kServiceBlockHead] = {};
    const std::size_t got = file.ReadFully(head, sizeof head);
    if (got < 4 || std::memcmp(head, "-SER", 4) != 0) {
        reporter.ShowStatus("Wrong Service Signature");
        return false;
    }
    reporter.ShowStatus("Service Signature : OK");
    if (got < 14 || GetLe16(head + 12) != kServiceVersion) {
        reporter.ShowStatus("Wrong Service DataBase Version");
        return false;
    }
    reporter.ShowStatus("Service DataBase : OK");
    const std::uint32_t c = GetLe32(head + 8);
    const std::uint16_t m = got < 16 ? 0 : GetLe16(head + 14);
    // Sizes the tables cannot hold are refused before anything is read.
    if (got < 16 || m > kServiceCapacity || c > kMaxCompressedSize) {
        reporter.ShowStatus("Wrong Service DataBase CRC");
        return false;
    }
    // From a file image the compressed bytes are used where they lie; from a file they are read first.
    std::unique_ptr<std::uint8_t[]> copy;
    auto* const image = dynamic_cast<ImageStream*>(&file);
    const std::uint8_t* compressed = image ? image->TakeInPlace(c) : nullptr;
    bool complete = compressed != nullptr;
    if (!compressed) {
        copy = std::make_unique_for_overwrite<std::uint8_t[]>(c);
        complete = file.ReadFully(copy.get(), c) == c;
        compressed = copy.get();
    }
    const bool crcOk = complete && Crc32(compressed, c, Crc32(head + 8, 8)) == GetLe32(head + 4);
    if (!crcOk) {
        reporter.ShowStatus("Wrong Service DataBase CRC");
        return false;
    }
    reporter.ShowStatus("Service DataBase CRC : OK");

    // The records are read back straight into the table, which holds them back to back.
    static_assert(sizeof(db.services) == kServiceCapacity * sizeof(ServiceRecord));
    static_assert(std::is_trivially_copyable_v<ServiceRecord>);
    auto* const table = reinterpret_cast<std::uint8_t*>(db.services.data());
    const std::size_t wanted = std::size_t{m} * sizeof(ServiceRecord);
    {
        TempFiles temps(files);
        File& source = temps.Create(temps.m_compressed, kTempCompressed);
        source.Write(compressed, c);
        copy.reset();
        source.Seek(0, SeekOrigin::Begin);
        File& target = temps.Create(temps.m_inflated, kTempInflated);
        CappedStream capped(target, wanted);

        auto zlib = std::make_unique<TZlib>();
        zlib->DrainMessages = drain;
        // The records end up in the table: zlib may as well write them there first. What the run leaves
        // in the table is then replaced by what is read back from the inflated file below, and every slot
        // beyond that is cleared on the way out.
        zlib->LendOutputBuffer({table, sizeof(db.services)});
        if (zlib->Decompress(source, capped) != 0) {
            reporter.ShowMessageBox("Error[8] : Couldn't decompress the dat file!", "Decompression Error");
            return false;
        }
        zlib.reset();
        target.Seek(0, SeekOrigin::Begin);
        // A read that fails halfway leaves `filled` at 0: the whole table is then cleared again.
        filled = target.ReadFully(table, wanted);
    }
    // A payload shorter than its count says is damage, not fewer services.
    if (filled < wanted) return false;
    db.serviceCount = m;
    return true;
}

int ReadChannelFile(Stream& file, FileSystem& files, Reporter& reporter, const std::function<void()>& drain,
                    ChannelDatabase& db) {
    const auto fail = [&reporter](int failure) {
        ShowLoadFailure(reporter, failure);
        return failure;
    };

    std::uint8_t header[kHeaderSize] = {};
    file.Seek(0, SeekOrigin::Begin);
    const std::size_t got = file.ReadFully(header, kHeaderSize);
    if (got < kHeaderSize || !HeaderMatches(header)) return fail(kNotTarvFile);
    if (!KindIsService(header)) return fail(kNotChannelFile);

    // A file of channel-file size is read once; the CRC check and the block readers then work on that
    // image. A larger one is checked piece by piece and its blocks are read from the file.
    const std::uint32_t storedCrc = GetBe32(header + 60);
    const std::int64_t length = file.Size();
    std::unique_ptr<std::uint8_t[]> image;
    std::optional<ImageStream> imageStream;
    if (length <= kWholeFileLimit) {
        if (length < static_cast<std::int64_t>(kHeaderSize)) return fail(kWrongFileCrc);
        const auto size = static_cast<std::size_t>(length);
        // Every byte is overwritten by the read: no need to zero-fill the buffer first, and its pages are
        // asked for in one go.
        image = std::make_unique_for_overwrite<std::uint8_t[]>(size);
        PrefaultForWriting(image.get(), size);
        std::memcpy(image.get(), header, kHeaderSize);
        file.Seek(kHeaderSize, SeekOrigin::Begin);
        // A file that ends before its announced length changed under us.
        if (file.ReadFully(image.get() + kHeaderSize, size - kHeaderSize) < size - kHeaderSize ||
            Crc32(image.get() + kHeaderSize, size - kHeaderSize) != storedCrc)
            return fail(kWrongFileCrc);
        imageStream.emplace(image.get(), size);
    } else if (!FileCrcMatches(file, storedCrc)) {
        return fail(kWrongFileCrc);
    }
    Stream& blocks = imageStream ? static_cast<Stream&>(*imageStream) : file;

    if (!ReadConfigBlock(blocks, reporter, db)) return fail(kBadConfig);
    if (!ReadTransponderBlock(blocks, reporter, db)) return fail(kBadTransponders);
    if (!ReadServiceBlock(blocks, files, reporter, drain, db)) return fail(kBadServices);
    return kLoadedOk;
}

} // namespace tcn
