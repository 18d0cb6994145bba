#pragma once
// What every page and dialog works with: the live tables (through the file session), the undo history of
// the tables, the platform for message boxes and modal dialogs, and the window that owns them. Pages hold
// no table data of their own.

#include "channelfile/channel_file_session.h"
#include "edit_history.h"
#include "platform.h"

#include <QString>

#include <string>
#include <string_view>

class QWidget;

namespace tcn {

class PageContext {
  public:
    PageContext(ChannelFileSession& session, Platform& platform, QWidget* window)
        : m_session(session), m_platform(platform), m_window(window), m_history(session) {}

    ChannelDatabase& Db() { return m_session.Database(); }
    ChannelFileSession& Session() { return m_session; }
    Platform& Shell() { return m_platform; }
    QWidget* Window() { return m_window; }
    // Every action that changes the tables runs under a TableEdit on this history.
    EditHistory& History() { return m_history; }

    // A modal message box through the platform.
    void ShowMessage(const QString& text, const QString& caption);
    // The message box of a number field whose text is not a whole number or does not fit the field.
    void ShowInvalidInteger(const QString& text);

  private:
    ChannelFileSession& m_session;
    Platform& m_platform;
    QWidget* m_window;
    EditHistory m_history;
};

// Texts of the tables are 8-bit bytes, shown and typed as ISO-8859-1: every byte is one character, so a
// name nobody edits survives exactly.
inline QString FromBytes(std::string_view bytes) {
    return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
}
inline std::string ToBytes(const QString& text) { return text.toLatin1().toStdString(); }

// The whole number a field holds, or nothing after the field's "not a valid integer value" box was shown.
// Values outside [min, max] are refused with the same box: storing part of a value would store a number
// nobody typed.
std::optional<std::int64_t> ReadIntegerField(PageContext& context, const QString& text, std::int64_t min,
                                             std::int64_t max);

} // namespace tcn
