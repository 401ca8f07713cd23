#pragma once
// The Qt application object of the commands that draw: fonts need one, and with no display
// it runs on the offscreen platform, so the commands also run over ssh and in CI.
#include <QGuiApplication>
#include <cstdio>
#include <string>

#include "render/headless.h"

namespace quillmark::cli {

// Call once before drawing; `command` prefixes Qt's own failures on stderr.
inline void startHeadlessGui(const char* command) {
    useOffscreenWithoutDisplay();
    static std::string prefix;
    prefix = std::string("quillmark-cli ") + command + ": ";
    // Qt's own warnings (a missing runtime folder, font lookups) are not the command's
    // business; its failures come back as errors.
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& text) {
        if (type == QtCriticalMsg || type == QtFatalMsg)
            std::fprintf(stderr, "%s%s\n", prefix.c_str(), qPrintable(text));
    });
    if (!QGuiApplication::instance()) {
        static int argc = 1;
        static char name[] = "quillmark-cli";
        static char* argv[] = {name, nullptr};
        static QGuiApplication app(argc, argv);
    }
}

} // namespace quillmark::cli
