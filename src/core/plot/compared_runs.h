#pragma once
// Recordings laid over the shown one. A compared sample is placed by elapsed time, not by
// sample number, so runs with another interval (fast sampling included) line up: sample j
// lies at j x its interval (+ its start offset By Clock) seconds after the shown sample 0,
// which is the shown recording's fractional sample index elapsed / the shown interval.
#include <cstdint>
#include <string>
#include <vector>

#include "core/data/recording.h"
#include "core/plot/column_reduction.h"
#include "core/plot/plot_colours.h"

namespace quillmark {

inline constexpr std::size_t kMaxComparedRuns = 8;

enum class RunAlignment { AtStart, ByClock };

// What DrawPlot needs of one visible compared run.
struct ComparedCurve {
    const SampleSummary* summary = nullptr; // the run's samples; not owned
    double interval = 1.0;                  // the run's effective interval, seconds
    double offsetSeconds = 0.0;             // its sample 0 after the shown sample 0
    ColourRef colour = 0;
    std::string label; // legend text
};

// The compared run's sample j as a fractional sample index of the shown recording.
inline double comparedIndex(std::int64_t j, double runInterval, double offsetSeconds,
                            double shownInterval) {
    return (static_cast<double>(j) * runInterval + offsetSeconds) / shownInterval;
}

// The colour of the compared run at `position`: Okabe-Ito's colour-blind-safe set (without
// its black) and a grey, moved off the line and grid colours when it would equal one.
ColourRef comparedRunColour(std::size_t position, const PlotColours& plot);

// A compared curve reduced to what one pixel column can show: polylines (split at
// over-range samples) whose drawing gives the pixels of every segment drawn one by one.
struct ComparedPath {
    std::vector<std::int64_t> xs;
    std::vector<std::int64_t> ys;
    std::vector<std::size_t> starts; // index into xs of each polyline's first point
};

// Reduces `curve` under `map` (the shown curve's mapping) with `shownInterval` the shown
// recording's effective interval. Only samples that can reach the plot area are visited.
void reduceComparedCurve(const ComparedCurve& curve, double shownInterval, const CurveMapping& map,
                         ComparedPath& out);

// The same polylines without reduction: every valid sample is a point (tests and print).
void plainComparedCurve(const ComparedCurve& curve, double shownInterval, const CurveMapping& map,
                        ComparedPath& out);

} // namespace quillmark
