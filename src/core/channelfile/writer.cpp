#include "channelfile/writer.h"

#include "channelfile/file_format.h"
#include "zstream/tzlib.h"

#include <exception>
#include <optional>
#include <vector>

namespace tcn {
namespace {

constexpr const char* kTempServices = "ser.tmp";
constexpr const char* kTempCompressed = "comp_ser.tmp";

std::string FileNameOf(const std::string& path) {
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

void WriteAll(Stream& out, const auto& bytes) {
    out.Write(bytes.data(), bytes.size());
}

// Compresses the service payload through the two temporary files. Returns the zlib stream, or an empty
// optional when compression failed or gave more than the service block can hold.
std::optional<std::vector<std::uint8_t>> CompressServices(const ChannelDatabase& db, FileSystem& files,
                                                          const std::function<void()>& drain) {
    std::vector<std::uint8_t> compressed;
    bool ok = false;
    {
        std::unique_ptr<File> plain = files.Create(kTempServices);
        if (!plain) throw IoError("cannot create ser.tmp");
        WriteAll(*plain, ServicePayload(db));
        plain->Seek(0, SeekOrigin::Begin);
        std::unique_ptr<File> packed = files.Create(kTempCompressed);
        if (!packed) throw IoError("cannot create comp_ser.tmp");
        packed->Seek(0, SeekOrigin::Begin);

        auto zlib = std::make_unique<TZlib>();
        zlib->DrainMessages = drain;
        ok = zlib->Compress(*plain, *packed, kCompressionLevel) == 0;
        zlib.reset();
        plain.reset();
        files.Remove(kTempServices);
        if (ok) {
            const std::int64_t size = packed->Size();
            ok = size >= 0 && static_cast<std::uint64_t>(size) <= kMaxCompressedSize;
            if (ok) {
                compressed.resize(static_cast<std::size_t>(size));
                packed->Seek(0, SeekOrigin::Begin);
                if (!packed->ReadExact(compressed.data(), compressed.size()))
                    throw IoError("comp_ser.tmp ended early");
            }
        }
    }
    files.Remove(kTempCompressed);
    if (!ok) return std::nullopt;
    return compressed;
}

} // namespace

bool WriteNewChannelFile(const std::string& newFilePath, const ChannelDatabase& db, std::unique_ptr<File>& sourceHandle,
                         FileSystem& files, Reporter& reporter, const std::function<void()>& drain) {
    reporter.ShowStatus("Saving....");

    if (!newFilePath.empty() && files.Exists(newFilePath) && !files.Remove(newFilePath)) {
        reporter.ShowStatus("Error creating new file.");
        reporter.ShowMessageBox("Level[8] : Couldn't create New TCN File.", "Error");
        return false;
    }
    std::unique_ptr<File> out = newFilePath.empty() ? nullptr : files.Create(newFilePath);
    if (!out) {
        reporter.ShowStatus("Error creating new file.");
        reporter.ShowMessageBox("Level[9] : Couldn't create New TCN File.", "Error");
        return false;
    }

    try {
        WriteAll(*out, MakeHeader("SER", 0));
        // The copy written carries the fresh signature and CRC; the tables being edited stay as they are.
        ConfigBuffer config = db.config;
        SealConfigBlock(config);
        WriteAll(*out, config.bytes);
        const std::vector<std::uint8_t> tsl = EncodeTransponderBlock(db);
        WriteAll(*out, MakeHeader("TSL", static_cast<std::uint32_t>(tsl.size())));
        WriteAll(*out, tsl);

        const std::optional<std::vector<std::uint8_t>> compressed = CompressServices(db, files, drain);
        if (!compressed) {
            reporter.ShowStatus("Error Compressing the DataBase!");
            reporter.ShowMessageBox("Level[10] : Error[8] : Couldn't Compress the dat file!", "Compression Error");
            // The file so far carries the placeholder header; a user could still copy it to a receiver.
            out.reset();
            sourceHandle.reset();
            files.Remove(newFilePath);
            return false;
        }
        WriteAll(*out, MakeHeader("SER", static_cast<std::uint32_t>(12 + sizeof(ServiceRecord) * db.serviceCount)));
        WriteAll(*out, EncodeServiceBlock(db.serviceCount, *compressed));

        // Second pass over the file header: the length and the CRC of everything behind it, read back
        // from the file as written.
        const std::int64_t length = out->Size();
        std::vector<std::uint8_t> body(static_cast<std::size_t>(length) - kHeaderSize);
        out->Seek(kHeaderSize, SeekOrigin::Begin);
        if (!out->ReadExact(body.data(), body.size())) throw IoError("new file ended early");
        std::array<std::uint8_t, kHeaderSize> header = MakeHeader("SER", static_cast<std::uint32_t>(body.size()));
        PutBe32(header.data() + 60, Crc32(body));
        out->Seek(0, SeekOrigin::Begin);
        WriteAll(*out, header);
        // "Success" promises a complete file on the medium, not just in the system's cache.
        out->Sync();
    } catch (const std::exception&) {
        // A failed write (a full disk, a short write) or a temporary file that cannot be made: never
        // reported as success, and no half-written file or temporary file is left behind.
        out.reset();
        sourceHandle.reset();
        // Removed without asking whether they exist: that question can fail too. Removing a missing name
        // does nothing.
        files.Remove(newFilePath);
        files.Remove(kTempServices);
        files.Remove(kTempCompressed);
        reporter.ShowMessageBox("Problem writing to file.", "File Error");
        return false;
    }

    reporter.ShowStatus("The New TARV Channel File Successfully Created.");
    reporter.ShowMessageBox(FileNameOf(newFilePath) + " Created", "Success");
    out.reset();
    sourceHandle.reset();
    return true;
}

} // namespace tcn
