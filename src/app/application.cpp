#include "application.h"

#include <exception>
#include <iostream>

namespace tcn {

TcnApplication::TcnApplication(int& argc, char** argv) : QApplication(argc, argv) {}

bool TcnApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& e) {
        const QString text = QString::fromLocal8Bit(e.what());
        if (showException)
            showException(text);
        else
            std::cerr << "tcnedit: " << e.what() << '\n';
    } catch (...) {
        if (showException)
            showException(QStringLiteral("Unexpected error."));
        else
            std::cerr << "tcnedit: unexpected error\n";
    }
    return false;
}

} // namespace tcn
