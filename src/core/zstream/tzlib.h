#pragma once
// TZlib runs zlib's deflate or inflate over a whole source stream into a destination stream in 2 MiB
// chunks. Between chunks it drains the window's message queue (through a hook), reports progress,
// honours an abort request, and at the end reports one message with its result code. Its two buffers are
// allocated at the first run that needs them and kept for the object's lifetime.

#include "platform/stream.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string_view>

struct z_stream_s; // zlib's stream record, kept out of this header

namespace tcn {

class TZlib {
  public:
    static constexpr std::size_t kBufferSize = 2 * 1024 * 1024;
    static constexpr std::int32_t kAborted = -7;

    TZlib();
    virtual ~TZlib();
    TZlib(const TZlib&) = delete;
    TZlib& operator=(const TZlib&) = delete;

    // Deflates from the source's position to its end into the destination; 0, -7 or a zlib code.
    std::int32_t Compress(Stream& source, Stream& destination, int level);
    // Inflates a zlib stream from the source into the destination; 0, -7 or a zlib code.
    std::int32_t Decompress(Stream& source, Stream& destination);
    // Requests (true) or withdraws (false) an abort of the run in progress.
    void SetAbort(bool value);
    // Lends the following runs `buffer` for zlib's output in place of the object's own 2 MiB one; output
    // is then passed on each time `buffer` is full. A caller whose memory ends up holding the output
    // anyway (the load chain lends the service table) saves touching memory for nothing. The buffer
    // must outlive the runs; an empty span returns to the object's own buffer.
    void LendOutputBuffer(std::span<std::uint8_t> buffer);

    std::function<void(TZlib& sender, std::int32_t percent)> OnProgress;
    std::function<void(TZlib& sender, std::string_view text, std::int32_t code)> OnMessage;
    // Drains the window's event queue; empty (no-op) outside the window.
    std::function<void()> DrainMessages;

  protected:
    virtual void DoProgress(std::int32_t percent);
    virtual void DoMessage(std::string_view text, std::int32_t code);
    std::int32_t Percent() const;

  private:
    // The whole run shared by Compress and Decompress; `deflating` picks the direction.
    std::int32_t Run(Stream& source, Stream& destination, bool deflating, int level);
    std::size_t FillInput();
    std::size_t FlushOutput();
    // Where zlib writes: the lent buffer, or the object's own one (allocated on first use).
    std::span<std::uint8_t> OutputBuffer();

    std::unique_ptr<z_stream_s> m_stream;     // owned for the object's lifetime, initialised per run
    Stream* m_source = nullptr;               // set only while a run is active
    Stream* m_destination = nullptr;          // set only while a run is active
    std::int32_t m_sourceSize = 0;            // bytes the run will read, clamped to 32 bits
    std::int32_t m_result = 0;                // last zlib code of the run, or -7 after an abort request
    std::unique_ptr<std::uint8_t[]> m_input;  // kBufferSize bytes, allocated by the first run
    std::unique_ptr<std::uint8_t[]> m_output; // kBufferSize bytes, allocated by the first run not lent one
    std::span<std::uint8_t> m_lent;           // a caller's output buffer, or empty
    std::span<std::uint8_t> m_out;            // the output buffer of the active run
    bool m_abort = false;
    bool m_running = false;
};

} // namespace tcn
