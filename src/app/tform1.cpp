#include "tform1.h"

#include "artwork.h"
#include "channel_page.h"
#include "favourites_page.h"
#include "satellite_page.h"
#include "transponder_page.h"
#include "ui_tform1.h"

#include <QApplication>
#include <QFile>
#include <QMouseEvent>
#include <QStatusBar>
#include <QUrl>

namespace tcn {

TForm1::TForm1(FileSystem& files, Platform& platform, const QString& workingDirectory, QWidget* parent)
    : QMainWindow(parent), m_files(files), m_platform(platform), m_session(files),
      m_context(m_session, platform, this), ui(std::make_unique<Ui::TForm1>()) {
    ui->setupUi(this);
    setWindowTitle(QString::fromLatin1(kCaption));
    setFixedSize(700, 699);
    ui->banner->setPixmap(BannerPixmap());
    ui->banner->setToolTip(QString::fromLatin1(kHomePage));
    ui->Select->setPixmap(CheckMarkPixmap());
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
    connect(ui->SpeedButton9, &QPushButton::clicked, this, &TForm1::SpeedButton9Click);
    connect(ui->PageControl1, &QTabWidget::currentChanged, this, &TForm1::PageControl1Change);

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
    SwitchPageQuietly(0);
    PageControl1Change(0);
    ui->PageControl1->setEnabled(true);
    return true;
}

void TForm1::SaveClick() {
    if (m_busy) return;
    RunBusy([&] { return m_session.Save(*this); });
}

void TForm1::SpeedButton9Click() {
    const std::string& help = m_session.Context().HelpFilePath;
    if (!help.empty()) m_platform.OpenExternal(QUrl::fromLocalFile(QFile::decodeName(QByteArray::fromStdString(help))));
}

void TForm1::PageControl1Change(int index) {
    if (m_switchingQuietly || index < 0 || index > 3) return;
    m_pages[index]->Render();
}

void TForm1::SwitchPageQuietly(int index) {
    m_switchingQuietly = true;
    ui->PageControl1->setCurrentIndex(index);
    m_switchingQuietly = false;
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
    if (watched == ui->banner && event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        m_platform.OpenExternal(QUrl(QString::fromLatin1(kHomePage)));
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

} // namespace tcn
