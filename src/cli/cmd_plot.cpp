// quillmark-cli plot FILE.smpq [COMPARED.smpq ...] -o OUT.png|OUT.svg [--align start|clock]
// [--size WxH] [--unit 0-4] [--first N] [--last M] [--fit]
// The only command with Qt: it draws with the window's own drawing code on the offscreen
// platform, so it runs without a display.
#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>

#include "cli/command.h"
#include "cli/headless_app.h"
#include "cli/options.h"
#include "core/analysis/range_analysis.h"
#include "core/data/recording_file.h"
#include "core/data/sample_text.h"
#include "core/plot/column_reduction.h"
#include "core/plot/plot_colours.h"
#include "core/plot/plot_geometry.h"
#include "core/plot/plot_layout.h"
#include "core/plot/plot_scene.h"
#include "core/plot/plot_view.h"
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
                 "Usage: quillmark-cli plot FILE.smpq [COMPARED.smpq ...] -o OUT.png|OUT.svg\n"
                 "                          [--align start|clock] [--size WxH] [--unit 0-4]\n"
                 "                          [--first N] [--last M] [--fit] [--scale F]\n\n"
                 "Draws the recording's plot as the window shows it, without a display.\n"
                 "By default the whole recording (View All) at 1280x800. Up to 8 further\n"
                 "recordings are drawn over it as compared runs, placed by elapsed time.\n\n"
                 "  -o, --output FILE  image to write; PNG or SVG by its name\n"
                 "  --align start|clock  compared runs start with FILE (default) or are placed\n"
                 "                     by their own start times\n"
                 "  --size WxH         image size in pixels (default 1280x800)\n"
                 "  --unit N           display unit row: 0 base unit, 1 ft/min, 2 knots, 3 km/h,"
                 " 4 MPH\n"
                 "                     (1 to 4 for air-speed recordings only)\n"
                 "  --first N          first sample of the time window (0-based)\n"
                 "  --last M           last sample of the time window\n"
                 "  --fit              fit the value axis to the samples shown (compared runs\n"
                 "                     included)\n"
                 "  --scale F          PNG pixels per image pixel, 1 to 4 (default 1): the same\n"
                 "                     picture drawn sharper for high-resolution documents\n");
}

bool parseSize(const std::string& text, int& width, int& height) {
    const auto x = text.find('x');
    if (x == std::string::npos)
        return false;
    const auto w = parseSampleIndex(std::string_view(text).substr(0, x));
    const auto h = parseSampleIndex(std::string_view(text).substr(x + 1));
    if (!w || !h || *w < kMinWidth || *h < kMinHeight || *w > kMaxSide || *h > kMaxSide)
        return false;
    width = static_cast<int>(*w);
    height = static_cast<int>(*h);
    return true;
}

constexpr double kMaxScale = 4.0;

std::optional<double> parseScale(const std::string& text) {
    if (text.empty() || text.find_first_not_of("0123456789.") != std::string::npos)
        return std::nullopt;
    char* end = nullptr;
    const double f = std::strtod(text.c_str(), &end);
    if (end != text.c_str() + text.size() || !(f >= 1.0 && f <= kMaxScale))
        return std::nullopt;
    return f;
}

int usageError(const std::string& why) {
    std::fprintf(stderr, "quillmark-cli plot: %s\n", why.c_str());
    return 2;
}

const CommandSyntax kPlotSyntax{"plot",
                                {{"--output", "-o", OptionKind::Value},
                                 {"--size", "", OptionKind::Value},
                                 {"--unit", "", OptionKind::Value},
                                 {"--first", "", OptionKind::Value},
                                 {"--last", "", OptionKind::Value},
                                 {"--fit", "", OptionKind::Flag},
                                 {"--align", "", OptionKind::Value},
                                 {"--scale", "", OptionKind::Value}},
                                1,
                                1 + kMaxComparedRuns};

int runPlot(const std::vector<std::string>& args) {
    const auto parsed = parseOptions(kPlotSyntax, args);
    if (!parsed)
        return kUsageExit;
    if (parsed->help()) {
        plotUsage(stdout);
        return 0;
    }
    const std::string input = parsed->positional()[0];
    const std::string output = parsed->value("--output").value_or("");
    const std::string sizeText = parsed->value("--size").value_or("");
    const std::optional<int> unitArg = parseUnitOption(*parsed);
    const bool fit = parsed->has("--fit");
    if (output.empty()) {
        plotUsage(stderr);
        return kUsageExit;
    }
    int width = kDefaultWidth;
    int height = kDefaultHeight;
    if (!sizeText.empty() && !parseSize(sizeText, width, height))
        return usageError("--size takes WxH, each side " + std::to_string(kMinWidth) + " to " +
                          std::to_string(kMaxSide) + " wide and " + std::to_string(kMinHeight) +
                          " to " + std::to_string(kMaxSide) + " high");
    if (!unitArg)
        return usageError(kUnitRangeError);
    double scale = 1.0;
    if (const auto text = parsed->value("--scale")) {
        const std::optional<double> f = parseScale(*text);
        if (!f)
            return usageError("--scale takes a number from 1 to 4, not '" + *text + "'");
        if (std::lround(width * *f) > kMaxSide || std::lround(height * *f) > kMaxSide)
            return usageError("--scale makes the image larger than " + std::to_string(kMaxSide) +
                              " pixels a side");
        scale = *f;
    }
    std::optional<std::int64_t> firstArg, lastArg;
    for (auto [name, value] : {std::pair{"--first", &firstArg}, std::pair{"--last", &lastArg}}) {
        if (const auto text = parsed->value(name); text && !(*value = parseSampleIndex(*text)))
            return usageError(std::string(name) + " takes a sample index, not '" + *text + "'");
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

    const std::string align = parsed->value("--align").value_or("start");
    if (align != "start" && align != "clock")
        return usageError("--align takes start or clock");
    const std::vector<std::string>& files = parsed->positional();
    const bool several = files.size() > 1;
    auto loaded = several ? loadNamedRecordingOrSay(input) : loadRecordingOrSay(input);
    if (!loaded)
        return 1;
    std::vector<std::shared_ptr<const Recording>> compared;
    for (std::size_t i = 1; i < files.size(); ++i) {
        auto run = loadNamedRecordingOrSay(files[i]);
        if (!run)
            return 1;
        compared.push_back(std::make_shared<const Recording>(std::move(run->recording)));
    }
    if (const auto unitError = unitModelError(loaded->model, *unitArg))
        return usageError(*unitError);
    const Recording& rec = loaded->recording; // until the plot model takes it
    const std::int64_t n = presentSampleCount(rec);
    const bool windowed = firstArg || lastArg;
    const std::int64_t first = firstArg.value_or(0);
    const std::int64_t last = lastArg.value_or(n - 1);
    if (const auto rangeError = sampleRangeError(firstArg, lastArg, n, false))
        return usageError(*rangeError);
    const std::optional<std::int64_t> start = startTime(rec);
    if (!start) {
        std::fprintf(stderr, "quillmark-cli plot: %s\n", kStartTimeError);
        return 1;
    }

    PlotView view;
    PlotGeometry& g = view.geometry();
    g.resize(width, height);
    view.setRecording(std::make_shared<const Recording>(std::move(loaded->recording)), *start);
    view.resetView();
    if (windowed) {
        g.xOffset = static_cast<double>(first);
        g.xScale = static_cast<double>(last - first) / g.plotWidth;
    }
    view.setAlignment(align == "clock" ? RunAlignment::ByClock : RunAlignment::AtStart);
    for (auto& run : compared)
        view.addRun(std::move(run));
    const int unit = *unitArg;
    view.display().unitIndex = unit;
    if (fit && n > 0) {
        const double factor = displayUnit(loaded->model, unit).factor;
        if (const auto span = view.fittedValues(first, last)) {
            // The value axis keeps base units; the unit factor applies when drawing.
            g.yOffset = span->low / factor;
            g.yScale = (span->high - span->low) / factor / g.plotHeight;
        }
    }
    // The colours the application saved; without a settings file, the defaults.
    const std::string iniPath = settingsIniPath();
    IniStore ini;
    ini.load(iniPath);
    view.display().colours = readPlotColours(ini);
    const PlotScene scene = view.scene(loaded->model);

    startHeadlessGui("plot");
    std::string error;
    // Neither the recording nor the settings file may be overwritten by the image.
    std::vector<std::string> keep(files.begin(), files.end());
    keep.push_back(iniPath);
    if (!savePlotImage(scene, screenFrame(width, height, g), output, &error, keep, scale)) {
        std::fprintf(stderr, "quillmark-cli plot: %s\n", error.c_str());
        return 1;
    }
    return 0;
}

const CommandRegistrar registrar({"plot", "draw the plot as a PNG or SVG image", runPlot});

} // namespace
} // namespace quillmark::cli
