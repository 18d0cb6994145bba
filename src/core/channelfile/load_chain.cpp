#include "channelfile/load_chain.h"

#include "channelfile/file_format.h"
#include "tables/service_table.h"
#include "zstream/tzlib.h"

#include <algorithm>
#include <cstring>
#include <memory>
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
// before its announced length (it changed under us) or the CRC differs.
bool FileCrcMatches(Stream& file, std::uint32_t stored) {
    const std::int64_t length = file.Size();
    if (length < static_cast<std::int64_t>(kHeaderSize)) return false;
    file.Seek(kHeaderSize, SeekOrigin::Begin);
    std::uint64_t remaining = static_cast<std::uint64_t>(length) - kHeaderSize;
    std::vector<std::uint8_t> chunk(static_cast<std::size_t>(std::min<std::uint64_t>(remaining, kCrcChunk)));
    std::uint32_t crc = 0;
    while (remaining > 0) {
        const std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(remaining, chunk.size()));
        const std::size_t got = file.ReadFully(chunk.data(), want);
        crc = Crc32(chunk.data(), got, crc);
        if (got < want) return false;
        remaining -= got;
    }
    return crc == stored;
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
    std::vector<std::uint8_t> records(12 * std::size_t{n});
    const bool complete = file.ReadFully(records.data(), records.size()) == records.size();
    const bool crcOk = complete && Crc32(records, Crc32(head + 8, 4)) == GetLe32(head + 4);
    if (!crcOk) {
        reporter.ShowStatus("Wrong TP DataBase CRC");
        return false;
    }
    for (std::size_t i = 0; i < n; ++i) std::memcpy(db.transponders[i].bytes.data(), records.data() + 12 * i, 12);
    db.transponderCount = n;
    reporter.ShowStatus("TP DataBase CRC : OK");
    return true;
}

bool ReadServiceBlock(Stream& file, FileSystem& files, Reporter& reporter, const std::function<void()>& drain,
                      ChannelDatabase& db) {
    ClearServiceTable(db);
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
    std::vector<std::uint8_t> compressed(c);
    const bool complete = file.ReadFully(compressed.data(), c) == c;
    const bool crcOk = complete && Crc32(compressed, Crc32(head + 8, 8)) == GetLe32(head + 4);
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
    std::size_t inflatedSize = 0;
    {
        TempFiles temps(files);
        File& source = temps.Create(temps.m_compressed, kTempCompressed);
        source.Write(compressed.data(), compressed.size());
        source.Seek(0, SeekOrigin::Begin);
        File& target = temps.Create(temps.m_inflated, kTempInflated);
        CappedStream capped(target, wanted);

        auto zlib = std::make_unique<TZlib>();
        zlib->DrainMessages = drain;
        if (zlib->Decompress(source, capped) != 0) {
            reporter.ShowMessageBox("Error[8] : Couldn't decompress the dat file!", "Decompression Error");
            return false;
        }
        target.Seek(0, SeekOrigin::Begin);
        inflatedSize = target.ReadFully(table, wanted);
    }
    // A payload shorter than its count says is damage, not fewer services.
    if (inflatedSize < wanted) return false;
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
    if (!FileCrcMatches(file, GetBe32(header + 60))) return fail(kWrongFileCrc);
    if (!ReadConfigBlock(file, reporter, db)) return fail(kBadConfig);
    if (!ReadTransponderBlock(file, reporter, db)) return fail(kBadTransponders);
    if (!ReadServiceBlock(file, files, reporter, drain, db)) return fail(kBadServices);
    return kLoadedOk;
}

} // namespace tcn
