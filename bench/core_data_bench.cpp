// Recorded-data throughput on a 10,000,000-sample recording: opening the recording file
// against one fread of the same bytes, and the spreadsheet export in lines per second.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "core/common/byte_order.h"
#include "core/data/recording_file.h"
#include "core/data/spreadsheet_export.h"

using namespace quillmark;

namespace {

constexpr std::int32_t kSamples = 10'000'000;

Recording bigRecording(bool fast) {
    Recording rec;
    putU32LE(&rec.header[block::kIntervalSeconds], fast ? 0 : 1);
    putI32LE(&rec.header[block::kStartYear], 2026);
    rec.header[block::kStartMonth] = 10;
    rec.header[block::kStartDay] = 24;
    rec.header[block::kStartHour] = 12;
    rec.header[block::kModeFlags] = fast ? 0x12 : 0x02;
    rec.samples.resize(kSamples);
    std::uint32_t x = 12345;
    for (auto& s : rec.samples) {
        x = x * 1664525u + 1013904223u;
        s = static_cast<std::uint16_t>((x >> 16) % 33000);
    }
    rec.sampleCount = kSamples;
    computeStatistics(rec);
    return rec;
}

// A folder of this run's own under the temporary folder, removed at exit.
const std::filesystem::path& benchDir() {
    static const struct Dir {
        std::filesystem::path path;
        Dir() {
            std::string pattern =
                (std::filesystem::temp_directory_path() / "quillmark-bench-XXXXXX").string();
            if (::mkdtemp(pattern.data()) == nullptr) {
                std::perror("quillmark bench: no temporary folder");
                std::exit(1);
            }
            path = pattern;
        }
        ~Dir() {
            std::error_code ec;
            std::filesystem::remove_all(path, ec);
        }
    } dir;
    return dir.path;
}

const std::string& bigFile() {
    static const std::string path = [] {
        const std::string p = (benchDir() / "10M.smpq").string();
        writeRecordingFile(p, bigRecording(false), 710);
        return p;
    }();
    return path;
}

void BM_FreadSameBytes(benchmark::State& state) {
    const std::string& path = bigFile();
    const auto size = std::filesystem::file_size(path);
    for (auto _ : state) {
        std::unique_ptr<char[]> buf(new char[size]);
        std::FILE* f = std::fopen(path.c_str(), "rb");
        benchmark::DoNotOptimize(std::fread(buf.get(), 1, size, f));
        std::fclose(f);
        benchmark::DoNotOptimize(buf.get());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * size));
}
BENCHMARK(BM_FreadSameBytes)->Unit(benchmark::kMillisecond)->Repetitions(7)->ReportAggregatesOnly();

void BM_ReadRecordingFile(benchmark::State& state) {
    const std::string& path = bigFile();
    for (auto _ : state) {
        auto loaded = readRecordingFile(path);
        benchmark::DoNotOptimize(loaded);
    }
}
BENCHMARK(BM_ReadRecordingFile)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(7)
    ->ReportAggregatesOnly();

void exportBench(benchmark::State& state, bool fast) {
    setenv("TZ", "Europe/Berlin", 1); // the recording crosses the October change
    tzset();
    const Recording rec = bigRecording(fast);
    std::size_t bytes = 0;
    const TextSink sink = [&bytes](std::string_view chunk) {
        bytes += chunk.size();
        benchmark::DoNotOptimize(chunk.data());
        return true;
    };
    for (auto _ : state) {
        bytes = 0;
        if (!renderSpreadsheetExport(rec, 0, 710, sink))
            state.SkipWithError("export failed");
    }
    state.SetItemsProcessed(state.iterations() * kSamples);
    state.counters["MB"] = static_cast<double>(bytes) / 1e6;
}
void BM_SpreadsheetExportWholeSeconds(benchmark::State& state) {
    exportBench(state, false);
}
void BM_SpreadsheetExportFastSampling(benchmark::State& state) {
    exportBench(state, true);
}
BENCHMARK(BM_SpreadsheetExportWholeSeconds)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly();
BENCHMARK(BM_SpreadsheetExportFastSampling)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly();

void BM_SpreadsheetExportToFile(benchmark::State& state) {
    const Recording rec = bigRecording(false);
    const std::string out = (benchDir() / "export.xls").string();
    for (auto _ : state) {
        if (!writeSpreadsheetExport(out, rec, 0, 710))
            state.SkipWithError("export failed");
    }
    std::filesystem::remove(out);
    state.SetItemsProcessed(state.iterations() * kSamples);
}
BENCHMARK(BM_SpreadsheetExportToFile)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(3)
    ->ReportAggregatesOnly();

} // namespace
