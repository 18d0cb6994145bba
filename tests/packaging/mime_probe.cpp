// Prints "<path> <MIME type>" for each file named on the command line, as Qt's reader of the shared MIME
// database (XDG_DATA_DIRS) resolves it from the name and the content. The packaging check runs it against
// the MIME database built from the installed package.

#include <QCoreApplication>
#include <QMimeDatabase>

#include <iostream>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QMimeDatabase mimes;
    for (int i = 1; i < argc; ++i)
        std::cout << argv[i] << ' '
                  << mimes.mimeTypeForFile(QString::fromLocal8Bit(argv[i])).name().toStdString() << '\n';
    return 0;
}
