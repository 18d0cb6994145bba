#pragma once
// Pictures of the window for the documentation and for a first look on a machine without a display: one
// PNG per page, taken after the page was shown as a user would show it.

#include <QString>
#include <QStringList>

namespace tcn {

class TForm1;

// Shows each page of `window` in turn and saves it as a PNG in `folder`; returns the paths written.
QStringList TakeScreenshots(TForm1& window, const QString& folder);

} // namespace tcn
