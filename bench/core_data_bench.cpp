// Recorded-data throughput on a 10,000,000-sample recording: opening the recording file
// against one fread of the same bytes, and the spreadsheet export in lines per second.
// Lines per second differ between machines, so the same run also measures two baselines
// for the export: a plain writer of the same lines (snprintf and localtime_r per line)
// and a bare write(2) of the exporter's bytes; ratios.py divides by them.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <unistd.h>
#include <utility>

#include "core/common/byte_order.h"
#include "core/data/recording_file.h"
#include "core/data/spreadsheet_export.h"

using namespace quillmark;

namespace {

constexpr std::int32_t kSamples = 10'000'000;
constexpr std::int32_t kCheckSamples = 100'000;
constexpr std::int32_t kModel = 710;

[[noreturn]] void giveUp(const std::string& message) {
    std::fprintf(stderr, "quillmark_core_bench: %s\n", message.c_str());
    std::exit(EXIT_FAILURE); // still runs the static destructors, so the folder goes
}

// Everything the benchmarks write goes into one folder of their own, removed at exit.
const std::string& benchDir() {
    struct Dir {
        std::string path;
        Dir() {
            std::string t =
                (std::filesystem::temp_directory_path() / "quillmark-bench-XXXXXX").string();
            if (::mkdtemp(t.data()) == nullptr)
                giveUp("cannot create a temporary folder: " + std::string(std::strerror(errno)));
            path = t;
        }
        ~Dir() {
            std::error_code ec;
            std::filesystem::remove_all(path, ec);
        }
    };
    static const Dir dir;
    return dir.path;
}

void useBerlinTime() {
    // The long recordings cross a daylight-saving change there.
    static const bool set = [] {
        setenv("TZ", "Europe/Berlin", 1);
        tzset();
        return true;
    }();
    (void)set;
}

struct LocalStart {
    int year, month, day, hour, minute;
};
constexpr LocalStart kBeforeOctoberChange{2026, 10, 24, 12, 0};
// 100,000 samples at 400 Hz last 250 s and cross the change at 02:00.
constexpr LocalStart kBeforeMarchChange{2026, 3, 29, 1, 58};

Recording makeRecording(std::int32_t count, bool fast, LocalStart at) {
    Recording rec;
    putU32LE(&rec.header[block::kIntervalSeconds], fast ? 0 : 1);
    putI32LE(&rec.header[block::kStartYear], at.year);
    rec.header[block::kStartMonth] = static_cast<std::uint8_t>(at.month);
    rec.header[block::kStartDay] = static_cast<std::uint8_t>(at.day);
    rec.header[block::kStartHour] = static_cast<std::uint8_t>(at.hour);
    rec.header[block::kStartMinute] = static_cast<std::uint8_t>(at.minute);
    rec.header[block::kModeFlags] = fast ? 0x12 : 0x02;
    rec.samples.resize(static_cast<std::size_t>(count));
    std::uint32_t x = 12345;
    for (auto& s : rec.samples) {
        x = x * 1664525u + 1013904223u;
        s = static_cast<std::uint16_t>((x >> 16) % 33000); // some above 31000: "OL"
    }
    rec.sampleCount = count;
    computeStatistics(rec);
    return rec;
}

const Recording& bigRecording(bool fast) {
    static const Recording whole = makeRecording(kSamples, false, kBeforeOctoberChange);
    static const Recording quick = makeRecording(kSamples, true, kBeforeOctoberChange);
    return fast ? quick : whole;
}

const char* caseName(bool fast) {
    return fast ? "fast sampling" : "whole seconds";
}

bool writeAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

// ---- the plain writer: the obvious way to produce the export's lines ----

void plainLocalTime(char* buf, std::size_t size, std::time_t t, const char* fraction) {
    std::tm tm{};
    if (localtime_r(&t, &tm) == nullptr) {
        tm.tm_mday = 0; // prints as the 0 date and -1 time
        tm.tm_mon = -1;
        tm.tm_year = -1900;
        tm.tm_hour = tm.tm_min = tm.tm_sec = -1;
    }
    std::snprintf(buf, size, "%.2d-%.2d-%d,%.2d:%.2d:%.2d%s", tm.tm_mday, tm.tm_mon + 1,
                  tm.tm_year + 1900, tm.tm_hour, tm.tm_min, tm.tm_sec, fraction);
}

void plainValue(char* buf, std::size_t size, double value) {
    if (value > 31.0)
        std::snprintf(buf, size, "OL");
    else
        std::snprintf(buf, size, "%.2f", value);
}

bool plainSpreadsheetExport(const Recording& rec, const TextSink& sink) {
    const auto start = startTime(rec);
    if (!start)
        return false;
    const DisplayUnit unit = displayUnit(kModel, 0);
    const double delta = rec.effectiveInterval();
    const std::int64_t n = presentSampleCount(rec);
    std::string out;
    char line[256], value[64], when[96], fraction[32];

    plainLocalTime(when, sizeof when, static_cast<std::time_t>(*start), "");
    std::snprintf(line, sizeof line, "StartTime\t%s\t\r\n", when);
    out += line;
    for (const auto& [label, index] :
         {std::pair{"Max", rec.maxIndex}, std::pair{"Min", rec.minIndex}}) {
        if (index < 0 || index >= n) {
            std::snprintf(line, sizeof line, "%s\t-- @ --  %s\t\r\n", label, unit.name);
        } else {
            plainValue(value, sizeof value,
                       rec.samples[static_cast<std::size_t>(index)] * unit.factor / 1000.0);
            const auto t = *start + static_cast<std::int64_t>(delta * index);
            plainLocalTime(when, sizeof when, static_cast<std::time_t>(t), "");
            std::snprintf(line, sizeof line, "%s\t%s @ %s  %s\t\r\n", label, value, when,
                          unit.name);
        }
        out += line;
    }
    plainValue(value, sizeof value, rec.average);
    std::snprintf(line, sizeof line, "Average\t%s\t\r\n", value);
    out += line;
    if (rec.fastSampling())
        std::snprintf(line, sizeof line, "SampleRate\t%.4f second\t\r\n", delta);
    else
        std::snprintf(line, sizeof line, "SampleRate\t%u second\t\r\n", rec.intervalSeconds());
    out += line;
    out += "ID\tValue\tUnit\tDateTime\t\r\n";

    for (std::int64_t i = 0; i < n; ++i) {
        std::int64_t t = *start;
        const char* fractionText = "";
        if (delta >= 1.0) {
            t += static_cast<std::int64_t>(static_cast<double>(i) * delta);
        } else {
            t += static_cast<std::int64_t>(static_cast<double>(i + 1) * delta);
            const double product = static_cast<double>(i) * delta;
            const auto f = static_cast<float>(product - static_cast<std::int32_t>(product));
            std::snprintf(fraction, sizeof fraction, "%.4f", static_cast<double>(f));
            fractionText = fraction + 1; // ".dddd"
        }
        plainLocalTime(when, sizeof when, static_cast<std::time_t>(t), fractionText);
        const double v = rec.samples[static_cast<std::size_t>(i)] * unit.factor / 1000.0;
        const int len = v > 31.0 ? std::snprintf(line, sizeof line, "%lld\tOL\t%s\t%s\t\r\n",
                                                 static_cast<long long>(i), unit.name, when)
                                 : std::snprintf(line, sizeof line, "%lld\t%.2f\t%s\t%s\t\r\n",
                                                 static_cast<long long>(i), v, unit.name, when);
        out.append(line, static_cast<std::size_t>(len));
        if (out.size() >= (1u << 20)) { // the exporter's chunk size
            if (!sink(out))
                return false;
            out.clear();
        }
    }
    return sink(out);
}

bool plainSpreadsheetExportToFile(const std::string& path, const Recording& rec) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        return false;
    bool ok = plainSpreadsheetExport(rec, [fd](std::string_view c) { return writeAll(fd, c); });
    ok = ::fsync(fd) == 0 && ok; // the exporter syncs before its rename
    return ::close(fd) == 0 && ok;
}

std::string renderToString(const Recording& rec, bool plain) {
    useBerlinTime();
    std::string text;
    const TextSink sink = [&text](std::string_view chunk) {
        text.append(chunk);
        return true;
    };
    if (!(plain ? plainSpreadsheetExport(rec, sink)
                : renderSpreadsheetExport(rec, 0, kModel, sink)))
        giveUp(std::string(plain ? "the plain writer" : "the exporter") + " failed");
    return text;
}

std::string shownLine(const std::string& text, std::size_t at) {
    const std::size_t end = at == 0 ? std::string::npos : text.rfind('\n', at - 1);
    const std::size_t begin = end == std::string::npos ? 0 : end + 1;
    std::string shown;
    for (std::size_t i = begin; i < text.size() && text[i] != '\n'; ++i)
        shown += text[i] == '\t' ? "\\t" : text[i] == '\r' ? "\\r" : std::string(1, text[i]);
    return shown;
}

// The plain writer is only a baseline if it writes the very same bytes; checked once.
void checkPlainWriter() {
    static const bool checked = [] {
        for (const bool fast : {false, true}) {
            const Recording rec = makeRecording(kCheckSamples, fast,
                                                fast ? kBeforeMarchChange : kBeforeOctoberChange);
            const std::string expected = renderToString(rec, false);
            const std::string plain = renderToString(rec, true);
            if (plain == expected)
                continue;
            const auto at = static_cast<std::size_t>(
                std::mismatch(expected.begin(), expected.end(), plain.begin(), plain.end()).first -
                expected.begin());
            giveUp("the plain writer's " + std::string(caseName(fast)) +
                   " output differs from the exporter's at byte " + std::to_string(at) +
                   ":\n  exporter:     " + shownLine(expected, at) +
                   "\n  plain writer: " + shownLine(plain, at));
        }
        return true;
    }();
    (void)checked;
}

// The exporter's output of the big recording for the bare write, rendered once per case
// (some 400 MB each; kept, as interleaved repetitions switch between the cases).
const std::string& exporterOutput(bool fast) {
    static const std::string whole = renderToString(bigRecording(false), false);
    if (!fast)
        return whole;
    static const std::string quick = renderToString(bigRecording(true), false);
    return quick;
}

// ---- recording file ----

const std::string& bigFile() {
    static const std::string path = [] {
        const std::string p = benchDir() + "/10M.smpq";
        if (!writeRecordingFile(p, bigRecording(false), kModel))
            giveUp("cannot write " + p);
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

// ---- export: the exporter, the plain writer and the bare write, each case alike ----

void countLines(benchmark::State& state, std::size_t bytes) {
    state.SetItemsProcessed(state.iterations() * kSamples);
    state.counters["MB"] = static_cast<double>(bytes) / 1e6;
}

void inMemory(benchmark::State& state, bool fast, bool plain) {
    useBerlinTime();
    if (plain)
        checkPlainWriter();
    const Recording& rec = bigRecording(fast);
    std::size_t bytes = 0;
    const TextSink sink = [&bytes](std::string_view chunk) {
        bytes += chunk.size();
        benchmark::DoNotOptimize(chunk.data());
        return true;
    };
    for (auto _ : state) {
        bytes = 0;
        if (!(plain ? plainSpreadsheetExport(rec, sink)
                    : renderSpreadsheetExport(rec, 0, kModel, sink)))
            state.SkipWithError("export failed");
    }
    countLines(state, bytes);
}

void toFile(benchmark::State& state, bool fast, bool plain) {
    useBerlinTime();
    if (plain)
        checkPlainWriter();
    const Recording& rec = bigRecording(fast);
    const std::string out = benchDir() + "/export.xls";
    for (auto _ : state) {
        if (!(plain ? plainSpreadsheetExportToFile(out, rec)
                    : writeSpreadsheetExport(out, rec, 0, kModel)))
            state.SkipWithError("export failed");
    }
    std::error_code ec;
    countLines(state, std::filesystem::file_size(out, ec));
    std::filesystem::remove(out, ec);
}

void BM_SpreadsheetExport(benchmark::State& state, bool fast) {
    inMemory(state, fast, false);
}
void BM_SnprintfExport(benchmark::State& state, bool fast) {
    inMemory(state, fast, true);
}
void BM_SpreadsheetExportToFile(benchmark::State& state, bool fast) {
    toFile(state, fast, false);
}
void BM_SnprintfExportToFile(benchmark::State& state, bool fast) {
    toFile(state, fast, true);
}

// The I/O floors: the exporter's bytes, ready made, handed to write(2).
// For the export in memory: written over the same file again and again, so that the figure is
// the kernel's copy into cached pages (fresh pages cost a lot more in some virtual machines).
void BM_BareWrite(benchmark::State& state, bool fast) {
    const std::string& bytes = exporterOutput(fast);
    const std::string out = benchDir() + (fast ? "/bare-fast.xls" : "/bare-whole.xls");
    const int fd = ::open(out.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
    bool ok = fd >= 0 && writeAll(fd, bytes); // the pages exist before the timing starts
    for (auto _ : state) {
        ok = ok && ::lseek(fd, 0, SEEK_SET) == 0 && writeAll(fd, bytes);
        if (!ok)
            state.SkipWithError("write failed");
    }
    if (fd >= 0)
        ::close(fd);
    countLines(state, bytes.size());
}

// For the export to a file: a new file, synced, as the exporter writes one.
void BM_BareWriteSynced(benchmark::State& state, bool fast) {
    const std::string& bytes = exporterOutput(fast);
    const std::string out = benchDir() + "/bare.xls";
    for (auto _ : state) {
        const int fd = ::open(out.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        bool ok = fd >= 0 && writeAll(fd, bytes) && ::fsync(fd) == 0;
        ok = fd >= 0 && ::close(fd) == 0 && ok;
        state.PauseTiming();
        ::unlink(out.c_str());
        state.ResumeTiming();
        if (!ok)
            state.SkipWithError("write failed");
    }
    countLines(state, bytes.size());
}

// Work in memory is timed in CPU time, so that other processes on the machine count little;
// work that waits for the disk needs the wall clock.
const bool exportBenchmarksRegistered = [] {
    struct Family {
        const char* name;
        void (*run)(benchmark::State&, bool fast);
        int repetitions;
        bool wallClock;
    };
    const Family families[] = {
        {"BM_SpreadsheetExport", BM_SpreadsheetExport, 5, false},
        {"BM_SnprintfExport", BM_SnprintfExport, 3, false},
        {"BM_BareWrite", BM_BareWrite, 7, false},
        {"BM_SpreadsheetExportToFile", BM_SpreadsheetExportToFile, 5, true},
        {"BM_SnprintfExportToFile", BM_SnprintfExportToFile, 3, true},
        {"BM_BareWriteSynced", BM_BareWriteSynced, 7, true},
    };
    for (const Family& f : families) {
        for (const bool fast : {false, true}) {
            const std::string name =
                std::string(f.name) + (fast ? "/FastSampling" : "/WholeSeconds");
            auto* b = benchmark::RegisterBenchmark(name.c_str(), f.run, fast);
            b->Unit(benchmark::kMillisecond)->Repetitions(f.repetitions)->ReportAggregatesOnly();
            if (f.wallClock)
                b->UseRealTime();
        }
    }
    return true;
}();

} // namespace
