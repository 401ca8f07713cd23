// quillmark-cli plot FILE.smpq -o OUT.png|OUT.svg [--size WxH] [--unit 0-4] [--first N]
// [--last M] [--fit]
// The only command with Qt: it draws with the window's own drawing code on the offscreen
// platform, so it runs without a display.
#include <QGuiApplication>
#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>

#include "cli/command.h"
#include "core/analysis/range_analysis.h"
#include "core/data/recording_file.h"
#include "core/data/sample_text.h"
#include "core/plot/column_reduction.h"
#include "core/plot/plot_colours.h"
#include "core/plot/plot_geometry.h"
#include "core/plot/plot_layout.h"
#include "core/plot/plot_scene.h"
#include "core/settings/ini_store.h"
#include "render/plot_image.h"

namespace quillmark::cli {
namespace {

constexpr int kDefaultWidth = 1280;
constexpr int kDefaultHeight = 800;
// The plot area needs a pixel inside the margins; beyond this an image is mostly memory.
constexpr int kMinWidth = 2 * kPlotLeft + 2;
constexpr int kMinHeight = 2 * kPlotTop + 2;
constexpr int kMaxSide = 16384;

void plotUsage(std::FILE* out) {
    std::fprintf(out,
                 "Usage: quillmark-cli plot FILE.smpq -o OUT.png|OUT.svg [--size WxH] "
                 "[--unit 0-4]\n"
                 "                          [--first N] [--last M] [--fit]\n\n"
                 "Draws the recording's plot as the window shows it, without a display.\n"
                 "By default the whole recording (View All) at 1280x800.\n\n"
                 "  -o, --output FILE  image to write; PNG or SVG by its name\n"
                 "  --size WxH         image size in pixels (default 1280x800)\n"
                 "  --unit N           display unit row: 0 base unit, 1 ft/min, 2 knots, 3 km/h,"
                 " 4 MPH\n"
                 "  --first N          first sample of the time window (0-based)\n"
                 "  --last M           last sample of the time window\n"
                 "  --fit              fit the value axis to the samples shown\n");
}

std::optional<std::int64_t> parseCount(std::string_view text) {
    std::int64_t v = 0;
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, v);
    if (text.empty() || text[0] == '-' || text[0] == '+' || ec != std::errc() || ptr != end)
        return std::nullopt;
    return v;
}

bool parseSize(const std::string& text, int& width, int& height) {
    const auto x = text.find('x');
    if (x == std::string::npos)
        return false;
    const auto w = parseCount(std::string_view(text).substr(0, x));
    const auto h = parseCount(std::string_view(text).substr(x + 1));
    if (!w || !h || *w < kMinWidth || *h < kMinHeight || *w > kMaxSide || *h > kMaxSide)
        return false;
    width = static_cast<int>(*w);
    height = static_cast<int>(*h);
    return true;
}

int usageError(const std::string& why) {
    std::fprintf(stderr, "quillmark-cli plot: %s\n", why.c_str());
    return 2;
}

// Qt needs an application object for fonts; with no display it draws on the offscreen
// platform, so the command also runs over ssh and in CI.
void startGui() {
    const auto set = [](const char* name) {
        const char* v = std::getenv(name);
        return v && *v;
    };
    if (!set("QT_QPA_PLATFORM") && !set("DISPLAY") && !set("WAYLAND_DISPLAY"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    // Qt's own warnings (a missing runtime folder, font lookups) are not this command's
    // business; its failures come back as errors.
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& text) {
        if (type == QtCriticalMsg || type == QtFatalMsg)
            std::fprintf(stderr, "quillmark-cli plot: %s\n", qPrintable(text));
    });
    if (!QGuiApplication::instance()) {
        static int argc = 1;
        static char name[] = "quillmark-cli";
        static char* argv[] = {name, nullptr};
        static QGuiApplication app(argc, argv);
    }
}

int runPlot(const std::vector<std::string>& args) {
    if (hasFlag(args, "--help")) {
        plotUsage(stdout);
        return 0;
    }
    std::string input, output, sizeText, unitText = "0", firstText, lastText;
    bool fit = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        std::string* value = (a == "-o" || a == "--output") ? &output
                             : a == "--size"                ? &sizeText
                             : a == "--unit"                ? &unitText
                             : a == "--first"               ? &firstText
                             : a == "--last"                ? &lastText
                                                            : nullptr;
        if (value) {
            if (i + 1 >= args.size())
                return usageError(a + " needs a value");
            *value = args[++i];
        } else if (a == "--fit") {
            fit = true;
        } else if (a.rfind("-", 0) == 0) {
            return usageError("unknown option " + a);
        } else if (input.empty()) {
            input = a;
        } else {
            return usageError("more than one input file");
        }
    }
    if (input.empty() || output.empty()) {
        plotUsage(stderr);
        return 2;
    }
    int width = kDefaultWidth;
    int height = kDefaultHeight;
    if (!sizeText.empty() && !parseSize(sizeText, width, height))
        return usageError("--size takes WxH, each side " + std::to_string(kMinWidth) + " to " +
                          std::to_string(kMaxSide) + " wide and " + std::to_string(kMinHeight) +
                          " to " + std::to_string(kMaxSide) + " high");
    if (unitText.size() != 1 || unitText[0] < '0' || unitText[0] > '4')
        return usageError("--unit takes 0 to 4");
    // -1: not given.
    std::int64_t firstArg = -1;
    std::int64_t lastArg = -1;
    for (auto [text, value] : {std::pair{&firstText, &firstArg}, std::pair{&lastText, &lastArg}}) {
        if (text->empty())
            continue;
        const auto v = parseCount(*text);
        if (!v)
            return usageError("--first and --last take a sample index");
        *value = *v;
    }
    {
        std::string lower = output;
        for (char& c : lower)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        const auto endsWith = [&lower](const char* tail) {
            const std::string t(tail);
            return lower.size() > t.size() &&
                   lower.compare(lower.size() - t.size(), t.size(), t) == 0;
        };
        if (!endsWith(".png") && !endsWith(".svg"))
            return usageError("the output must end in .png or .svg");
    }

    const auto loaded = loadRecordingOrSay(input);
    if (!loaded)
        return 1;
    const Recording& rec = loaded->recording;
    const std::int64_t n = presentSampleCount(rec);
    const bool windowed = firstArg >= 0 || lastArg >= 0;
    const std::int64_t first = firstArg >= 0 ? firstArg : 0;
    const std::int64_t last = lastArg >= 0 ? lastArg : n - 1;
    if (windowed) {
        if (n == 0 || first >= n || last >= n)
            return usageError("the range " + std::to_string(first) + ".." + std::to_string(last) +
                              " lies outside the recording's samples 0.." + std::to_string(n - 1));
        if (first >= last)
            return usageError("--first " + std::to_string(first) + " must be before --last " +
                              std::to_string(last));
    }
    const std::optional<std::int64_t> start = startTime(rec);
    if (!start) {
        std::fprintf(stderr, "quillmark-cli plot: %s\n", kStartTimeError);
        return 1;
    }

    const auto count = static_cast<std::int32_t>(std::min<std::int64_t>(n, INT32_MAX));
    PlotGeometry g;
    g.resize(width, height);
    g.resetView(count);
    if (windowed) {
        g.xOffset = static_cast<double>(first);
        g.xScale = static_cast<double>(last - first) / g.plotWidth;
    }
    const int unit = unitText[0] - '0';
    if (fit && n > 0) {
        const double factor = displayUnit(loaded->model, unit).factor;
        if (const auto span = RangeAnalysis(rec).fitValues(first, last, factor)) {
            // The value axis keeps base units; the unit factor applies when drawing.
            g.yOffset = span->low / factor;
            g.yScale = (span->high - span->low) / factor / g.plotHeight;
        }
    }

    const SampleSummary summary(rec.samples.data(), count);
    PlotScene scene;
    scene.xOffset = g.xOffset;
    scene.xMin = g.xMin;
    scene.yOffset = g.yOffset;
    scene.yMin = g.yMin;
    scene.samples = rec.samples.empty() ? nullptr : rec.samples.data();
    scene.sampleCount = count;
    scene.summary = &summary;
    scene.unitIndex = unit;
    scene.alarmLow = rec.alarmLow();
    scene.alarmHigh = rec.alarmHigh();
    scene.sampleInterval = rec.effectiveInterval();
    scene.startTime = *start;
    scene.maxIndex = rec.maxIndex;
    scene.minIndex = rec.minIndex;
    scene.average = rec.average;
    scene.model = loaded->model;
    // The colours the application saved; without a settings file, the defaults.
    IniStore ini;
    ini.load(settingsIniPath());
    scene.colours = readPlotColours(ini);

    startGui();
    std::string error;
    if (!savePlotImage(scene, screenFrame(width, height, g), output, &error)) {
        std::fprintf(stderr, "quillmark-cli plot: %s\n", error.c_str());
        return 1;
    }
    return 0;
}

const CommandRegistrar registrar({"plot", "draw the plot as a PNG or SVG image", runPlot});

} // namespace
} // namespace quillmark::cli
