#pragma once
// The program's QApplication: an exception that escapes an event handler is shown in a message box and the
// program carries on, instead of unwinding through Qt's event loop (which Qt does not allow).

#include <QApplication>

#include <functional>

namespace tcn {

class TcnApplication : public QApplication {
  public:
    TcnApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
    // Shows the text of an escaped exception; without it the text goes to standard error.
    std::function<void(const QString& text)> showException;
};

} // namespace tcn
