#pragma once
// What every page and dialog works with: the tables to read, the one way to change them (a user action,
// or the writes showing a page makes, both through the undo history), the platform for message boxes and
// modal dialogs, the window that owns them, and what the pages remember for the whole run (the channel
// page's view settings, the transponder page's chosen satellite, the check mark the channel grid draws).
// Pages hold no table data of their own.

#include "channelfile/channel_file_session.h"
#include "edit_history.h"
#include "platform.h"
#include "views/view_settings.h"

#include <QPixmap>
#include <QString>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

class QWidget;

namespace tcn {

class PageContext {
  public:
    PageContext(ChannelFileSession& session, Platform& platform, QWidget* window)
        : m_session(session), m_platform(platform), m_window(window), m_history(session) {}

    // The tables as they stand; pages draw from them.
    const ChannelDatabase& Tables() const { return m_session.Database(); }
    // Runs one user action on the tables as one undo step (`mergeKey` >= 0: consecutive actions with the
    // same key are one step) and returns what the action returns.
    template <typename Action> auto Change(const QString& name, Action&& action, int mergeKey = -1) {
        const TableEdit step(m_history, name, mergeKey);
        return std::forward<Action>(action)(m_session.Database());
    }
    // The writes showing a page makes (one of the Prepare... operations).
    void Prepare(void (*prepare)(ChannelDatabase&)) { m_history.Visit(prepare); }

    EditHistory& History() { return m_history; }
    Platform& Shell() { return m_platform; }
    QWidget* Window() { return m_window; }

    // The view settings of the channel page, the satellite chosen on the transponder page (-1: none):
    // both kept across page switches and reset when a file is opened.
    ViewSettings& View() { return m_view; }
    int ChosenSatellite = -1;
    void ResetForNewFile();

    // The check mark the channel grid draws (the window holds it).
    const QPixmap& CheckMark() const { return m_checkMark; }
    void SetCheckMark(const QPixmap& mark) { m_checkMark = mark; }

    // A modal message box through the platform.
    void ShowMessage(const QString& text, const QString& caption);
    // The message box of a number field whose text is not a whole number or does not fit the field.
    void ShowInvalidInteger(const QString& text);

  private:
    ChannelFileSession& m_session;
    Platform& m_platform;
    QWidget* m_window;
    EditHistory m_history;
    ViewSettings m_view;
    QPixmap m_checkMark;
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
