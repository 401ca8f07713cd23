// The desktop program: parses the command line, wires the chosen logger backend and runs the
// main window.
#include <QApplication>
#include <cstdio>
#include <memory>
#include <string>

#include "core/link/logger_detector.h"
#include "core/link/vendor_usb.h"
#include "gui/app/command_line.h"
#include "gui/app/cskein_app.h"
#include "sim/sim_detector.h"
#include "sim/simulated_logger.h"
#include "transport/transport_backend.h"

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

    std::unique_ptr<quillmark::VendorUsb> usb;
    std::unique_ptr<quillmark::LoggerDetector> detector;
    if (cmd.backend == QLatin1String("sim")) {
        usb = std::make_unique<quillmark::sim::SimulatedLogger>();
        detector = std::make_unique<quillmark::sim::SimDetector>();
    } else {
        quillmark::transport::TransportBackend backend;
        std::string error;
        if (!quillmark::transport::createTransportBackend(cmd.backend.toStdString(), backend,
                                                          &error)) {
            std::fprintf(stderr, "quillmark: %s\n", error.c_str());
            return 2;
        }
        usb = std::move(backend.vendor);
        detector = std::move(backend.detector);
    }

    quillmark::CSkeinApp skein;
    skein.setBackend(std::move(usb), std::move(detector));
    if (!skein.initInstance(cmd))
        return 1;
    if (skein.printedAndDone())
        return 0;
    return app.exec();
}
