#include "screenshots.h"

#include "tform1.h"

#include <QApplication>
#include <QDir>
#include <QPixmap>
#include <QTabWidget>

namespace tcn {

namespace {

QString Save(TForm1& window, const QString& folder, const QString& name) {
    QApplication::processEvents();
    const QString path = QDir(folder).filePath(name + QStringLiteral(".png"));
    return window.grab().save(path) ? path : QString();
}

} // namespace

QStringList TakeScreenshots(TForm1& window, const QString& folder) {
    QDir().mkpath(folder);
    auto* pages = window.findChild<QTabWidget*>(QStringLiteral("PageControl1"));
    static const char* const names[] = {"1-satellites", "2-transponders", "3-channels", "4-favourites"};
    QStringList written;
    for (int i = 0; i < 4; ++i) {
        pages->setCurrentIndex(i);
        written << Save(window, folder, QString::fromLatin1(names[i]));
    }
    pages->setCurrentIndex(0);
    written.removeAll(QString());
    return written;
}

} // namespace tcn
