#include "platform.h"

#include "tform2.h"

#include <QDesktopServices>
#include <QFileDialog>
#include <QMessageBox>

namespace tcn {

void DesktopPlatform::ShowMessage(QWidget* parent, const QString& text, const QString& caption) {
    QMessageBox box(QMessageBox::NoIcon, caption, text, QMessageBox::Ok, parent);
    box.exec();
}

QString DesktopPlatform::ChooseOpenFile(QWidget* parent, const QString& caption, const QString& startFolder,
                                        const QString& filter) {
    return QFileDialog::getOpenFileName(parent, caption, startFolder, filter);
}

int DesktopPlatform::ExecChooser(TForm2& dialog) { return dialog.exec(); }

void DesktopPlatform::OpenExternal(const QUrl& url) { QDesktopServices::openUrl(url); }

} // namespace tcn
