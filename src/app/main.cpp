// tcnedit: the channel editor's window. `tcnedit [FILE]` opens FILE at start-up as Open would.

#include "application.h"
#include "desktop_platform.h"
#include "screenshots.h"
#include "tform1.h"

#include <QFileInfo>
#include <QTimer>

#include <cstdio>
#include <cstring>
#include <iostream>
#include <string>

namespace {

const char* const kUsage =
    "Usage: tcnedit [FILE]\n"
    "Edits the channel file (.TCN) of a digital satellite receiver: satellites, transponders, channels and\n"
    "favourite groups. Save writes NEW_<name> beside the opened file, which itself is never written.\n"
    "\n"
    "  FILE                 a channel file to open at start-up, as Open would\n"
    "  --screenshots DIR    open FILE, save a PNG of each page into DIR, print their paths and quit\n"
    "  --help               this text\n"
    "  --version            the version\n";

} // namespace

int main(int argc, char** argv) {
    std::string file, screenshotDir;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            std::cout << kUsage;
            return 0;
        }
        if (arg == "--version") {
            std::cout << "tcnedit " << TCN_VERSION << '\n';
            return 0;
        }
        if (arg == "--screenshots" && i + 1 < argc) {
            screenshotDir = argv[++i];
        } else if (!arg.empty() && arg[0] == '-' && arg != "-") {
            std::cerr << "tcnedit: unknown option " << arg << "\n\n" << kUsage;
            return 1;
        } else if (file.empty()) {
            file = arg;
        } else {
            std::cerr << "tcnedit: one file at a time\n\n" << kUsage;
            return 1;
        }
    }

    tcn::TcnApplication app(argc, argv);
    app.setApplicationName(QStringLiteral("tcnedit"));
    app.setApplicationVersion(QStringLiteral(TCN_VERSION));
    app.setDesktopFileName(QStringLiteral("tcnedit"));

    tcn::PosixFileSystem files;
    tcn::DesktopPlatform desktop;
    // Taking pictures, dialogs are pictured and closed instead of waiting for the user.
    tcn::ScreenshotPlatform pictures(QString::fromLocal8Bit(screenshotDir.c_str()));
    tcn::Platform& platform = screenshotDir.empty() ? static_cast<tcn::Platform&>(desktop) : pictures;
    tcn::TForm1 window(files, platform);
    app.showException = [&](const QString& text) { platform.ShowMessage(&window, text, QStringLiteral("Error")); };
    window.show();

    if (!screenshotDir.empty()) {
        if (!file.empty()) window.OpenFile(QFileInfo(QString::fromLocal8Bit(file.c_str())).absoluteFilePath());
        for (const QString& path : tcn::TakeScreenshots(window, pictures, QString::fromLocal8Bit(screenshotDir.c_str())))
            std::cout << path.toStdString() << '\n';
        return 0;
    }
    if (!file.empty()) {
        // The path box shows full paths, as after a choice in the open dialog.
        const QString path = QFileInfo(QString::fromLocal8Bit(file.c_str())).absoluteFilePath();
        QTimer::singleShot(0, &window, [&window, path] { window.OpenFile(path); });
    }
    return app.exec();
}
