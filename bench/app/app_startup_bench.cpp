// Start-up to the first painted main window: the application object, document, frame (menus,
// toolbar pictures, status bar), view and plot, the simulated logger backend, the command
// line, and a synchronous paint of the shown window. The first run in a fresh process (fonts,
// styles and resources loaded for the first time) is measured on its own, then warm starts.
// The target is under 0.5 s for QApplication plus the cold start. Runs on the offscreen
// platform unless one is set (QT_QPA_PLATFORM=xcb under Xvfb measures a real X connection).
#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <memory>

#include "core/app/logger_model.h"
#include "gui/app/cmain_frame.h"
#include "gui/app/command_line.h"
#include "gui/app/cskein_app.h"
#include "sim/sim_detector.h"
#include "sim/simulated_logger.h"

namespace {

QString g_recording; // a recording opened from the command line in the "with file" case
double g_qapplicationSeconds = 0.0; // constructing QApplication, once per process

double startOnce(bool withFile) {
    QElapsedTimer clock;
    clock.start();
    auto app = std::make_unique<quillmark::CSkeinApp>();
    app->setBackend(std::make_unique<quillmark::sim::SimulatedLogger>(),
                    std::make_unique<quillmark::sim::SimDetector>());
    QStringList args{QStringLiteral("quillmark")};
    if (withFile)
        args << g_recording;
    if (!app->initInstance(quillmark::parseCommandLine(args)))
        return -1.0;
    app->mainFrame()->repaint(); // painted, not just scheduled
    const double seconds = static_cast<double>(clock.nsecsElapsed()) / 1e9;
    app.reset();
    QCoreApplication::processEvents();
    return seconds;
}

// Each iteration's time is one start-up's, up to the first paint of the main window.
void timeStarts(benchmark::State& state, bool withRecording) {
    for (auto _ : state) {
        const double s = startOnce(withRecording);
        if (s < 0) {
            state.SkipWithError("start-up failed");
            return;
        }
        state.SetIterationTime(s);
    }
}

// The platform connection and QApplication, which a fresh process pays before the cold start.
void BM_QApplicationConstruction(benchmark::State& state) {
    for (auto _ : state)
        state.SetIterationTime(g_qapplicationSeconds);
}
BENCHMARK(BM_QApplicationConstruction)
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

void BM_ColdStartToFirstPaint(benchmark::State& state) {
    timeStarts(state, false);
}
BENCHMARK(BM_ColdStartToFirstPaint)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_StartToFirstPaint(benchmark::State& state) {
    timeStarts(state, false);
}
BENCHMARK(BM_StartToFirstPaint)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_StartWithRecordingToFirstPaint(benchmark::State& state) {
    timeStarts(state, true);
}
BENCHMARK(BM_StartWithRecordingToFirstPaint)->UseManualTime()->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir home; // no user settings are read or written
    qputenv("XDG_CONFIG_HOME", home.path().toLocal8Bit());
    QElapsedTimer clock;
    clock.start();
    QApplication qapp(argc, argv);
    g_qapplicationSeconds = static_cast<double>(clock.nsecsElapsed()) / 1e9;
    g_recording = QStringLiteral(QUILLMARK_SOURCE_DIR "/tests/data/sample.smpq");
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
