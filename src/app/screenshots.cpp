#include "screenshots.h"

#include "tform1.h"

#include <QApplication>
#include <QComboBox>
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

} // namespace

QStringList TakeScreenshots(TForm1& window, const QString& folder) {
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
    written.removeAll(QString());
    return written;
}

} // namespace tcn
