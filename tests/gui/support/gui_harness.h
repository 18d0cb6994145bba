#pragma once
// What every GUI test starts from: the real main window built over a file system in memory and a fake
// platform that records message boxes and answers dialogs without blocking, plus short ways to load a
// database through Open and to find controls by their names.

#include "platform.h"
#include "testkit/memory_file_system.h"
#include "tform1.h"

#include <QStringList>
#include <QTest>
#include <QUrl>

#include <functional>
#include <memory>
#include <vector>

class QTableView;

namespace tcn::test {

class FakePlatform : public Platform {
  public:
    struct Message {
        QString text, caption;
    };
    std::vector<Message> messages;
    // Answers of the open-file dialog, first first; when none is left the dialog is cancelled.
    QStringList openAnswers;
    QString lastStartFolder;
    // Answers the chooser dialog (it may set the dialog's boxes and press its buttons); without it the
    // dialog is closed without a choice (modal result 0).
    std::function<int(TForm2&)> chooser;
    int choosersShown = 0;
    std::vector<QUrl> opened;
    // Answers to the question about unsaved changes, first first; Discard when none is left.
    std::vector<UnsavedChoice> unsavedAnswers;
    int unsavedAsked = 0;
    QString lastUnsavedFile;
    // Answers of the save-file dialog, first first (none left: cancelled), and the path it suggested last.
    QStringList saveAnswers;
    QString lastSuggestedPath;
    // Answers a dialog of the window (it may look at it and press its buttons); without it the dialog is
    // rejected.
    std::function<int(QDialog&)> dialog;
    int dialogsShown = 0;

    void ShowMessage(QWidget* parent, const QString& text, const QString& caption) override;
    QString ChooseOpenFile(QWidget* parent, const QString& caption, const QString& startFolder,
                           const QString& filter) override;
    int ExecChooser(TForm2& dialog) override;
    void OpenExternal(const QUrl& url) override;
    UnsavedChoice AskUnsavedChanges(QWidget* parent, const QString& fileName) override;
    QString ChooseSaveFile(QWidget* parent, const QString& caption, const QString& suggestedPath,
                           const QString& filter) override;
    int ExecDialog(QDialog& dialog) override;

    // The text of the last message box ("" when none was shown), and forgetting them all.
    QString LastMessage() const { return messages.empty() ? QString() : messages.back().text; }
    void Clear() { messages.clear(); }
};

class GuiHarness {
  public:
    GuiHarness();
    ~GuiHarness();

    MemoryFileSystem files;
    FakePlatform platform;
    std::unique_ptr<TForm1> window;

    // Writes `db` as a channel file at `path` and opens it through the Open button. True when it loaded.
    bool Load(const ChannelDatabase& db, const QString& path = QStringLiteral("/data/test.TCN"));
    // Opens `path` through the Open button (the dialog answers with it).
    bool OpenThroughDialog(const QString& path);
    ChannelDatabase& Db() { return window->Session().Database(); }

    // A control of the window by its name; fails the test when there is none.
    template <typename T> T* Find(const QString& name) const {
        T* control = window->findChild<T*>(name);
        if (!control) qFatal("no control named %s", qPrintable(name));
        return control;
    }
    // Shows page 0..3 as a user's click on its tab would.
    void ShowPage(int index);
    // The status line's text.
    QString Status() const;
    // The text of a grid cell (row 1 = first data row).
    static QString Cell(QTableView* grid, int row, int column);
    // Clicks a cell of a grid (row 1 = first data row), with keyboard modifiers.
    static void ClickCell(QTableView* grid, int row, int column, Qt::KeyboardModifiers modifiers = {});
};

} // namespace tcn::test
