#include "tform1.h"

#include "actions/page_visits.h"
#include "artwork.h"
#include "channel_page.h"
#include "compare_window.h"
#include "exchange/csv_export.h"
#include "exchange/satellites_xml.h"
#include "import_preview.h"
#include "reorder_preview.h"
#include "tables/satellite_table.h"
#include "tables/reorder_like.h"
#include "favourites_page.h"
#include "satellite_page.h"
#include "transponder_page.h"
#include "ui_tform1.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QFile>
#include <QFileInfo>
#include <QMimeData>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStatusBar>
#include <QUrl>

#include <sstream>

namespace tcn {

namespace {

// The channel file a drag carries: exactly one local file whose name ends in ".tcn" in any case; empty
// for anything else.
QString ChannelFileIn(const QMimeData* mime) {
    if (!mime || !mime->hasUrls()) return {};
    const QList<QUrl> urls = mime->urls();
    if (urls.size() != 1 || !urls.front().isLocalFile()) return {};
    const QString path = urls.front().toLocalFile();
    return path.endsWith(QStringLiteral(".tcn"), Qt::CaseInsensitive) ? path : QString();
}

} // namespace

TForm1::TForm1(FileSystem& files, Platform& platform, const QString& workingDirectory, QWidget* parent)
    : QMainWindow(parent), m_files(files), m_platform(platform), m_session(files),
      m_context(m_session, platform, this), ui(std::make_unique<Ui::TForm1>()) {
    ui->setupUi(this);
    setWindowTitle(QString::fromLatin1(kCaption));
    setFixedSize(700, 699);
    ui->banner->setPixmap(BannerPixmap());
    ui->banner->setToolTip(QString::fromLatin1(kHomePage));
    ui->Select->setPixmap(CheckMarkPixmap());
    m_context.SetCheckMark(ui->Select->pixmap());
    // The buttons' hints are kept for assistive tools but not shown as tooltips.
    ui->Open->setAccessibleDescription(QStringLiteral("Open a channel file"));
    ui->Save->setAccessibleDescription(QStringLiteral("Save to new channel file"));
    ui->SpeedButton9->setAccessibleDescription(QStringLiteral("Help file"));

    m_satellitePage = new SatellitePage(m_context);
    m_transponderPage = new TransponderPage(m_context);
    m_channelPage = new ChannelPage(m_context);
    m_favouritesPage = new FavouritesPage(m_context);
    m_satellitePage->setObjectName(QStringLiteral("TabSheet1"));
    m_transponderPage->setObjectName(QStringLiteral("TabSheet2"));
    m_channelPage->setObjectName(QStringLiteral("TabSheet3"));
    m_favouritesPage->setObjectName(QStringLiteral("TabSheet4"));
    m_pages[0] = m_satellitePage;
    m_pages[1] = m_transponderPage;
    m_pages[2] = m_channelPage;
    m_pages[3] = m_favouritesPage;
    ui->PageControl1->addTab(m_satellitePage, QStringLiteral("Edit Satellites"));
    ui->PageControl1->addTab(m_transponderPage, QStringLiteral("Edit Transponders"));
    ui->PageControl1->addTab(m_channelPage, QStringLiteral("Edit Channels"));
    ui->PageControl1->addTab(m_favouritesPage, QStringLiteral("Edit Favourites"));

    // Where the help file is looked for is fixed once, from the working directory at start-up.
    m_session.Context().HelpFilePath = HelpFilePathFor(QFile::encodeName(workingDirectory).toStdString());
    ui->PageControl1->setCurrentIndex(0);
    ui->PageControl1->setEnabled(false);
    ShowStatus("Idle");

    connect(ui->Open, &QPushButton::clicked, this, &TForm1::OpenClick);
    connect(ui->Save, &QPushButton::clicked, this, &TForm1::SaveClick);
    connect(ui->SpeedButton9, &QPushButton::clicked, this, &TForm1::ShowHelp);
    connect(ui->PageControl1, &QTabWidget::currentChanged, this, &TForm1::ShowChosenPage);

    // Window-wide keys. None is one the pages use (Ctrl+A, Ctrl+L, Ctrl+F1 to Ctrl+F5, Insert, Del).
    const auto addKeys = [this](const char* name, const char* text, const char* keys) {
        auto* action = new QAction(QString::fromLatin1(text), this);
        action->setObjectName(QString::fromLatin1(name));
        action->setShortcuts(QKeySequence::listFromString(QString::fromLatin1(keys)));
        addAction(action);
        return action;
    };
    connect(addKeys("OpenAction", "Open", "Ctrl+O"), &QAction::triggered, this, &TForm1::OpenClick);
    connect(addKeys("SaveAction", "Save", "Ctrl+S"), &QAction::triggered, this, &TForm1::SaveClick);
    connect(addKeys("HelpAction", "Help", "F1"), &QAction::triggered, this, &TForm1::ShowHelp);
    connect(addKeys("QuitAction", "Quit", "Ctrl+Q"), &QAction::triggered, this, &QWidget::close);
    m_undoAction = addKeys("UndoAction", "Undo", "Ctrl+Z");
    m_redoAction = addKeys("RedoAction", "Redo", "Ctrl+Y; Ctrl+Shift+Z");
    connect(m_undoAction, &QAction::triggered, this, &TForm1::Undo);
    connect(m_redoAction, &QAction::triggered, this, &TForm1::Redo);
    QUndoStack& steps = m_context.History().Stack();
    m_undoAction->setEnabled(false);
    m_redoAction->setEnabled(false);
    connect(&steps, &QUndoStack::canUndoChanged, m_undoAction, &QAction::setEnabled);
    connect(&steps, &QUndoStack::canRedoChanged, m_redoAction, &QAction::setEnabled);
    setAcceptDrops(true);
    AddToolsMenu();

    m_session.DrainMessages = [this] {
        m_draining = true;
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        m_draining = false;
    };
    qApp->installEventFilter(this);
}

TForm1::~TForm1() { qApp->removeEventFilter(this); }

void TForm1::ShowStatus(std::string_view text) {
    ui->StatusBar1->showMessage(FromBytes(text));
    // The status line is the only sign of progress while a load or save runs.
    ui->StatusBar1->repaint();
}

void TForm1::ShowMessageBox(std::string_view text, std::string_view caption) {
    m_platform.ShowMessage(this, FromBytes(text), FromBytes(caption));
}

template <typename Flow> auto TForm1::RunBusy(Flow flow) {
    m_busy = true;
    struct Done {
        bool& busy;
        ~Done() { busy = false; }
    } done{m_busy};
    return flow();
}

void TForm1::OpenClick() {
    if (m_busy) return;
    // The question about unsaved changes comes before the dialog: Cancel stops the open there.
    if (!MaySetTablesAside()) return;
    const QString folder = QFile::decodeName(QByteArray::fromStdString(m_session.Context().LastFolder));
    const QString path = m_platform.ChooseOpenFile(this, QStringLiteral("Open"), folder, QString::fromLatin1(kOpenFilter));
    if (path.isEmpty()) return;
    OpenFile(path);
}

bool TForm1::OpenFile(const QString& path) {
    if (m_busy) return false;
    SwitchPageQuietly(0);
    ui->Path->setText(path);
    const LoadResult result =
        RunBusy([&] { return m_session.Open(QFile::encodeName(path).toStdString(), *this); });
    if (result.status != LoadStatus::Loaded) return false;
    // New tables start a new history, with the view settings and the chosen satellite of a new file; a
    // refused file left the old tables, their history and the pages' choices as they were.
    m_context.History().Reset();
    m_context.ResetForNewFile();
    SwitchPageQuietly(0);
    ShowPage(0);
    ui->PageControl1->setEnabled(true);
    return true;
}

void TForm1::SaveClick() { SaveTables(); }

bool TForm1::SaveTables() {
    if (m_busy) return false;
    const bool saved = RunBusy([&] { return m_session.Save(*this); });
    if (saved) m_context.History().MarkSaved();
    return saved;
}

bool TForm1::MaySetTablesAside() {
    if (!m_context.History().HasUnsavedChanges()) return true;
    const QString newFile =
        QFileInfo(QFile::decodeName(QByteArray::fromStdString(m_session.Context().NewFilePath))).fileName();
    switch (m_platform.AskUnsavedChanges(this, newFile)) {
    case UnsavedChoice::Save:
        return SaveTables();
    case UnsavedChoice::Discard:
        return true;
    case UnsavedChoice::Cancel:
        break;
    }
    return false;
}

void TForm1::Undo() {
    if (m_busy || !m_context.History().Undo()) return;
    ShowPagesAfterHistoryStep();
}

void TForm1::Redo() {
    if (m_busy || !m_context.History().Redo()) return;
    ShowPagesAfterHistoryStep();
}

void TForm1::ShowPagesAfterHistoryStep() {
    const int current = ui->PageControl1->currentIndex();
    ShowPage(current);
    // A refused open shows page 0 without drawing it, so page 0 must not keep showing what this step
    // changed.
    if (current != 0) ShowPage(0);
}

void TForm1::closeEvent(QCloseEvent* event) {
    if (m_busy || !MaySetTablesAside())
        event->ignore();
    else
        event->accept();
}

void TForm1::dragEnterEvent(QDragEnterEvent* event) { dragMoveEvent(event); }

void TForm1::dragMoveEvent(QDragMoveEvent* event) {
    if (!m_busy && !ChannelFileIn(event->mimeData()).isEmpty())
        event->acceptProposedAction();
    else
        event->ignore();
}

void TForm1::dropEvent(QDropEvent* event) {
    const QString path = ChannelFileIn(event->mimeData());
    if (m_busy || path.isEmpty()) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
    if (MaySetTablesAside()) OpenFile(path);
}

bool TForm1::IsHistoryKey(const QKeyEvent* event) const {
    const QKeySequence pressed(event->keyCombination());
    return m_undoAction->shortcuts().contains(pressed) || m_redoAction->shortcuts().contains(pressed);
}

void TForm1::ShowHelp() {
    // The help file in the start-up folder when it is there; else the user manual, where it is installed
    // or beside the build; with neither, a message instead of handing the desktop a file that is not there.
    const std::string& help = m_session.Context().HelpFilePath;
    if (!help.empty() && m_files.Exists(help)) {
        m_platform.OpenExternal(QUrl::fromLocalFile(QFile::decodeName(QByteArray::fromStdString(help))));
        return;
    }
    for (const QString& manual : m_manualPaths) {
        if (m_files.Exists(QFile::encodeName(manual).toStdString())) {
            m_platform.OpenExternal(QUrl::fromLocalFile(manual));
            return;
        }
    }
    m_platform.ShowMessage(this,
                           QStringLiteral("No help was found: neither %1 nor the user manual (%2) is there.")
                               .arg(QFile::decodeName(QByteArray::fromStdString(help)),
                                    m_manualPaths.join(QStringLiteral(", "))),
                           QStringLiteral("Help"));
}

QStringList TForm1::DefaultManualPaths() {
    QStringList paths{QDir::cleanPath(QCoreApplication::applicationDirPath() +
                                      QStringLiteral("/../share/doc/tcnedit/manual.html"))};
#ifdef TCN_MANUAL_BESIDE_BUILD
    paths << QStringLiteral(TCN_MANUAL_BESIDE_BUILD);
#endif
    return paths;
}

void TForm1::ShowChosenPage(int index) { ShowPage(index); }

void TForm1::ShowPage(int index) {
    // What showing each page writes to the tables, then the page drawn from them.
    static constexpr void (*kPrepare[4])(ChannelDatabase&) = {PrepareSatellitePage, PrepareTransponderPage,
                                                              PrepareChannelPage, PrepareFavouritesPage};
    if (index < 0 || index > 3) return;
    m_context.Prepare(kPrepare[index]);
    m_pages[index]->Render(m_session.Database());
}

void TForm1::SwitchPageQuietly(int index) {
    const QSignalBlocker quiet(ui->PageControl1);
    ui->PageControl1->setCurrentIndex(index);
}

void TForm1::AddToolsMenu() {
    auto* tools = new QPushButton(QStringLiteral("&Tools"), ui->PageControl1);
    tools->setObjectName(QStringLiteral("Tools"));
    tools->setFocusPolicy(Qt::TabFocus);
    m_toolsMenu = new QMenu(tools);
    m_toolsMenu->setObjectName(QStringLiteral("ToolsMenu"));
    tools->setMenu(m_toolsMenu);
    ui->PageControl1->setCornerWidget(tools, Qt::TopRightCorner);
    const auto add = [this](const char* name, const char* text, const char* keys) {
        auto* action = m_toolsMenu->addAction(QString::fromLatin1(text));
        action->setObjectName(QString::fromLatin1(name));
        action->setShortcut(QKeySequence(QString::fromLatin1(keys)));
        addAction(action); // the shortcut works with the menu closed
        return action;
    };
    connect(add("CompareWith", "&Compare with...", "Ctrl+D"), &QAction::triggered, this, &TForm1::CompareWithFile);
    connect(add("OrderLike", "&Order like another file...", ""), &QAction::triggered, this, &TForm1::OrderLikeFile);
    connect(add("ExportCsv", "&Export channels as CSV...", ""), &QAction::triggered, this, &TForm1::ExportCsvFile);
    m_toolsMenu->addSeparator();
    QAction* import = add("ImportTransponders", "&Import transponders...", "");
    connect(import, &QAction::triggered, this, &TForm1::ImportTranspondersFile);
    m_transponderPage->AddGridAction(import);
    connect(add("ExportSatellitesXml", "Export as &satellites.xml...", ""), &QAction::triggered, this,
            &TForm1::ExportSatellitesXmlFile);
}

namespace {

// The message boxes of a read reach the platform; its status texts stay off the status line.
class MessagesOnly : public Reporter {
  public:
    explicit MessagesOnly(Reporter& messages) : m_messages(messages) {}
    void ShowStatus(std::string_view) override {}
    void ShowMessageBox(std::string_view text, std::string_view caption) override {
        m_messages.ShowMessageBox(text, caption);
    }

  private:
    Reporter& m_messages;
};

} // namespace

QString TForm1::ChooseFile(const QString& caption) {
    if (m_busy) return {};
    const QString folder = QFile::decodeName(QByteArray::fromStdString(m_session.Context().LastFolder));
    return m_platform.ChooseOpenFile(this, caption, folder, QString::fromLatin1(kOpenFilter));
}

bool TForm1::ReadOtherFile(const QString& path, ChannelDatabase& out) {
    if (m_busy) return false;
    MessagesOnly reporter(*this);
    const LoadResult result =
        RunBusy([&] { return m_session.ReadCopy(QFile::encodeName(path).toStdString(), reporter, out); });
    return result.status == LoadStatus::Loaded;
}

void TForm1::CompareWithFile() {
    const QString path = ChooseFile(QStringLiteral("Compare with"));
    if (!path.isEmpty()) CompareWith(path);
}

bool TForm1::CompareWith(const QString& path) {
    const auto other = std::make_unique<ChannelDatabase>();
    if (!ReadOtherFile(path, *other)) return false;
    if (!m_compareWindow) {
        m_compareWindow = new CompareWindow(this);
        m_compareWindow->showItem = [this](const Difference& d) { ShowDifference(d); };
    }
    m_compareWindow->Show(CompareChannelDatabases(*other, m_session.Database()), QFileInfo(path).fileName());
    m_compareWindow->show();
    m_compareWindow->raise();
    return true;
}

void TForm1::OrderLikeFile() {
    const QString path = ChooseFile(QStringLiteral("Order like"));
    if (!path.isEmpty()) OrderLike(path);
}

void TForm1::OrderLike(const QString& path) {
    const auto reference = std::make_unique<ChannelDatabase>();
    if (!ReadOtherFile(path, *reference)) return;
    // The preview is the change made on a copy of the tables as they stand.
    const ChannelDatabase& tables = m_session.Database();
    const auto reordered = std::make_unique<ChannelDatabase>(tables);
    const ReorderSummary summary = ReorderServicesLike(*reordered, *reference);
    std::vector<std::uint16_t> unmatched;
    const std::vector<ServiceMatch> matches = MatchServices(tables, *reference);
    for (std::size_t f = 0; f < matches.size(); ++f)
        if (matches[f].rule == MatchRule::None) unmatched.push_back(static_cast<std::uint16_t>(f));
    const QString name = QFileInfo(path).fileName();
    ReorderPreview preview(summary, *reference, tables, *reordered, unmatched, name, this);
    if (m_platform.ExecDialog(preview) != QDialog::Accepted) return;
    m_context.Change(QStringLiteral("Order like %1").arg(name),
                     [&](ChannelDatabase& db) { ReorderServicesLike(db, *reference); });
    if (ui->PageControl1->currentIndex() != 2)
        ui->PageControl1->setCurrentIndex(2);
    else
        ShowPage(2);
}

void TForm1::ExportCsvFile() {
    if (m_busy) return;
    // NAME.csv beside the opened file.
    const QFileInfo opened(QFile::decodeName(QByteArray::fromStdString(m_session.Context().SourcePath)));
    const QString suggested = opened.fileName().isEmpty() ? QStringLiteral("channels.csv")
                                                          : opened.dir().filePath(opened.completeBaseName() + ".csv");
    const QString path = m_platform.ChooseSaveFile(this, QStringLiteral("Export channels as CSV"), suggested,
                                                   QStringLiteral("CSV files (*.csv)"));
    if (!path.isEmpty()) ExportCsv(path);
}

bool TForm1::ExportCsv(const QString& path) {
    std::ostringstream csv;
    WriteServicesCsv(m_session.Database(), csv);
    std::string error;
    if (!WriteWholeFile(m_files, QFile::encodeName(path).toStdString(), csv.str(), error)) {
        m_platform.ShowMessage(this, QStringLiteral("The channels were not exported: %1.").arg(QString::fromLocal8Bit(error.c_str())),
                               QStringLiteral("Export Error"));
        return false;
    }
    ShowStatus(QStringLiteral("%1 channels exported to %2")
                   .arg(m_session.Database().serviceCount)
                   .arg(QFileInfo(path).fileName())
                   .toLatin1()
                   .toStdString());
    return true;
}

void TForm1::ImportTranspondersFile() {
    if (m_busy) return;
    const QString folder = QFile::decodeName(QByteArray::fromStdString(m_session.Context().LastFolder));
    const QString path = m_platform.ChooseOpenFile(this, QStringLiteral("Import transponders"), folder,
                                                   QStringLiteral("Transponder lists (*.xml)"));
    if (!path.isEmpty()) ImportTransponders(path);
}

bool TForm1::ImportTransponders(const QString& path) {
    const ChannelDatabase& tables = m_session.Database();
    const QString caption = QStringLiteral("Import Transponders");
    if (tables.satelliteCount == 0) {
        m_platform.ShowMessage(this, QStringLiteral("There is no satellite to import transponders into."), caption);
        return false;
    }
    std::string bytes, error;
    SatelliteList list;
    if (!ReadWholeFile(m_files, QFile::encodeName(path).toStdString(), kSatelliteListLimit, bytes, error) ||
        !ReadSatellitesXml(bytes, list, error)) {
        m_platform.ShowMessage(this,
                               QStringLiteral("%1 is no transponder list that can be read:\n%2")
                                   .arg(QFileInfo(path).fileName(), QString::fromStdString(error)),
                               caption);
        return false;
    }
    // First the satellite the transponder page shows, else the first one the list has a satellite for.
    std::uint8_t satellite = 0;
    const std::size_t count = std::min<std::size_t>(tables.satelliteCount, kSatelliteCapacity);
    if (m_context.ChosenSatellite >= 0 && static_cast<std::size_t>(m_context.ChosenSatellite) < count) {
        satellite = static_cast<std::uint8_t>(m_context.ChosenSatellite);
    } else {
        for (std::size_t s = count; s-- > 0;)
            if (MatchListSatellite(list, ReadSatellite(tables, s))) satellite = static_cast<std::uint8_t>(s);
    }
    const QString name = QFileInfo(path).fileName();
    ImportPreview preview(tables, list, satellite, name, this);
    if (m_platform.ExecDialog(preview) != QDialog::Accepted || preview.ChosenListSatellite() < 0) return false;
    const ListSatellite& from = list.satellites[static_cast<std::size_t>(preview.ChosenListSatellite())];
    const ImportReport report = m_context.Change(QStringLiteral("Import transponders from %1").arg(name), [&](ChannelDatabase& db) {
        return tcn::ImportTransponders(db, preview.ChosenSatellite(), from, preview.Options());
    });
    m_context.ChosenSatellite = preview.ChosenSatellite();
    if (ui->PageControl1->currentIndex() != 1)
        ui->PageControl1->setCurrentIndex(1);
    else
        ShowPage(1);
    ShowStatus(QStringLiteral("%1 transponders added, %2 updated from %3")
                   .arg(report.Count(ImportOutcome::Added))
                   .arg(report.Count(ImportOutcome::Updated))
                   .arg(name)
                   .toLatin1()
                   .toStdString());
    return true;
}

void TForm1::ExportSatellitesXmlFile() {
    if (m_busy) return;
    const QFileInfo opened(QFile::decodeName(QByteArray::fromStdString(m_session.Context().SourcePath)));
    const QString suggested = opened.fileName().isEmpty() ? QStringLiteral("satellites.xml")
                                                          : opened.dir().filePath(QStringLiteral("satellites.xml"));
    const QString path = m_platform.ChooseSaveFile(this, QStringLiteral("Export as satellites.xml"), suggested,
                                                   QStringLiteral("Transponder lists (*.xml)"));
    if (!path.isEmpty()) ExportSatellitesXml(path);
}

bool TForm1::ExportSatellitesXml(const QString& path) {
    const ChannelDatabase& tables = m_session.Database();
    std::string error;
    if (!WriteWholeFile(m_files, QFile::encodeName(path).toStdString(), WriteSatellitesXml(tables), error)) {
        m_platform.ShowMessage(this, QStringLiteral("The satellites were not exported: %1.").arg(QString::fromLocal8Bit(error.c_str())),
                               QStringLiteral("Export Error"));
        return false;
    }
    ShowStatus(QStringLiteral("%1 satellites and %2 transponders exported to %3")
                   .arg(tables.satelliteCount)
                   .arg(tables.transponderCount)
                   .arg(QFileInfo(path).fileName())
                   .toLatin1()
                   .toStdString());
    return true;
}

void TForm1::ShowDifference(const Difference& d) {
    static constexpr int kPageOf[] = {0, 1, 2, 3};
    const int page = kPageOf[static_cast<int>(d.area)];
    const ChannelDatabase& db = m_session.Database();
    if (d.area == DiffArea::Transponder && d.newIndex < db.transponderCount)
        m_context.ChosenSatellite = db.transponders[d.newIndex].Satellite();
    if (ui->PageControl1->currentIndex() != page)
        ui->PageControl1->setCurrentIndex(page); // shown as a user's switch would show it
    else
        ShowPage(page);
    activateWindow();
    switch (d.area) {
    case DiffArea::Satellite: m_satellitePage->SelectSatellite(d.newIndex); break;
    case DiffArea::Transponder: m_transponderPage->SelectTransponder(d.newIndex); break;
    case DiffArea::Service: m_channelPage->SelectService(d.newIndex); break;
    case DiffArea::Favourites: // a renamed group is shown without a row of it chosen
        m_favouritesPage->SelectMember(d.group, d.kind == DiffKind::Changed ? -1 : d.newIndex);
        break;
    case DiffArea::Config: break;
    }
}

bool TForm1::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::Wheel:
    case QEvent::Shortcut:
    case QEvent::ShortcutOverride:
    case QEvent::Drop:
    case QEvent::Close:
        // Input that arrives while a compression run drains the queue would start an action inside the
        // load or save; it is dropped, as if it had come before the window could take input.
        if (m_draining) return true;
        break;
    default:
        break;
    }
    // The status line changes only through ShowStatus: the status tip a hovered or chosen menu item sends
    // (empty for every item of ours) would otherwise replace its text.
    if (event->type() == QEvent::StatusTip) return true;
    auto* widget = qobject_cast<QWidget*>(watched);
    const bool inWindow = widget && widget != this && widget->window() == this;
    if (inWindow && (event->type() == QEvent::ShortcutOverride || event->type() == QEvent::KeyPress) &&
        IsHistoryKey(static_cast<QKeyEvent*>(event))) {
        // A text field would take these keys for an undo of its own: the override is refused, so the
        // window's action takes the key; a key press that still arrives runs the action itself.
        auto* key = static_cast<QKeyEvent*>(event);
        if (event->type() == QEvent::KeyPress) {
            QAction* action = m_undoAction->shortcuts().contains(QKeySequence(key->keyCombination()))
                                  ? m_undoAction
                                  : m_redoAction;
            if (action->isEnabled()) action->trigger();
        }
        event->ignore();
        return true;
    }
    // A channel file dragged over a control that takes drops of its own (a text field) is the window's.
    if (inWindow && (event->type() == QEvent::DragEnter || event->type() == QEvent::DragMove ||
                     event->type() == QEvent::Drop)) {
        auto* drop = static_cast<QDropEvent*>(event);
        if (!ChannelFileIn(drop->mimeData()).isEmpty()) {
            if (event->type() == QEvent::Drop)
                dropEvent(drop);
            else
                dragMoveEvent(static_cast<QDragMoveEvent*>(event)); // a drag enter is a drag move too
            return true;
        }
    }
    if (watched == ui->banner && event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        m_platform.OpenExternal(QUrl(QString::fromLatin1(kHomePage)));
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

} // namespace tcn
