#pragma once
// Pictures of the window for the documentation and for a first look on a machine without a display: one
// PNG per page, taken after the page was shown as a user would show it.

#include "desktop_platform.h"

#include <QString>
#include <QStringList>

namespace tcn {

class TForm1;

// The desktop's platform for a run that takes pictures: a dialog of the window is shown, saved as a PNG
// into `folder` under the next name of `dialogNames` and closed (rejected); a message box is printed
// instead of waiting for a click.
class ScreenshotPlatform : public DesktopPlatform {
  public:
    explicit ScreenshotPlatform(QString folder) : m_folder(std::move(folder)) {}
    void ShowMessage(QWidget* parent, const QString& text, const QString& caption) override;
    int ExecDialog(QDialog& dialog) override;
    QStringList dialogNames;
    QStringList written;

  private:
    QString m_folder;
};

// Shows each page of `window` in turn and saves it as a PNG in `folder`, then the Tools menu, the compare
// window and the previews of "Order like another file..." and "Import transponders..." (through
// `platform`); returns the paths written.
QStringList TakeScreenshots(TForm1& window, ScreenshotPlatform& platform, const QString& folder);

} // namespace tcn
