// The desktop program: parses the command line, wires the chosen logger backend and runs the
// main window.
#include <QApplication>
#include <cstdio>
#include <memory>
#include <string>

#include "backend/logger_backend.h"
#include "core/common/user_message.h"
#include "gui/app/command_line.h"
#include "gui/app/cskein_app.h"
#include "gui/app/ui_text.h"
#include "quillmark/version.h"
#include "render/headless.h"

// Prints the help or version text when asked for; true when that is all there is to do.
static bool answeredAtOnce(const quillmark::CommandLine& cmd) {
    if (cmd.action == quillmark::CommandLine::Action::Help)
        std::fputs(quillmark::commandLineUsage().toLocal8Bit().constData(), stdout);
    else if (cmd.action == quillmark::CommandLine::Action::Version)
        std::printf("quillmark %s\n", quillmark::kVersion);
    else
        return false;
    return true;
}

int main(int argc, char** argv) {
    // --help and --version are answered before QApplication, which needs a display.
    const QStringList arguments = quillmark::argumentsFromArgv(argc, argv);
    const quillmark::CommandLine early = quillmark::parseCommandLine(arguments);
    if (answeredAtOnce(early))
        return 0;
    const bool printJob = early.action == quillmark::CommandLine::Action::Print ||
                          early.action == quillmark::CommandLine::Action::PrintTo;
    if (printJob)
        quillmark::useOffscreenWithoutDisplay();

    QApplication app(argc, argv);
    QApplication::setApplicationName(QString::fromLatin1(quillmark::kAppTitle));
    QApplication::setApplicationVersion(QString::fromLatin1(quillmark::kVersion));
    QApplication::setDesktopFileName(QStringLiteral("org.quillmark.Quillmark"));
    // The windows speak the user's language; the files they write do not change with it.
    quillmark::installUiTranslation();

    const quillmark::CommandLine cmd = quillmark::parseCommandLine(arguments);
    if (answeredAtOnce(cmd))
        return 0;
    if (cmd.action == quillmark::CommandLine::Action::Error) {
        std::fprintf(stderr, "quillmark: %s\n%s", cmd.error.toLocal8Bit().constData(),
                     quillmark::commandLineUsage().toLocal8Bit().constData());
        return 2;
    }

    quillmark::LoggerBackend backend;
    std::string error;
    if (!quillmark::createLoggerBackend(quillmark::encodeLocalPath(cmd.backend).toStdString(),
                                        backend, &error)) {
        std::fprintf(stderr, "quillmark: %s\n", error.c_str());
        return 2;
    }

    quillmark::CSkeinApp skein;
    skein.setBackend(std::move(backend.vendor), std::move(backend.detector));
    if (!skein.initInstance(cmd)) {
        if (!skein.startError().isEmpty())
            std::fprintf(stderr, "quillmark: %s\n", skein.startError().toLocal8Bit().constData());
        return 1;
    }
    if (skein.printedAndDone())
        return 0;
    return app.exec();
}
