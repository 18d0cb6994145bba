#include "screenshots.h"

#include "channel_page.h"
#include "compare_window.h"
#include "string_grid.h"
#include "tform1.h"

#include <QApplication>
#include <QDialog>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <iostream>
#include "channelfile/file_format.h"
#include "tables/favourite_groups.h"
#include "tables/service_table.h"
#include "exchange/satellites_xml.h"
#include "page_context.h"
#include "tables/satellite_table.h"
#include "tables/transponder_table.h"
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QDir>
#include <QPixmap>
#include <QRadioButton>
#include <QTabWidget>

namespace tcn {

namespace {

QString Save(TForm1& window, const QString& folder, const QString& name) {
    QApplication::processEvents();
    const QString path = QDir(folder).filePath(name + QStringLiteral(".png"));
    return window.grab().save(path) ? path : QString();
}

// The channel page under "caID" with the first CA system of "Additional List" chosen, set through the
// controls as a user would set it; the page is left in the table order it started in.
QString SaveCaSystemView(TForm1& window, const QString& folder) {
    auto* caId = window.findChild<QRadioButton*>(QStringLiteral("RadioGroup8Item5"));
    auto* systems = window.findChild<QComboBox*>(QStringLiteral("ComboBox3"));
    auto* tableOrder = window.findChild<QRadioButton*>(QStringLiteral("RadioGroup8Item0"));
    if (!caId || !systems || !tableOrder) return {};
    caId->click();
    if (systems->count() > 1) {
        systems->setCurrentIndex(1);
        emit systems->activated(1);
    }
    const QString path = Save(window, folder, QStringLiteral("3-channels-caid"));
    tableOrder->click();
    return path;
}

// The transponder page shows nothing until a satellite is chosen; choose the first, as a user would.
void ChooseFirstSatellite(TForm1& window) {
    auto* satellites = window.findChild<QComboBox*>(QStringLiteral("ComboBox1"));
    if (!satellites || satellites->count() == 0) return;
    satellites->setCurrentIndex(0);
    emit satellites->activated(0);
}

// A few edits made as a user makes them (a channel renamed and locked, one deleted, one dragged to the
// top), then the opened file compared with the tables.
QString SaveCompareView(TForm1& window, const QString& folder) {
    auto* pages = window.findChild<QTabWidget*>(QStringLiteral("PageControl1"));
    auto* grid = window.findChild<StringGrid*>(QStringLiteral("ChGrid"));
    auto* name = window.findChild<QLineEdit*>(QStringLiteral("chName"));
    if (!pages || !grid || !name) return {};
    pages->setCurrentIndex(2);
    ChannelPage* page = window.channelPage();
    grid->setCurrentRow(3);
    name->setText(name->text() + QStringLiteral(" HD"));
    page->ApplyChanges();
    grid->setCurrentRow(3);
    page->ToggleLockSelected();
    grid->setCurrentRow(8);
    page->DeleteSelectedServices();
    grid->selectRange(12, 12, 12);
    emit grid->cellClicked(12); // the click that records the row a drag must start in
    grid->moveRow(12, 1);
    const QString source = QFile::decodeName(QByteArray::fromStdString(window.Session().Context().SourcePath));
    if (!window.CompareWith(source)) return {};
    auto* compare = window.findChild<CompareWindow*>(QStringLiteral("CompareWindow"));
    if (!compare) return {};
    QApplication::processEvents();
    const QString path = QDir(folder).filePath(QStringLiteral("5-compare.png"));
    return compare->grab().save(path) ? path : QString();
}

// The Tools menu opened, with the window behind it, as the screen shows them.
QString SaveToolsMenu(TForm1& window, const QString& folder) {
    auto* tools = window.findChild<QPushButton*>(QStringLiteral("Tools"));
    if (!tools || !tools->menu()) return {};
    QMenu* menu = tools->menu();
    menu->popup(tools->mapToGlobal(QPoint(tools->width() - menu->sizeHint().width(), tools->height())));
    QApplication::processEvents();
    const QRect area = window.frameGeometry();
    const QPixmap picture = window.screen()->grabWindow(0, area.x(), area.y(), area.width(), area.height());
    menu->hide();
    const QString path = QDir(folder).filePath(QStringLiteral("6-tools-menu.png"));
    return picture.save(path) ? path : QString();
}

// The preview of "Order like another file..." for a rescan of the tables (services shuffled, one
// renamed, one gone, favourites empty) written to a temporary file.
void ShowOrderPreview(TForm1& window, ScreenshotPlatform& platform) {
    QTemporaryDir dir;
    if (!dir.isValid()) return;
    ChannelDatabase rescan = window.Session().Database();
    for (std::size_t i = 0; i + 7 < rescan.serviceCount; i += 7)
        MoveService(rescan, i, rescan.serviceCount - 1);
    DeleteService(rescan, 3);
    rescan.services[5].SetText(ServiceRecord::kName, ServiceRecord::kNameArea, ServiceRecord::kNameMax, "A new channel");
    rescan.services[5].SetServiceId(60000);
    RenumberServices(rescan);
    const std::vector<std::uint8_t> image = BuildChannelFileImage(rescan);
    QFile file(dir.filePath(QStringLiteral("old-list.TCN")));
    if (!file.open(QIODevice::WriteOnly) ||
        file.write(reinterpret_cast<const char*>(image.data()), static_cast<qint64>(image.size())) !=
            static_cast<qint64>(image.size()))
        return;
    file.close();
    platform.dialogNames << QStringLiteral("7-order-like");
    window.OrderLike(file.fileName());
}

// The preview of "Import transponders..." for the satellite the transponder page shows: a list written to
// a temporary file with some of its transponders drifted or changed, a few new ones, one DVB-S2 and one
// whose FEC the receiver has no code for.
void ShowImportPreview(TForm1& window, ScreenshotPlatform& platform) {
    const ChannelDatabase& db = window.Session().Database();
    const std::vector<std::uint16_t> there = BuildSatelliteTransponderList(db, 0);
    if (db.satelliteCount == 0 || there.size() < 4) return;
    const int position = SignedPosition(ReadSatellite(db, 0)).value_or(ReadSatellite(db, 0).Position());
    QTemporaryDir dir;
    if (!dir.isValid()) return;
    const auto entry = [](std::uint32_t khz, int pol, unsigned rate, unsigned fec, int system = 0) {
        return QStringLiteral("\t\t<transponder frequency=\"%1\" symbol_rate=\"%2\" polarization=\"%3\" "
                              "fec_inner=\"%4\" system=\"%5\" modulation=\"%6\"/>\n")
            .arg(khz).arg(rate * 1000).arg(pol).arg(fec).arg(system).arg(system + 1);
    };
    QString list = QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<satellites>\n\t<sat name=\"%1 %2\" "
                                  "flags=\"1\" position=\"%3\">\n")
                       .arg(QString::fromStdString(FormatSignedPosition(position)),
                            FromBytes(ReadSatellite(db, 0).Name()))
                       .arg(position);
    for (std::size_t i = 0; i < there.size(); ++i) {
        const TransponderRecord& t = db.transponders[there[i]];
        const unsigned rate = i == 1 ? 30000u : t.SymbolRate();
        list += entry(t.Frequency() + (i == 0 ? 1000 : 0), t.Polarity(), rate, FecInnerOf(t.Fec()));
    }
    list += entry(12604000, 0, 22000, 5) + entry(12633000, 1, 22000, 5) + entry(12662000, 0, 22000, 9) +
            entry(12692000, 1, 27500, 2, 1) + QStringLiteral("\t</sat>\n</satellites>\n");
    QFile file(dir.filePath(QStringLiteral("satellites.xml")));
    if (!file.open(QIODevice::WriteOnly) || file.write(list.toUtf8()) < 0) return;
    file.close();
    platform.dialogNames << QStringLiteral("8-import-transponders");
    window.ImportTransponders(file.fileName());
}

} // namespace

void ScreenshotPlatform::ShowMessage(QWidget*, const QString& text, const QString& caption) {
    std::cerr << "[" << caption.toStdString() << "] " << text.toStdString() << '\n';
}

int ScreenshotPlatform::ExecDialog(QDialog& dialog) {
    if (dialogNames.isEmpty()) return QDialog::Rejected;
    dialog.show();
    QApplication::processEvents();
    const QString path = QDir(m_folder).filePath(dialogNames.takeFirst() + QStringLiteral(".png"));
    if (dialog.grab().save(path)) written << path;
    dialog.hide();
    return QDialog::Rejected;
}

QStringList TakeScreenshots(TForm1& window, ScreenshotPlatform& platform, const QString& folder) {
    QDir().mkpath(folder);
    auto* pages = window.findChild<QTabWidget*>(QStringLiteral("PageControl1"));
    static const char* const names[] = {"1-satellites", "2-transponders", "3-channels", "4-favourites"};
    QStringList written;
    for (int i = 0; i < 4; ++i) {
        pages->setCurrentIndex(i);
        if (i == 1) ChooseFirstSatellite(window);
        written << Save(window, folder, QString::fromLatin1(names[i]));
        if (i == 2) written << SaveCaSystemView(window, folder);
    }
    pages->setCurrentIndex(0);
    written << SaveToolsMenu(window, folder);
    ShowOrderPreview(window, platform);
    ShowImportPreview(window, platform);
    written << platform.written;
    written << SaveCompareView(window, folder);
    written.removeAll(QString());
    return written;
}

} // namespace tcn
