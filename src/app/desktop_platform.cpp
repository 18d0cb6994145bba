#include "desktop_platform.h"

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

QString DesktopPlatform::ChooseSaveFile(QWidget* parent, const QString& caption, const QString& suggestedPath,
                                        const QString& filter) {
    // The dialog asks before it replaces an existing file.
    return QFileDialog::getSaveFileName(parent, caption, suggestedPath, filter);
}

int DesktopPlatform::ExecChooser(TForm2& dialog) { return dialog.exec(); }

void DesktopPlatform::OpenExternal(const QUrl& url) { QDesktopServices::openUrl(url); }

UnsavedChoice DesktopPlatform::AskUnsavedChanges(QWidget* parent, const QString& fileName) {
    QMessageBox box(QMessageBox::Warning, QStringLiteral("Unsaved Changes"),
                    QStringLiteral("The channel list has changes that are not saved."),
                    QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, parent);
    box.setInformativeText(fileName.isEmpty()
                               ? QStringLiteral("Save them before going on?")
                               : QStringLiteral("Save them as %1 before going on?").arg(fileName));
    box.setDefaultButton(QMessageBox::Save);
    box.setEscapeButton(QMessageBox::Cancel);
    switch (box.exec()) {
    case QMessageBox::Save:
        return UnsavedChoice::Save;
    case QMessageBox::Discard:
        return UnsavedChoice::Discard;
    default:
        return UnsavedChoice::Cancel;
    }
}

} // namespace tcn
