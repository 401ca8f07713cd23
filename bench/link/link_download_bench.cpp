// A full 16-page memory from the in-process simulated logger, with the real 1000 ms wait
// before each page. Target: no more than the 16 waits plus 0.5 s; the "overhead_s" counter
// is what the exchange costs beyond the waits.
#include <benchmark/benchmark.h>

#include "core/common/byte_order.h"
#include "core/link/download.h"
#include "core/link/upload.h"
#include "core/link/wire_protocol.h"
#include "sim/simulated_logger.h"

namespace {

using namespace quillmark;

HeaderBlock fullMemoryBlock() {
    HeaderBlock b{};
    putU32LE(b.data() + block::kStartMarker, block::kMarker);
    putU32LE(b.data() + block::kSamplePoints, 32000);
    putU32LE(b.data() + block::kIntervalSeconds, 0); // 400 Hz
    b[block::kModeFlags] = 0x12;
    putU32LE(b.data() + block::kEndMarker, block::kMarker);
    return b;
}

void BM_DownloadFullMemory(benchmark::State& state) {
    const int waitMs = static_cast<int>(state.range(0));
    double overhead = 0.0;
    for (auto _ : state) {
        state.PauseTiming();
        sim::SimulatedLogger logger;
        {
            LoggerLink link(logger);
            if (uploadSettings(link, fullMemoryBlock()).result != UploadResult::Success) {
                state.SkipWithError("upload failed");
                break;
            }
        }
        logger.device().advanceClock(3600.0);
        Recording rec;
        LoggerLink link(logger);
        DownloadOptions options;
        options.pageWaitMs = waitMs;
        state.ResumeTiming();
        const auto start = std::chrono::steady_clock::now();
        const DownloadResult result = downloadRecording(link, rec, options).result;
        const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
        if (result != DownloadResult::Success || rec.sampleCount != 32000) {
            state.SkipWithError("download failed");
            break;
        }
        overhead = took.count() - 16 * waitMs / 1000.0;
    }
    state.counters["overhead_s"] = overhead;
}
BENCHMARK(BM_DownloadFullMemory)
    ->Arg(static_cast<int>(wire::kPageWaitMs))
    ->Arg(0)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

} // namespace
