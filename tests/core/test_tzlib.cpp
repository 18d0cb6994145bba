#include "platform/stream.h"
#include "zstream/tzlib.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <random>
#include <string>
#include <utility>
#include <vector>

namespace tcn {
namespace {

using Bytes = std::vector<std::uint8_t>;
constexpr std::size_t kChunk = TZlib::kBufferSize;

Bytes RandomBytes(std::size_t n, unsigned seed) {
    std::mt19937 rng(seed);
    Bytes out(n);
    for (auto& b : out)
        b = static_cast<std::uint8_t>(rng());
    return out;
}

// Bytes that compress to almost nothing.
Bytes PatternBytes(std::size_t n) {
    Bytes out(n);
    for (std::size_t i = 0; i < n; ++i)
        out[i] = static_cast<std::uint8_t>(i % 251);
    return out;
}

// zlib's own one-shot calls, as an independent check of what TZlib produces and accepts.
Bytes ZlibCompress(const Bytes& in, int level) {
    uLongf size = compressBound(in.size());
    Bytes out(size);
    EXPECT_EQ(compress2(out.data(), &size, in.data(), in.size(), level), Z_OK);
    out.resize(size);
    return out;
}

int ZlibUncompress(const Bytes& in, std::size_t expectedSize, Bytes& out) {
    out.assign(expectedSize + 1, 0); // one spare byte, so that too much output shows
    uLongf size = out.size();
    const int rc = uncompress(out.data(), &size, in.data(), in.size());
    out.resize(size);
    return rc;
}

// Collects what a run reports through its handlers.
struct Recorder {
    std::vector<std::int32_t> progress;
    std::vector<std::pair<std::string, std::int32_t>> messages;
    bool foreignSender = false;

    void Attach(TZlib& z) {
        z.OnProgress = [this, &z](TZlib& sender, std::int32_t percent) {
            foreignSender |= &sender != &z;
            progress.push_back(percent);
        };
        z.OnMessage = [this, &z](TZlib& sender, std::string_view text, std::int32_t code) {
            foreignSender |= &sender != &z;
            messages.emplace_back(std::string(text), code);
        };
    }
};

using Messages = std::vector<std::pair<std::string, std::int32_t>>;

// A memory stream that writes "read"/"write" into a shared event log.
class LoggingStream : public MemoryStream {
  public:
    LoggingStream(std::vector<std::string>& log, std::vector<std::uint8_t> bytes = {})
        : MemoryStream(std::move(bytes)), m_log(log) {}
    std::size_t Read(void* buffer, std::size_t n) override {
        m_log.push_back("read");
        return MemoryStream::Read(buffer, n);
    }
    void Write(const void* buffer, std::size_t n) override {
        m_log.push_back("write");
        MemoryStream::Write(buffer, n);
    }

  private:
    std::vector<std::string>& m_log;
};

// A destination whose writes fail, as a full disk would.
class FailingStream : public MemoryStream {
  public:
    void Write(const void*, std::size_t) override { throw IoError("disk full"); }
};

TEST(TZlib, RoundTripsDataOfManySizes) {
    // Random data of one chunk and of several; a pattern whose small compressed form inflates to
    // several output chunks.
    const std::vector<Bytes> inputs{RandomBytes(1, 1), RandomBytes(4321, 2), RandomBytes(690000, 3),
                                    RandomBytes(2 * kChunk + 4567, 4), PatternBytes(5 * kChunk + 7)};
    auto z = std::make_unique<TZlib>();
    for (const Bytes& original : inputs) {
        SCOPED_TRACE(original.size());
        // The program compresses at 9; the chunking is the same at any level, and 1 keeps large cases quick.
        const int level = original.size() > 1000000 ? 1 : 9;
        MemoryStream source(original), compressed;
        ASSERT_EQ(z->Compress(source, compressed, level), 0);
        Bytes check;
        ASSERT_EQ(ZlibUncompress(compressed.Bytes(), original.size(), check), Z_OK);
        EXPECT_EQ(check, original);

        compressed.Seek(0, SeekOrigin::Begin);
        MemoryStream inflated;
        ASSERT_EQ(z->Decompress(compressed, inflated), 0);
        EXPECT_EQ(inflated.Bytes(), original);

        // A stream made by zlib itself, at another level, inflates the same.
        MemoryStream foreign(ZlibCompress(original, 1)), inflated2;
        ASSERT_EQ(z->Decompress(foreign, inflated2), 0);
        EXPECT_EQ(inflated2.Bytes(), original);
    }
}

TEST(TZlib, EmptySourceGivesTheStreamOfNoInputAtFullProgress) {
    TZlib z;
    Recorder rec;
    rec.Attach(z);
    MemoryStream source, destination;
    EXPECT_EQ(z.Compress(source, destination, 9), 0);
    EXPECT_EQ(destination.Bytes(), (Bytes{0x78, 0xDA, 0x03, 0x00, 0x00, 0x00, 0x00, 0x01}));
    ASSERT_FALSE(rec.progress.empty());
    for (auto p : rec.progress)
        EXPECT_EQ(p, 100);
    EXPECT_EQ(rec.messages, (Messages{{"Success", 0}}));
    EXPECT_FALSE(rec.foreignSender);

    destination.Seek(0, SeekOrigin::Begin);
    MemoryStream inflated;
    EXPECT_EQ(z.Decompress(destination, inflated), 0);
    EXPECT_EQ(inflated.Size(), 0);
}

TEST(TZlib, BadInputReportsTheZlibCode) {
    const Bytes original = RandomBytes(100000, 5);
    const Bytes good = ZlibCompress(original, 9);
    struct Case {
        const char* name;
        Bytes input;
        std::int32_t code;
    };
    Bytes needsDictionary;
    {
        // A stream made with a preset dictionary cannot be inflated without it.
        z_stream zs{};
        ASSERT_EQ(deflateInit(&zs, 9), Z_OK);
        const Bytes dict{'a', 'b', 'c'};
        ASSERT_EQ(deflateSetDictionary(&zs, dict.data(), static_cast<uInt>(dict.size())), Z_OK);
        needsDictionary.resize(64);
        Bytes in{'a', 'b', 'c', 'a', 'b', 'c'};
        zs.next_in = in.data();
        zs.avail_in = static_cast<uInt>(in.size());
        zs.next_out = needsDictionary.data();
        zs.avail_out = static_cast<uInt>(needsDictionary.size());
        ASSERT_EQ(deflate(&zs, Z_FINISH), Z_STREAM_END);
        needsDictionary.resize(zs.total_out);
        deflateEnd(&zs);
    }
    const std::vector<Case> cases{
        {"not a zlib stream", Bytes{'h', 'e', 'l', 'l', 'o', ' ', 'w', 'o', 'r', 'l', 'd'}, Z_DATA_ERROR},
        {"cut in half", Bytes(good.begin(), good.begin() + static_cast<long>(good.size() / 2)), Z_BUF_ERROR},
        {"checksum missing", Bytes(good.begin(), good.end() - 2), Z_BUF_ERROR},
        {"empty", Bytes{}, Z_BUF_ERROR},
        {"needs a dictionary", needsDictionary, Z_NEED_DICT},
    };
    TZlib z;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Recorder rec;
        rec.Attach(z);
        MemoryStream source(c.input), destination;
        EXPECT_EQ(z.Decompress(source, destination), c.code);
        EXPECT_EQ(rec.messages, (Messages{{"Zlib Error", c.code}}));
    }
}

TEST(TZlib, AbortFromAProgressHandlerStopsAfterTheFirstChunk) {
    std::vector<std::string> log;
    TZlib z;
    Recorder rec;
    rec.Attach(z);
    z.OnProgress = [&](TZlib& sender, std::int32_t percent) {
        rec.progress.push_back(percent);
        sender.SetAbort(true);
    };
    LoggingStream source(log, RandomBytes(5000, 6)), destination(log);
    EXPECT_EQ(z.Compress(source, destination, 9), TZlib::kAborted);
    EXPECT_EQ(rec.messages, (Messages{{"User Abort", TZlib::kAborted}}));
    // One refill, one flush of phase 1 and the final progress report; the stream was never finished.
    EXPECT_EQ(std::count(log.begin(), log.end(), "write"), 1);
    EXPECT_EQ(rec.progress.size(), 2u);
    Bytes check;
    EXPECT_NE(ZlibUncompress(destination.Bytes(), 5000, check), Z_OK);

    // The request does not carry into the next run.
    z.OnProgress = nullptr;
    rec.messages.clear();
    source.Seek(0, SeekOrigin::Begin);
    MemoryStream complete;
    EXPECT_EQ(z.Compress(source, complete, 9), 0);
    EXPECT_EQ(rec.messages, (Messages{{"Success", 0}}));
}

TEST(TZlib, AbortRequestedWhileDrainingEndsTheRun) {
    const Bytes original = RandomBytes(2 * kChunk + 1000, 7);
    TZlib z;
    Recorder rec;
    rec.Attach(z);
    int drains = 0;
    z.DrainMessages = [&] {
        if (++drains == 3) z.SetAbort(true); // during the second refill
    };
    MemoryStream source(original), destination;
    EXPECT_EQ(z.Compress(source, destination, 1), TZlib::kAborted);
    EXPECT_EQ(rec.messages, (Messages{{"User Abort", TZlib::kAborted}}));
    EXPECT_LT(source.Seek(0, SeekOrigin::Current), static_cast<std::int64_t>(original.size()));

    // A request made before a run is withdrawn when the run starts.
    z.DrainMessages = nullptr;
    z.SetAbort(true);
    source.Seek(0, SeekOrigin::Begin);
    MemoryStream complete;
    EXPECT_EQ(z.Compress(source, complete, 1), 0);
    Bytes check;
    ASSERT_EQ(ZlibUncompress(complete.Bytes(), original.size(), check), Z_OK);
    EXPECT_EQ(check, original);
}

TEST(TZlib, LargeSourceProgressDividesTheSizeFirstAndEndsAtHundred) {
    // 10,485,799 bytes: five full chunks and 39 bytes. Dividing the size first gives 20, 40, 60, 80, 100
    // after the full chunks, where multiplying the count first would give 19, 39, 59, 79, 99.
    const Bytes original = PatternBytes(5 * kChunk + 39);
    TZlib z;
    Recorder rec;
    rec.Attach(z);
    MemoryStream source(original), destination;
    EXPECT_EQ(z.Compress(source, destination, 1), 0);
    EXPECT_EQ(rec.progress, (std::vector<std::int32_t>{20, 40, 60, 80, 100, 100, 100}));
}

TEST(TZlib, ProgressCountsFromTheSourcePosition) {
    Bytes original = RandomBytes(1000, 8);
    TZlib z;
    Recorder rec;
    rec.Attach(z);
    MemoryStream source(original), destination;
    source.Seek(600, SeekOrigin::Begin);
    EXPECT_EQ(z.Compress(source, destination, 9), 0);
    EXPECT_EQ(rec.progress.back(), 100);
    Bytes check;
    ASSERT_EQ(ZlibUncompress(destination.Bytes(), 400, check), Z_OK);
    EXPECT_EQ(check, Bytes(original.begin() + 600, original.end()));
}

TEST(TZlib, DecompressTwiceWithTheSourceRewoundGivesTheSameOutput) {
    const Bytes original = RandomBytes(2 * kChunk + 11, 9);
    MemoryStream source(ZlibCompress(original, 1));
    TZlib z;
    MemoryStream first, second;
    EXPECT_EQ(z.Decompress(source, first), 0);
    source.Seek(0, SeekOrigin::Begin);
    EXPECT_EQ(z.Decompress(source, second), 0);
    EXPECT_EQ(first.Bytes(), original);
    EXPECT_EQ(second.Bytes(), original);
}

TEST(TZlib, DrainsMessagesBeforeEveryRefillAndEveryFlush) {
    std::vector<std::string> log;
    TZlib z;
    z.DrainMessages = [&] { log.push_back("drain"); };
    LoggingStream source(log, RandomBytes(2 * kChunk + 100, 10)), destination(log);
    ASSERT_EQ(z.Compress(source, destination, 1), 0);

    ASSERT_FALSE(log.empty());
    EXPECT_EQ(log.front(), "drain");
    int refills = 0;
    for (std::size_t i = 1; i < log.size(); ++i) {
        if (log[i] == "drain") continue;
        // A refill may take several reads (the last one finding the end); each refill and each flush
        // comes straight after a drain.
        const bool continuedRead = log[i] == "read" && log[i - 1] == "read";
        EXPECT_TRUE(log[i - 1] == "drain" || continuedRead) << "event " << i << ": " << log[i];
        refills += log[i] == "read" && log[i - 1] == "drain";
    }
    EXPECT_GE(refills, 4); // three chunks and the refill that finds the end
    EXPECT_GE(std::count(log.begin(), log.end(), "write"), 3);
}

// A destination that keeps the size of every write.
class WriteSizes : public MemoryStream {
  public:
    void Write(const void* buffer, std::size_t n) override {
        sizes.push_back(n);
        MemoryStream::Write(buffer, n);
    }
    std::vector<std::size_t> sizes;
};

TEST(TZlib, ALentOutputBufferTakesTheChunksPlaceAndCanBeReturned) {
    const Bytes original = PatternBytes(250000);
    const Bytes packed = ZlibCompress(original, 9);
    TZlib z;
    Bytes lent(100000, 0);
    z.LendOutputBuffer(lent);
    MemoryStream source(packed);
    WriteSizes inflated;
    ASSERT_EQ(z.Decompress(source, inflated), 0);
    EXPECT_EQ(inflated.Bytes(), original);
    EXPECT_EQ(inflated.sizes, (std::vector<std::size_t>{100000, 100000, 50000}));
    EXPECT_TRUE(std::equal(lent.begin(), lent.begin() + 50000, original.begin() + 200000));

    // Compressing through a lent buffer gives zlib's stream too; back on its own buffer, one chunk.
    MemoryStream plain(original), deflated;
    ASSERT_EQ(z.Compress(plain, deflated, 9), 0);
    EXPECT_EQ(deflated.Bytes(), packed);
    z.LendOutputBuffer({});
    source.Seek(0, SeekOrigin::Begin);
    WriteSizes whole;
    ASSERT_EQ(z.Decompress(source, whole), 0);
    EXPECT_EQ(whole.sizes, (std::vector<std::size_t>{250000}));
}

TEST(TZlib, StreamErrorPropagatesAndTheObjectRunsAgain) {
    const Bytes original = RandomBytes(2 * kChunk + 5, 11);
    TZlib z;
    Recorder rec;
    rec.Attach(z);
    MemoryStream source(original);
    FailingStream bad;
    EXPECT_THROW(z.Compress(source, bad, 1), IoError);
    EXPECT_TRUE(rec.messages.empty());

    MemoryStream compressed(ZlibCompress(original, 6));
    EXPECT_THROW(z.Decompress(compressed, bad), IoError);

    source.Seek(0, SeekOrigin::Begin);
    MemoryStream good;
    ASSERT_EQ(z.Compress(source, good, 1), 0);
    good.Seek(0, SeekOrigin::Begin);
    MemoryStream inflated;
    ASSERT_EQ(z.Decompress(good, inflated), 0);
    EXPECT_EQ(inflated.Bytes(), original);
}

TEST(TZlib, InvalidLevelReportsTheInitialisationError) {
    TZlib z;
    Recorder rec;
    rec.Attach(z);
    MemoryStream source(RandomBytes(100, 12)), destination;
    EXPECT_EQ(z.Compress(source, destination, 42), Z_STREAM_ERROR);
    EXPECT_EQ(rec.messages, (Messages{{"Zlib Error", Z_STREAM_ERROR}}));
    EXPECT_EQ(destination.Size(), 0);

    EXPECT_EQ(z.Compress(source, destination, 9), 0);
}

TEST(TZlib, StartingARunFromInsideARunIsRefused) {
    TZlib z;
    MemoryStream source(RandomBytes(100, 13)), destination;
    bool refused = false;
    z.DrainMessages = [&] {
        MemoryStream s2, d2;
        try {
            z.Compress(s2, d2, 9);
        } catch (const std::logic_error&) {
            refused = true;
        }
    };
    EXPECT_EQ(z.Compress(source, destination, 9), 0);
    EXPECT_TRUE(refused);
}

} // namespace
} // namespace tcn
