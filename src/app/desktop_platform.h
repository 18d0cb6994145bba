#pragma once
// The real dialogs and the desktop services of the machine, behind the platform interface the window and
// its pages use.

#include "platform.h"

namespace tcn {

class DesktopPlatform : public Platform {
  public:
    void ShowMessage(QWidget* parent, const QString& text, const QString& caption) override;
    QString ChooseOpenFile(QWidget* parent, const QString& caption, const QString& startFolder,
                           const QString& filter) override;
    int ExecChooser(TForm2& dialog) override;
    void OpenExternal(const QUrl& url) override;
    UnsavedChoice AskUnsavedChanges(QWidget* parent, const QString& fileName) override;
    QString ChooseSaveFile(QWidget* parent, const QString& caption, const QString& suggestedPath,
                           const QString& filter) override;
};

} // namespace tcn
