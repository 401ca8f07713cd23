#pragma once
// The curve and its dots drawn from one column summary per pixel: the same pixels as the plain
// drawing, at a cost that depends on the plot's width rather than on the sample count.
#include <QColor>
#include <QPainter>
#include <QSemaphore>
#include <exception>

#include "core/plot/column_reduction.h"
#include "core/plot/plot_scene.h"

namespace quillmark {

// The mapping the reduced drawing reduces the curve with, for pens `scale` times as wide;
// `dotRunGap` is DotStamp::runGap() of the curve's dot at scale 1.
CurveMapping reducedCurveMapping(const CurveMapping& m, const QColor& colour, double scale,
                                 int dotRunGap);

// The shown curve reduced on another core while the frame draws what lies beneath it (the
// compared runs); the drawing then takes it instead of reducing in turn. Waits for the work
// when it goes out of scope, so it must outlive nothing it was given.
class CurveAhead {
public:
    CurveAhead() = default;
    CurveAhead(const CurveAhead&) = delete;
    CurveAhead& operator=(const CurveAhead&) = delete;
    ~CurveAhead() { wait(); }

    // Starts reducing the curve of `s` under `mapping` (reducedCurveMapping's); in place when
    // no pool thread is free.
    void start(const PlotScene& s, const CurveMapping& mapping);
    // The finished reduction when it was started for `mapping`, else null.
    ReducedCurve* take(const CurveMapping& mapping);

private:
    void wait();

    bool started_ = false;
    CurveMapping mapping_;
    SampleSummary local_; // when the scene's summary is not its samples'
    ReducedCurve* curve_ = nullptr;
    QSemaphore done_;
    std::exception_ptr failed_;
};

// `ahead`: the curve already reduced, or null to reduce it here.
void drawCurveReduced(const PlotScene& s, const CurveMapping& m, QPainter& p, const QColor& colour,
                      CurveAhead* ahead = nullptr);

// The same reduction drawn with pens `scale` times as wide, for a target of finer pixels (a
// high-density screen): one polyline through the column summaries and the merged rows of the
// dot runs, so the cost still depends on the width. The same pixels as the plain drawing.
void drawCurveReducedScaled(const PlotScene& s, const CurveMapping& m, QPainter& p,
                            const QColor& colour, double scale, CurveAhead* ahead = nullptr);

} // namespace quillmark
