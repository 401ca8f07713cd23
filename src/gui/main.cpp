// The desktop program: parses the command line, chooses the logger backend and runs the
// main window.
#include <QApplication>
#include <cstdio>

#include "gui/app/command_line.h"
#include "gui/app/cskein_app.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quillmark"));
    QApplication::setApplicationVersion(QStringLiteral("2.2"));
    QApplication::setDesktopFileName(QStringLiteral("quillmark"));

    const quillmark::CommandLine cmd = quillmark::parseCommandLine(QApplication::arguments());
    if (cmd.action == quillmark::CommandLine::Action::Help) {
        std::fputs(quillmark::commandLineUsage().toLocal8Bit().constData(), stdout);
        return 0;
    }
    if (cmd.action == quillmark::CommandLine::Action::Error) {
        std::fprintf(stderr, "quillmark: %s\n%s", cmd.error.toLocal8Bit().constData(),
                     quillmark::commandLineUsage().toLocal8Bit().constData());
        return 2;
    }

    quillmark::CSkeinApp skein;
    if (!skein.initInstance(cmd))
        return 1;
    if (skein.printedAndDone())
        return 0;
    return app.exec();
}
