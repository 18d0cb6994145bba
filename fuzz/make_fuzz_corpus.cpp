// Writes the seed corpora of the fuzz targets, all made here from the program's own code: channel files of
// generated and demo databases with damaged variants of every kind the load chain checks for, zlib
// streams whole and damaged, edit sequences over the starting files, and transponder lists.
//
//   tcn_fuzz_corpus OUT    writes OUT/corpus-open, OUT/corpus-tzlib, OUT/corpus-edit and OUT/corpus-xml

#include "fuzz_support.h"

#include "demo_database.h"

#include "channelfile/file_format.h"
#include "exchange/satellites_xml.h"
#include "tables/bytes.h"

#include <zlib.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

namespace {

using namespace tcn;
using namespace tcn::fuzz;
namespace fs = std::filesystem;

constexpr std::size_t kTsl = kConfigOffset + kConfigBlockSize + kHeaderSize; // 8084

void Write(const fs::path& folder, const std::string& name, const Bytes& bytes) {
    std::ofstream out(folder / name, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + (folder / name).string());
}

Bytes Zlib(const Bytes& bytes, int level) {
    uLongf size = compressBound(static_cast<uLong>(bytes.size()));
    Bytes out(size);
    if (compress2(out.data(), &size, bytes.data(), static_cast<uLong>(bytes.size()), level) != Z_OK)
        throw std::runtime_error("compress2 failed");
    out.resize(size);
    return out;
}

Bytes Random(std::mt19937& rng, std::size_t n) {
    Bytes out(n);
    for (auto& b : out)
        b = static_cast<std::uint8_t>(rng());
    return out;
}

std::size_t ServiceBlockAt(const Bytes& file) {
    return kTsl + kTransponderBlockHead + 12 * std::size_t{GetLe16(file.data() + kTsl + 10)} + kHeaderSize;
}

// The file with its service block replaced by one around `payload` holding `count` records.
Bytes WithServicePayload(const Bytes& file, std::uint16_t count, const Bytes& payload) {
    Bytes out(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(ServiceBlockAt(file)));
    const Bytes block = EncodeServiceBlock(count, payload);
    out.insert(out.end(), block.begin(), block.end());
    FixUpChecksums(out);
    return out;
}

void OpenSeeds(const fs::path& folder) {
    std::mt19937 rng(7);
    const Bytes demo = BuildChannelFileImage(*std::make_unique<ChannelDatabase>(BuildDemoDatabase(false)));
    const Bytes sample = BuildChannelFileImage(*GeneratedDatabase(3, 20, 60));
    Write(folder, "demo.TCN", demo);
    Write(folder, "demo-full.TCN",
          BuildChannelFileImage(*std::make_unique<ChannelDatabase>(BuildDemoDatabase(true))));
    Write(folder, "empty.TCN", BuildChannelFileImage(ChannelDatabase()));
    Write(folder, "one.TCN", BuildChannelFileImage(*GeneratedDatabase(2, 1, 1)));
    Write(folder, "sample.TCN", sample);
    Write(folder, "larger.TCN", BuildChannelFileImage(*GeneratedDatabase(4, 200, 500)));

    for (const auto& seed : {std::pair{"demo", demo}, std::pair{"sample", sample}}) {
        const std::string s = seed.first;
        const Bytes& file = seed.second;
        const std::size_t ser = ServiceBlockAt(file);
        const auto variant = [&](const std::string& name, auto change, bool fix) {
            Bytes copy = file;
            change(copy);
            if (fix) FixUpChecksums(copy);
            Write(folder, s + "-" + name + ".TCN", copy);
        };
        // The file header.
        variant(
            "not-tarv", [](Bytes& f) { f[3] = 'X'; }, true);
        variant(
            "fifth-byte", [](Bytes& f) { f[4] = 'X'; }, true);
        variant(
            "kind-tsl", [](Bytes& f) { std::memcpy(f.data() + 32, "TSL", 3); }, true);
        variant(
            "kind-unterminated", [](Bytes& f) { f[35] = 'X'; }, true);
        // Single bytes changed behind the header, checksums left as they were.
        for (std::size_t at : {std::size_t{64}, std::size_t{5000}, kTsl + 20, ser + 20, file.size() - 1})
            variant(
                "flip-" + std::to_string(at), [at](Bytes& f) { f[at] ^= 0x5A; }, false);
        variant(
            "appended", [](Bytes& f) { f.push_back(0); }, false);
        variant(
            "appended-fixed", [](Bytes& f) { f.push_back(0); }, true);
        // Signatures, versions and counts, with consistent checksums.
        variant(
            "config-signature", [](Bytes& f) { f[64 + 3] = 'X'; }, true);
        variant(
            "tsl-signature", [](Bytes& f) { f[kTsl + 3] = 'X'; }, true);
        variant(
            "tsl-version", [](Bytes& f) { PutLe16(f.data() + kTsl + 8, 0x0201); }, true);
        variant(
            "tsl-count-high", [](Bytes& f) { PutLe16(f.data() + kTsl + 10, 3501); }, true);
        variant(
            "ser-signature", [ser](Bytes& f) { f[ser + 3] = 'X'; }, true);
        variant(
            "ser-version", [ser](Bytes& f) { PutLe16(f.data() + ser + 12, 0x0301); }, true);
        variant(
            "ser-count-plus",
            [ser](Bytes& f) { PutLe16(f.data() + ser + 14, GetLe16(f.data() + ser + 14) + 1); }, true);
        variant(
            "ser-count-minus",
            [ser](Bytes& f) { PutLe16(f.data() + ser + 14, GetLe16(f.data() + ser + 14) - 1); }, true);
        variant(
            "ser-count-high", [ser](Bytes& f) { PutLe16(f.data() + ser + 14, 5001); }, true);
        variant(
            "ser-size-high", [ser](Bytes& f) { PutLe32(f.data() + ser + 8, 690001); }, false);
        // Cut short, with and without a consistent whole-file checksum.
        for (std::size_t at : {std::size_t{10}, std::size_t{63}, std::size_t{64}, std::size_t{3000}, kTsl + 6,
                               ser + 10, file.size() - 1}) {
            variant(
                "cut-" + std::to_string(at), [at](Bytes& f) { f.resize(at); }, false);
            variant(
                "cut-fixed-" + std::to_string(at), [at](Bytes& f) { f.resize(at); }, true);
        }
        // Service payloads that are not what they claim.
        const std::uint16_t m = GetLe16(file.data() + ser + 14);
        const Bytes compressed(file.begin() + static_cast<std::ptrdiff_t>(ser + kServiceBlockHead),
                               file.end());
        Write(folder, s + "-payload-not-zlib.TCN", WithServicePayload(file, m, Random(rng, 64)));
        Write(folder, s + "-payload-truncated.TCN",
              WithServicePayload(file, m,
                                 Bytes(compressed.begin(), compressed.begin() + compressed.size() / 2)));
        Write(folder, s + "-payload-level1.TCN",
              WithServicePayload(file, m, Zlib(Bytes(m * std::size_t{138}, 0x11), 1)));
        Write(folder, s + "-payload-dictionary.TCN",
              WithServicePayload(file, m, Bytes{0x78, 0xBB, 0, 0, 0, 1, 0x03}));
        Write(folder, s + "-payload-empty.TCN", WithServicePayload(file, m, {}));
    }
}

void TzlibSeeds(const fs::path& folder) {
    std::mt19937 rng(11);
    const Bytes services = ServicePayload(*GeneratedDatabase(5, 10, 40));
    const Bytes text(reinterpret_cast<const std::uint8_t*>("TARVA_V_TR_ALL channel list"),
                     reinterpret_cast<const std::uint8_t*>("TARVA_V_TR_ALL channel list") + 27);
    const Bytes zeros(20000, 0);
    const Bytes noise = Random(rng, 3000);
    int n = 0;
    for (const Bytes* plain : {&services, &text, &zeros, &noise}) {
        for (int level : {0, 1, 6, 9}) {
            const Bytes stream = Zlib(*plain, level);
            Write(folder, "stream-" + std::to_string(n) + "-" + std::to_string(level), stream);
            Write(folder, "cut-" + std::to_string(n) + "-" + std::to_string(level),
                  Bytes(stream.begin(), stream.begin() + static_cast<std::ptrdiff_t>(stream.size() / 2)));
        }
        Write(folder, "plain-" + std::to_string(n), *plain);
        ++n;
    }
    Write(folder, "empty-stream", Zlib({}, 9));
    Write(folder, "nothing", {});
    Write(folder, "dictionary", {0x78, 0xBB, 0x00, 0x00, 0x00, 0x01, 0x03, 0x00});
    Write(folder, "gzip-header", {0x1F, 0x8B, 0x08, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x03});
    Bytes damaged = Zlib(services, 9);
    damaged[damaged.size() / 2] ^= 0xFF;
    Write(folder, "damaged", damaged);
    Bytes badCheck = Zlib(text, 9);
    badCheck.back() ^= 1; // the Adler-32 at the end
    Write(folder, "bad-adler", badCheck);
}

// An edit input that carries `file` as its starting file (see StartingFile in fuzz_edit_sequence.cpp: the
// length and the choice are read from the end of the input, the file from its start).
Bytes Carrying(const Bytes& file, const Bytes& operations) {
    Bytes out = file;
    out.insert(out.end(), operations.begin(), operations.end());
    const std::size_t length = file.size();
    out.push_back(static_cast<std::uint8_t>(length));
    out.push_back(static_cast<std::uint8_t>(length >> 8));
    out.push_back(static_cast<std::uint8_t>(length >> 16));
    out.push_back(3);
    return out;
}

void XmlSeeds(const fs::path& folder) {
    const std::string list = WriteSatellitesXml(BuildDemoDatabase(false));
    const auto write = [&folder](const std::string& name, const std::string& text) {
        Write(folder, name, Bytes(text.begin(), text.end()));
    };
    write("demo.xml", list);
    write("cut.xml", list.substr(0, list.size() / 3));
    write("entities.xml", "<?xml version=\"1.0\"?>\n<!DOCTYPE satellites [<!ENTITY a \"192\">]>\n"
                          "<satellites><sat name=\"&a;\" position=\"&a;\"/></satellites>\n");
    write("kinds.xml", "<satellites>\n <sat name=\"x\" flags=\"1\" position=\"52\">\n"
                       "  <transponder frequency=\"11000000\" symbol_rate=\"27500000\" polarization=\"2\" "
                       "fec_inner=\"9\" system=\"1\"/>\n"
                       "  <transponder frequency=\"11001000\" symbol_rate=\"65535500\" polarization=\"3\" "
                       "fec_inner=\"15\"/>\n </sat>\n</satellites>\n");
}

void EditSeeds(const fs::path& folder) {
    std::mt19937 rng(13);
    for (int pick = 0; pick < 8; ++pick) {
        for (int i = 0; i < 4; ++i) {
            Bytes input = Random(rng, 64 + 64 * static_cast<std::size_t>(i));
            input.push_back(static_cast<std::uint8_t>(pick));
            Write(folder, "edit-" + std::to_string(pick) + "-" + std::to_string(i), input);
        }
    }
    const Bytes small = BuildChannelFileImage(*GeneratedDatabase(6, 8, 25));
    for (int i = 0; i < 4; ++i)
        Write(folder, "carried-" + std::to_string(i), Carrying(small, Random(rng, 200)));
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUT\n", argv[0]);
        return 1;
    }
    try {
        const fs::path out = argv[1];
        for (const char* name : {"corpus-open", "corpus-tzlib", "corpus-edit", "corpus-xml"})
            fs::create_directories(out / name);
        OpenSeeds(out / "corpus-open");
        TzlibSeeds(out / "corpus-tzlib");
        EditSeeds(out / "corpus-edit");
        XmlSeeds(out / "corpus-xml");
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}
