#include "core/plot/plot_layout.h"

#include <algorithm>
#include <cmath>

namespace quillmark {

PlotFrame screenFrame(std::int32_t clientWidth, std::int32_t clientHeight, const PlotGeometry& g) {
    PlotFrame f;
    f.right = clientWidth;
    f.bottom = clientHeight;
    f.leftMargin = g.leftMargin;
    f.xScale = g.xScale;
    f.yScale = g.yScale;
    return f;
}

PlotFrame deviceFrame(const PlotFrame& f, double ratio) {
    if (!(ratio > 0.0) || ratio == 1.0 || f.plotWidth() < 1 || f.plotHeight() < 1) {
        return f;
    }
    const auto px = [ratio](int v) { return static_cast<int>(std::lround(v * ratio)); };
    PlotFrame d = f;
    d.left = px(f.left);
    d.top = px(f.top);
    d.right = px(f.right);
    d.bottom = px(f.bottom);
    d.leftMargin = px(f.leftMargin);
    d.rightMargin = px(f.rightMargin);
    d.topMargin = px(f.topMargin);
    if (d.plotWidth() < 1 || d.plotHeight() < 1) {
        return f;
    }
    d.xScale = f.plotWidth() * f.xScale / d.plotWidth();
    d.yScale = f.plotHeight() * f.yScale / d.plotHeight();
    d.fontHeight = std::max(1, px(f.fontHeight));
    d.penScale = f.penScale * ratio;
    return d;
}

PlotFrame printLayout(int horzRes, int vertRes, const PlotGeometry& screen) {
    PlotFrame f;
    f.topMargin = static_cast<int>(vertRes / 20.0);
    f.leftMargin = static_cast<int>(horzRes / 10.0);
    f.rightMargin = f.leftMargin;
    f.fontHeight = static_cast<int>(vertRes / 80.0);
    f.right = horzRes;
    f.bottom = vertRes / 2;
    f.xScale = screen.plotWidth * screen.xScale / (horzRes - 2 * f.leftMargin);
    f.yScale = screen.plotHeight * screen.yScale / (vertRes / 2 - 2 * f.topMargin);
    f.printing = true;
    f.penScale = std::max(1.0, f.fontHeight / double(kScreenFontHeight));
    return f;
}

std::int64_t timeTickSample(int k, int plotWidth, double xScale, double xOffset) {
    const double t = std::trunc(k * (plotWidth * xScale) / double(kTimeTickIntervals) + 0.5);
    return truncToInt64(t + xOffset);
}

std::int64_t secondsAfter(std::int64_t index, float interval) {
    return truncToInt64(static_cast<double>(index) * static_cast<double>(interval));
}

} // namespace quillmark
