#pragma once
// TForm1, the program's one main window: the banner, the path of the chosen file, Open, Save and Help, the
// four tab pages and the status line. It owns the file session (the live tables and the chosen file) and
// reports the load chain's and the writer's statuses and messages. Everything modal or external goes
// through the Platform it is given, and every file through the FileSystem, so tests build it with their own.
// Beyond its buttons it offers undo and redo of every change to the tables, the question about unsaved
// changes before a close or an open, keys for its buttons, and opening a channel file dropped on it.

#include "channelfile/channel_file_session.h"
#include "channelfile/reporter.h"
#include "page_context.h"
#include "platform.h"

#include <QDir>
#include <QMainWindow>
#include <QStringList>

#include <memory>

class QAction;
class QMenu;
class QKeyEvent;

namespace Ui {
class TForm1;
}

namespace tcn {

class SatellitePage;
class TransponderPage;
class ChannelPage;
class FavouritesPage;
class EditorPage;
class CompareWindow;
struct Difference;

class TForm1 : public QMainWindow, public Reporter {
    Q_OBJECT

  public:
    static constexpr const char* kCaption = "T.A.R.V R7D Vazu PC Rivavad Irizov V2.0";
    static constexpr const char* kHomePage = "https://tcnedit.example.org/";
    static constexpr const char* kOpenFilter = "TARV Channel Files (*.tcn *.TCN)";

    // `workingDirectory` is where the help file is looked for (the program's working directory at start).
    TForm1(FileSystem& files, Platform& platform, const QString& workingDirectory = QDir::currentPath(),
           QWidget* parent = nullptr);
    ~TForm1() override;

    ChannelFileSession& Session() { return m_session; }
    // The undo history of the tables; its clean state is "nothing unsaved".
    EditHistory& History() { return m_context.History(); }
    // Opens `path` as Open does once the dialog has been answered. True when the file loaded.
    bool OpenFile(const QString& path);
    // Compares the file at `path`, read as Open reads it but only read, with the tables in the compare
    // window (what "Compare with..." does once its dialog has been answered). True when the file loaded.
    bool CompareWith(const QString& path);
    // "Order like another file..." once its dialog has been answered: the reference at `path` read, the
    // preview shown, and on "Apply" the services and groups put in its order as one undo step.
    void OrderLike(const QString& path);
    // "Export channels as CSV..." once its dialog has been answered: the services written to `path` as
    // tcntool export --csv writes them; a failure says so and leaves no file behind. True when written.
    bool ExportCsv(const QString& path);
    // "Import transponders..." once its dialog has been answered: the list at `path` read (a damaged one
    // is refused with the line in a message box), the preview shown, and on "Apply" the transponders
    // imported into the chosen satellite as one undo step, shown on the transponder page. True when applied.
    bool ImportTransponders(const QString& path);
    // "Export as satellites.xml..." once its dialog has been answered: the satellites and transponders
    // written to `path` as tcntool export --satellites-xml writes them. True when written.
    bool ExportSatellitesXml(const QString& path);
    // Where F1 and Help look for the user manual when the help file is not in the start-up folder, first
    // first: by default where it is installed beside the program, then in the source tree it was built from.
    void SetManualPaths(const QStringList& paths) { m_manualPaths = paths; }
    static QStringList DefaultManualPaths();
    // True while a load or a save runs; user input arriving meanwhile is dropped.
    bool IsBusy() const { return m_busy; }

    SatellitePage* satellitePage() const { return m_satellitePage; }
    TransponderPage* transponderPage() const { return m_transponderPage; }
    ChannelPage* channelPage() const { return m_channelPage; }
    FavouritesPage* favouritesPage() const { return m_favouritesPage; }

    // The status line and message boxes of the load chain and the writer.
    void ShowStatus(std::string_view text) override;
    void ShowMessageBox(std::string_view text, std::string_view caption) override;

  public slots:
    void OpenClick();
    void SaveClick();
    // Help and F1: the help file in the start-up folder through the desktop's "open"; when it is not
    // there, the user manual; when neither is, a message saying so.
    void ShowHelp();
    // Shows the page the user switched to.
    void ShowChosenPage(int index);
    // Ctrl+Z and Ctrl+Y (or Ctrl+Shift+Z): one step of the tables back or forward, then the current page
    // shown anew.
    void Undo();
    void Redo();
    // Tools, "Compare with...": a chosen file, read as Open reads it but only read, compared with the
    // tables as they stand in the compare window.
    void CompareWithFile();
    // Tools, "Order like another file..." and "Export channels as CSV...", with their dialogs.
    void OrderLikeFile();
    void ExportCsvFile();
    // Tools (and the transponder grid's context menu), "Import transponders...", and Tools, "Export as
    // satellites.xml...", with their dialogs.
    void ImportTranspondersFile();
    void ExportSatellitesXmlFile();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    // With unsaved changes the window closes only after the user chose to save (and it worked) or discard.
    void closeEvent(QCloseEvent* event) override;
    // A channel file dragged from the file manager is opened as Open would; nothing else is taken.
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

  private:
    // The page control switched without drawing (a switch by the program, not by the user).
    void SwitchPageQuietly(int index);
    // Page `index` shown: the writes showing it makes, then the page drawn from the tables.
    void ShowPage(int index);
    // After an undo or a redo: the page shown drawn anew, and page 0 too.
    void ShowPagesAfterHistoryStep();
    // Runs `flow` as a load or save: events are drained between compression buffers, but user input that
    // arrives meanwhile is dropped, so no action starts inside another.
    template <typename Flow> auto RunBusy(Flow flow);
    // Save as the button does; true when the new file was written.
    bool SaveTables();
    // Before the tables are closed or replaced: true when there is nothing unsaved, or the user saved
    // (successfully) or discarded it; false when the close or the open is to stop.
    bool MaySetTablesAside();
    // Undo and redo keys are the window's wherever the focus is (a text field does not keep them).
    bool IsHistoryKey(const QKeyEvent* event) const;
    // The Tools menu: a button in the corner of the page tabs (no control of the window moves for it).
    void AddToolsMenu();
    // The file chosen in the open-file dialog captioned `caption`, or empty when the dialog was cancelled.
    QString ChooseFile(const QString& caption);
    // The file at `path` read into `out` without touching the file being edited; its message boxes shown
    // (a refused file), its status texts not. True when it loaded.
    bool ReadOtherFile(const QString& path, ChannelDatabase& out);
    // Shows the item of a difference the compare window was asked about on its page, selected.
    void ShowDifference(const Difference& difference);

    FileSystem& m_files;
    Platform& m_platform;
    ChannelFileSession m_session;
    PageContext m_context;
    std::unique_ptr<Ui::TForm1> ui;
    SatellitePage* m_satellitePage;
    TransponderPage* m_transponderPage;
    ChannelPage* m_channelPage;
    FavouritesPage* m_favouritesPage;
    EditorPage* m_pages[4];
    QAction* m_undoAction;
    QAction* m_redoAction;
    QMenu* m_toolsMenu = nullptr;
    CompareWindow* m_compareWindow = nullptr;
    QStringList m_manualPaths = DefaultManualPaths();
    bool m_busy = false;
    bool m_draining = false;
};

} // namespace tcn
