#include "zstream/tzlib.h"

#include "platform/prefault.h"

#include <zlib.h>

#include <algorithm>
#include <limits>
#include <stdexcept>
#include <utility>

namespace tcn {

namespace {

// Runs a callable when the scope is left, however it is left, unless dismissed first.
template <typename F> class ScopeExit {
  public:
    explicit ScopeExit(F f) : m_f(std::move(f)) {}
    ~ScopeExit() {
        if (m_active) m_f();
    }
    ScopeExit(const ScopeExit&) = delete;
    ScopeExit& operator=(const ScopeExit&) = delete;
    // Runs the callable now (once) instead of at the end of the scope.
    void RunNow() {
        if (m_active) {
            m_active = false;
            m_f();
        }
    }

  private:
    F m_f;
    bool m_active = true;
};

// Above this many source bytes the percentage divides first, so that the intermediate product of the
// other form (T * 100) cannot leave 32 bits.
constexpr std::int32_t kProgressSplit = 10'000'000;

} // namespace

TZlib::TZlib() : m_stream(std::make_unique<z_stream>()) {
    m_stream->zalloc = Z_NULL;
    m_stream->zfree = Z_NULL;
    m_stream->opaque = Z_NULL;
}

TZlib::~TZlib() = default;

std::int32_t TZlib::Compress(Stream& source, Stream& destination, int level) {
    return Run(source, destination, true, level);
}

std::int32_t TZlib::Decompress(Stream& source, Stream& destination) {
    return Run(source, destination, false, 0);
}

void TZlib::SetAbort(bool value) {
    if (value == m_abort) return;
    m_abort = value;
    if (value) m_result = kAborted;
}

void TZlib::LendOutputBuffer(std::span<std::uint8_t> buffer) {
    // Chunks never grow beyond the object's own buffer size.
    m_lent = buffer.first(std::min(buffer.size(), kBufferSize));
}

std::span<std::uint8_t> TZlib::OutputBuffer() {
    if (!m_lent.empty()) return m_lent;
    // Not zero-filled: zlib writes every byte before it is passed on.
    if (!m_output) m_output = std::make_unique_for_overwrite<std::uint8_t[]>(kBufferSize);
    return {m_output.get(), kBufferSize};
}

void TZlib::DoProgress(std::int32_t percent) {
    if (OnProgress) OnProgress(*this, percent);
}

void TZlib::DoMessage(std::string_view text, std::int32_t code) {
    if (OnMessage) {
        const std::string copy(text); // the handler gets its own text, independent of the caller's
        OnMessage(*this, copy, code);
    }
}

std::int32_t TZlib::Percent() const {
    if (m_sourceSize <= 0) return 100;
    // zlib's count of input consumed, as the 32-bit total the percentage is defined on.
    const auto consumed = static_cast<std::uint32_t>(m_stream->total_in);
    const auto size = static_cast<std::uint64_t>(m_sourceSize);
    const std::uint64_t percent =
        m_sourceSize > kProgressSplit ? consumed / (size / 100) : consumed * 100ULL / size;
    // A source that grew during the run could push the count past its size taken at the start.
    return static_cast<std::int32_t>(std::min<std::uint64_t>(percent, 100));
}

std::size_t TZlib::FillInput() {
    if (DrainMessages) DrainMessages();
    z_stream& zs = *m_stream;
    if (zs.avail_in == 0) {
        zs.next_in = m_input.get();
        zs.avail_in = static_cast<uInt>(m_source->ReadFully(m_input.get(), kBufferSize));
    }
    return zs.avail_in;
}

std::size_t TZlib::FlushOutput() {
    if (DrainMessages) DrainMessages();
    z_stream& zs = *m_stream;
    const std::size_t n = m_out.size() - zs.avail_out;
    if (n > 0) {
        m_destination->Write(m_out.data(), n);
        zs.next_out = m_out.data();
        zs.avail_out = static_cast<uInt>(m_out.size());
    }
    return n;
}

std::int32_t TZlib::Run(Stream& source, Stream& destination, bool deflating, int level) {
    // Handlers run in the middle of a run; starting another run of the same object from one of them
    // would re-initialise the zlib stream under the active run.
    if (m_running) throw std::logic_error("TZlib: a run is already active on this object");
    m_running = true;
    // The object is idle again however the run ends, including when a stream throws.
    ScopeExit idle([this] {
        m_source = nullptr;
        m_destination = nullptr;
        m_running = false;
    });

    z_stream& zs = *m_stream;
    m_result = Z_OK;
    if (!m_input) m_input = std::make_unique_for_overwrite<std::uint8_t[]>(kBufferSize);
    m_out = OutputBuffer();
    zs.next_in = m_input.get();
    zs.avail_in = 0;
    zs.next_out = m_out.data();
    zs.avail_out = static_cast<uInt>(m_out.size());
    SetAbort(false);
    m_source = &source;
    m_destination = &destination;
    // Progress is measured against what the run will actually read: from the current position to the end.
    const std::int64_t remaining = source.Size() - source.Seek(0, SeekOrigin::Current);
    m_sourceSize = static_cast<std::int32_t>(
        std::clamp<std::int64_t>(remaining, 0, std::numeric_limits<std::int32_t>::max()));
    // The first fill of the input buffer writes this much of it: its pages are asked for in one go.
    PrefaultForWriting(m_input.get(), std::min<std::size_t>(static_cast<std::size_t>(m_sourceSize), kBufferSize));

    // zlib fills in its own allocators during initialisation; every run starts from the defaults.
    zs.zalloc = Z_NULL;
    zs.zfree = Z_NULL;
    zs.opaque = Z_NULL;
    const int init = deflating ? deflateInit(&zs, level) : inflateInit(&zs);
    if (init != Z_OK) {
        // Nothing to end and nothing to run: an invalid level, a zlib version mismatch or no memory.
        m_result = init;
        DoMessage("Zlib Error", m_result);
        return m_result;
    }
    // Ends the zlib stream exactly once: at its place in the run, or when a stream error unwinds it.
    ScopeExit ender([&zs, deflating] { deflating ? deflateEnd(&zs) : inflateEnd(&zs); });
    auto step = [&zs, deflating](int flush) { return deflating ? deflate(&zs, flush) : inflate(&zs, flush); };

    // Consume the whole source.
    while (!m_abort && FillInput() != 0) {
        m_result = step(Z_NO_FLUSH);
        FlushOutput();
        if (m_result != Z_OK) break;
        DoProgress(Percent());
    }
    // Finish the stream, flushing until zlib has nothing more to give or reports anything but "more".
    while (!m_abort) {
        m_result = step(Z_FINISH);
        const std::size_t n = FlushOutput();
        if (n == 0 || m_result != Z_OK) break;
    }
    DoProgress(Percent());
    ender.RunNow();

    if (m_abort) {
        DoMessage("User Abort", kAborted);
        return kAborted;
    }
    if (m_result != Z_OK && m_result != Z_STREAM_END) {
        DoMessage("Zlib Error", m_result);
        return m_result;
    }
    DoMessage("Success", 0);
    m_result = Z_OK;
    return m_result;
}

} // namespace tcn
