#include "gui/plot/draw_plot.h"

#include <QFontMetrics>
#include <QImage>
#include <QLine>
#include <QPen>
#include <QString>
#include <QVector>
#include <algorithm>
#include <array>
#include <cmath>
#include <ctime>
#include <optional>
#include <vector>

#include "core/plot/plot_geometry.h"

namespace quillmark {

namespace {

constexpr std::array<double, 5> kUnitFactors = {1.0, 196.87, 1.944, 3.6, 2.24};

const char* unitName(std::int32_t model, std::int32_t unitIndex) {
    static constexpr std::array<const char*, 5> kTail = {"", "ft/min", "knots", "km/h", "MPH"};
    if (unitIndex > 0 && unitIndex < 5) {
        return kTail[static_cast<std::size_t>(unitIndex)];
    }
    return model == 710 ? "V" : model == 711 ? "mA" : "m/s";
}

QColor toQColor(ColourRef c) {
    return QColor(redOf(c), greenOf(c), blueOf(c));
}

// Painter coordinates stay well inside what the raster engine handles exactly.
constexpr double kCoordLimit = 1 << 22;

int clampCoord(std::int64_t v) {
    return static_cast<int>(std::clamp<std::int64_t>(v, -(1 << 22), 1 << 22));
}

// A segment cut to the coordinate limit, so a far end point does not bend the visible part.
void addSegment(QVector<QLine>& lines, std::int64_t x1, std::int64_t y1, std::int64_t x2,
                std::int64_t y2) {
    const auto inside = [](std::int64_t v) { return v >= -kCoordLimit && v <= kCoordLimit; };
    if (inside(x1) && inside(y1) && inside(x2) && inside(y2)) {
        lines.append(QLine(int(x1), int(y1), int(x2), int(y2)));
        return;
    }
    // Liang-Barsky clip against the limit square.
    double t0 = 0.0;
    double t1 = 1.0;
    const double dx = double(x2 - x1);
    const double dy = double(y2 - y1);
    const double p[4] = {-dx, dx, -dy, dy};
    const double q[4] = {double(x1) + kCoordLimit, kCoordLimit - double(x1),
                         double(y1) + kCoordLimit, kCoordLimit - double(y1)};
    for (int k = 0; k < 4; ++k) {
        if (p[k] == 0.0) {
            if (q[k] < 0.0) {
                return;
            }
            continue;
        }
        const double t = q[k] / p[k];
        if (p[k] < 0.0) {
            t0 = std::max(t0, t);
        } else {
            t1 = std::min(t1, t);
        }
    }
    if (t0 > t1) {
        return;
    }
    lines.append(
        QLine(int(std::lround(double(x1) + t0 * dx)), int(std::lround(double(y1) + t0 * dy)),
              int(std::lround(double(x1) + t1 * dx)), int(std::lround(double(y1) + t1 * dy))));
}

// Square caps: round caps are flattened from curves on every segment, many times slower.
QPen curvePen(const QColor& c) {
    return QPen(c, 2, Qt::SolidLine, Qt::SquareCap, Qt::BevelJoin);
}
QPen dotPen(const QColor& c) {
    return QPen(c, 5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

void drawDot(QPainter& p, int x, int y) {
    p.drawEllipse(QRect(x - 1, y - 1, 2, 2));
}

// One dot drawn once into an image, then copied to every position; with aliased drawing and
// an opaque colour the copy gives the same pixels as drawing the ellipse there.
class DotStamp {
public:
    static constexpr int kHalf = 8;

    DotStamp(const QColor& colour, QPainter& target)
        : image_(2 * kHalf, 2 * kHalf, QImage::Format_ARGB32_Premultiplied) {
        image_.fill(Qt::transparent);
        QPainter p(&image_);
        p.setRenderHint(QPainter::Antialiasing, false);
        p.setPen(dotPen(colour));
        p.setBrush(Qt::NoBrush);
        drawDot(p, kHalf, kHalf);
        p.end();
        findSpans();
        for (int r = 0; r < 2 * kHalf; ++r) {
            for (int c = 0; c < 2 * kHalf; ++c) {
                const QRgb px = image_.pixel(c, r);
                if (qAlpha(px) != 0) {
                    ink_.push_back({c - kHalf, r - kHalf, px});
                }
            }
        }
        findDirectTarget(target);
    }

    // Rows of dot positions may be this far apart and still draw as one filled run.
    int runGap() const { return nested_ ? wideLast_ - wideFirst_ + 1 : 1; }

    void stamp(QPainter& p, int x, int y) const {
        if (bits_ == nullptr) {
            p.drawImage(x - kHalf, y - kHalf, image_);
            return;
        }
        // Straight into the image: the same opaque pixels the copy would leave.
        const bool inside =
            x - kHalf >= 0 && y - kHalf >= 0 && x + kHalf <= width_ && y + kHalf <= height_;
        for (const Ink& k : ink_) {
            const int px = x + k.dx;
            const int py = y + k.dy;
            if (inside || (px >= 0 && py >= 0 && px < width_ && py < height_)) {
                reinterpret_cast<QRgb*>(bits_ + qsizetype(py) * stride_)[px] = k.value;
            }
        }
    }

    // All dots at x for y in [yTop, yBottom].
    void stampRun(QPainter& p, int x, int yTop, int yBottom, const QColor& colour) const {
        stamp(p, x, yTop);
        if (yBottom == yTop) {
            return;
        }
        stamp(p, x, yBottom);
        if (!nested_) {
            for (int y = yTop + 1; y < yBottom; ++y) {
                stamp(p, x, y);
            }
            return;
        }
        const int rowFirst = yTop + wideFirst_ - kHalf;
        const int rowLast = yBottom + wideLast_ - kHalf;
        p.fillRect(QRect(x + wideLeft_ - kHalf, rowFirst, wideRight_ - wideLeft_ + 1,
                         rowLast - rowFirst + 1),
                   colour);
    }

private:
    // The rows of the dot and whether they shrink steadily away from the widest band, which
    // lets a vertical run of dots be drawn as two dots and one rectangle.
    void findSpans() {
        std::array<int, 2 * kHalf> left{};
        std::array<int, 2 * kHalf> right{};
        int widest = -1;
        for (int r = 0; r < 2 * kHalf; ++r) {
            left[r] = 2 * kHalf;
            right[r] = -1;
            for (int c = 0; c < 2 * kHalf; ++c) {
                if (qAlpha(image_.pixel(c, r)) != 0) {
                    left[r] = std::min(left[r], c);
                    right[r] = std::max(right[r], c);
                }
            }
            widest = std::max(widest, right[r] - left[r]);
        }
        wideFirst_ = -1;
        for (int r = 0; r < 2 * kHalf; ++r) {
            if (right[r] - left[r] == widest) {
                if (wideFirst_ < 0) {
                    wideFirst_ = r;
                }
                wideLast_ = r;
            }
        }
        wideLeft_ = left[wideFirst_];
        wideRight_ = right[wideFirst_];
        nested_ = widest >= 0;
        const auto within = [&](int inner, int outer) {
            return right[inner] < left[inner] ||
                   (left[inner] >= left[outer] && right[inner] <= right[outer]);
        };
        for (int r = wideFirst_; r <= wideLast_; ++r) {
            nested_ = nested_ && left[r] == wideLeft_ && right[r] == wideRight_;
        }
        for (int r = wideFirst_ - 1; r >= 0; --r) {
            nested_ = nested_ && within(r, r + 1);
        }
        for (int r = wideLast_ + 1; r < 2 * kHalf; ++r) {
            nested_ = nested_ && within(r, r - 1);
        }
    }

    // Painting straight into the target's pixels is possible for an opaque dot on a 32-bit
    // image with no transform, clip or unusual composition.
    void findDirectTarget(QPainter& p) {
        auto* img = dynamic_cast<QImage*>(p.device());
        if (img == nullptr || !p.deviceTransform().isIdentity() || p.hasClipping() ||
            p.compositionMode() != QPainter::CompositionMode_SourceOver) {
            return;
        }
        const QImage::Format f = img->format();
        if (f != QImage::Format_RGB32 && f != QImage::Format_ARGB32 &&
            f != QImage::Format_ARGB32_Premultiplied) {
            return;
        }
        for (const Ink& k : ink_) {
            if (qAlpha(k.value) != 255) {
                return;
            }
        }
        // The painter has detached the image already; constBits avoids a second detach.
        bits_ = const_cast<uchar*>(img->constBits());
        stride_ = img->bytesPerLine();
        width_ = img->width();
        height_ = img->height();
    }

    struct Ink {
        int dx;
        int dy;
        QRgb value;
    };
    std::vector<Ink> ink_;
    uchar* bits_ = nullptr;
    qsizetype stride_ = 0;
    int width_ = 0;
    int height_ = 0;

    QImage image_;
    bool nested_ = false;
    int wideFirst_ = 0;
    int wideLast_ = 0;
    int wideLeft_ = 0;
    int wideRight_ = 0;
};

CurveMapping curveMapping(const PlotScene& s, double xs, double ys, double f, int L, int T, int W,
                          int H) {
    CurveMapping m;
    m.xScale = xs;
    m.xOffset = s.xOffset;
    m.xMin = s.xMin;
    m.yScale = ys;
    m.yOffset = s.yOffset;
    m.yMin = s.yMin;
    m.factor = f;
    m.left = L;
    m.top = T;
    m.width = W;
    m.height = H;
    return m;
}

void drawCurveFull(const PlotScene& s, const CurveMapping& m, QPainter& p, const QColor& colour) {
    const std::int64_t n = s.sampleCount;
    const std::int64_t first = truncToInt64(s.xOffset);
    if (n > 1) {
        QVector<QLine> lines;
        for (std::int64_t i = first; i < n - 1; ++i) {
            addSegment(lines, m.x(i), m.y(s.samples[i]), m.x(i + 1), m.y(s.samples[i + 1]));
        }
        p.setPen(curvePen(colour));
        p.drawLines(lines);
    }
    if (s.showMaskPoints) {
        p.setPen(dotPen(colour));
        p.setBrush(Qt::NoBrush);
        for (std::int64_t i = first; i < n; ++i) {
            drawDot(p, clampCoord(m.x(i)), clampCoord(m.y(s.samples[i])));
        }
    }
}

// How the 2-pixel pen covers a vertical segment, measured once: a vertical segment from
// (x, a) to (x, b), a <= b, covers columns x + left .. x + right and rows a + top ..
// b + bottom. Filling that rectangle is much cheaper than stroking, and gives the same
// pixels; if the pen does not draw a plain rectangle, `valid` stays false.
struct VerticalStroke {
    bool valid = false;
    int left = 0;
    int right = 0;
    int top = 0;
    int bottom = 0;

    VerticalStroke() {
        const auto measure = [](int a, int b, QRect& box) {
            QImage img(32, 64, QImage::Format_ARGB32_Premultiplied);
            img.fill(Qt::transparent);
            QPainter p(&img);
            p.setRenderHint(QPainter::Antialiasing, false);
            p.setPen(curvePen(QColor(0, 0, 0)));
            p.drawLine(16, a, 16, b);
            p.end();
            int count = 0;
            box = QRect();
            for (int y = 0; y < img.height(); ++y) {
                for (int x = 0; x < img.width(); ++x) {
                    if (qAlpha(img.pixel(x, y)) != 0) {
                        box = box.united(QRect(x, y, 1, 1));
                        ++count;
                    }
                }
            }
            return count == box.width() * box.height() && count > 0;
        };
        QRect down, up, shortBox;
        if (!measure(10, 40, down) || !measure(40, 10, up) || !measure(20, 21, shortBox) ||
            down != up) {
            return;
        }
        left = down.left() - 16;
        right = down.right() - 16;
        top = down.top() - 10;
        bottom = down.bottom() - 40;
        valid = shortBox == QRect(QPoint(16 + left, 20 + top), QPoint(16 + right, 21 + bottom));
    }

    QRect rect(int x, int a, int b) const {
        if (a > b) {
            std::swap(a, b);
        }
        return QRect(QPoint(x + left, a + top), QPoint(x + right, b + bottom));
    }
};

void drawCurveReduced(const PlotScene& s, const CurveMapping& m, QPainter& p,
                      const QColor& colour) {
    SampleSummary local;
    const SampleSummary* summary = s.summary;
    if (summary == nullptr || summary->samples() != s.samples ||
        summary->count() != s.sampleCount) {
        local.build(s.samples, s.sampleCount);
        summary = &local;
    }
    const DotStamp dot(colour, p);
    CurveMapping mapping = m;
    mapping.dotRunGap = dot.runGap();
    ReducedCurve r;
    reduceCurve(*summary, mapping, s.showMaskPoints, r);
    if (s.sampleCount > 1 && r.xs.size() > 1) {
        static const VerticalStroke vertical;
        QVector<QLine> lines;
        lines.reserve(static_cast<qsizetype>(r.xs.size()));
        for (std::size_t i = 0; i + 1 < r.xs.size(); ++i) {
            const bool inRange = std::abs(r.ys[i]) < (1 << 22) &&
                                 std::abs(r.ys[i + 1]) < (1 << 22) && std::abs(r.xs[i]) < (1 << 22);
            if (vertical.valid && r.xs[i] == r.xs[i + 1] && r.ys[i] != r.ys[i + 1] && inRange) {
                p.fillRect(vertical.rect(int(r.xs[i]), int(r.ys[i]), int(r.ys[i + 1])), colour);
            } else {
                addSegment(lines, r.xs[i], r.ys[i], r.xs[i + 1], r.ys[i + 1]);
            }
        }
        p.setPen(curvePen(colour));
        p.drawLines(lines);
    }
    if (s.showMaskPoints && !r.dots.empty()) {
        for (const DotRun& d : r.dots) {
            dot.stampRun(p, clampCoord(d.x), clampCoord(d.yTop), clampCoord(d.yBottom), colour);
        }
    }
}

std::optional<std::tm> localTime(std::int64_t t) {
    const std::time_t tt = static_cast<std::time_t>(t);
    std::tm out{};
    if (localtime_r(&tt, &out) == nullptr) {
        return std::nullopt;
    }
    return out;
}

void drawTextTopLeft(QPainter& p, int x, int y, const QString& text) {
    p.drawText(x, y + p.fontMetrics().ascent(), text);
}

std::int64_t secondsAfter(std::int64_t index, float interval) {
    return truncToInt64(static_cast<double>(index) * static_cast<double>(interval));
}

} // namespace

QString clockText(std::int64_t t) {
    const auto tm = localTime(t);
    if (!tm) {
        return QStringLiteral("-1:-1:-1");
    }
    return QString::asprintf("%.2d:%.2d:%.2d", tm->tm_hour, tm->tm_min, tm->tm_sec);
}

QString dateText(std::int64_t t) {
    const auto tm = localTime(t);
    if (!tm) {
        return QStringLiteral("00-00-0");
    }
    return QString::asprintf("%.2d-%.2d-%d", tm->tm_mday, tm->tm_mon + 1, tm->tm_year + 1900);
}

QString readoutValueText(std::uint16_t raw, double factor, bool overRange) {
    const double value = raw * factor / 1000.0;
    return overRange && value > 31.0 ? QStringLiteral("OL") : QString::asprintf("%.2f", value);
}

QString averageText(const PlotScene& s) {
    return s.model == 710 && s.average > 31.0 ? QStringLiteral("OL")
                                              : QString::asprintf("%.2f", s.average);
}

QString unitLabel(const PlotScene& s) {
    const std::int32_t unit = s.unitIndex >= 0 && s.unitIndex < 5 ? s.unitIndex : 0;
    return QString::asprintf("Unit(%s)", unitName(s.model, unit));
}

std::int64_t timeTickSample(int k, int W, double xs, double xOffset) {
    const double t = std::trunc(k * (W * xs) / 5.0 + 0.5);
    return truncToInt64(t + xOffset);
}

QFont plotFont(int height) {
    QFont f(QStringLiteral("Arial"));
    f.setStyleHint(QFont::SansSerif);
    f.setFamilies({QStringLiteral("Arial"), QStringLiteral("Liberation Sans")});
    f.setWeight(QFont::ExtraLight);
    // The height is the character cell (ascent + descent), not the em size: scale the em so
    // the cell comes out at the requested height.
    const int wanted = std::max(1, height);
    f.setPixelSize(wanted);
    const QFontMetricsF fm(f);
    const double cell = fm.ascent() + fm.descent();
    if (cell > 0.0) {
        f.setPixelSize(std::max(1, static_cast<int>(std::lround(wanted * wanted / cell))));
    }
    return f;
}

int DrawReadout(int index, int y, float interval, std::uint16_t raw, double factor,
                std::int64_t start, int xr, QPainter& painter, bool overRange) {
    const QFontMetrics fm = painter.fontMetrics();
    // The gaps are screen pixels for the 16-pixel screen font; on a printer page the font is
    // many times taller, and unscaled gaps would run the words together.
    const double gapScale = fm.height() > 32 ? fm.height() / 16.0 : 1.0;
    int w = 0;
    const auto place = [&](const QString& text, int gap) {
        w += fm.horizontalAdvance(text) + static_cast<int>(std::lround(gap * gapScale));
        drawTextTopLeft(painter, xr - w, y, text);
    };
    place(clockText(start + secondsAfter(index, interval)), 13);
    place(QStringLiteral("Time:"), 5);
    place(readoutValueText(raw, factor, overRange), 13);
    place(QStringLiteral("Value:"), 5);
    place(QString::number(index), 13);
    place(QStringLiteral("NO."), 5);
    return w;
}

void DrawPlot(const PlotScene& s, int fontHeight, bool printing, int left, int top, int right,
              int bottom, double xs, double ys, QPainter& p, int L, int T, CurveDrawing curve) {
    if (s.model != 86 && s.model != 710 && s.model != 711) {
        return;
    }
    const bool overRangeStats = s.model == 710;
    p.save();
    p.setRenderHint(QPainter::Antialiasing, false);
    if (printing) {
        // Nothing may land in the lower half of the page.
        p.setClipRect(QRect(left, top, right - left, bottom - top), Qt::IntersectClip);
    }
    const int W = right - left - 2 * L;
    const int H = bottom - top - 2 * T;
    const std::int32_t unit = s.unitIndex >= 0 && s.unitIndex < 5 ? s.unitIndex : 0;
    const double f = kUnitFactors[static_cast<std::size_t>(unit)];
    const double yo = s.yOffset * f;
    const double ym = s.yMin * f;
    const double ysf = ys * f;

    // 1. Grid and axes.
    p.setPen(QPen(toQColor(s.colours.grid), 1, Qt::DotLine, Qt::FlatCap));
    if (s.showGridY) {
        for (int k = 0; k <= 10; ++k) {
            const int y = T + H - (k * H) / 10;
            p.drawLine(L, y, L + W, y);
        }
    }
    if (s.showGridX) {
        for (int k = 0; k <= 5; ++k) {
            const int x = static_cast<int>(k * W / 5.0 + L);
            p.drawLine(x, T, x, T + H);
        }
    }
    p.drawLine(L, T, L, T + H);
    p.drawLine(L, T + H, L + W, T + H);

    // 2. Alarm lines.
    if (s.showAlarmLines) {
        p.setPen(QPen(QColor(255, 0, 0), 1, Qt::DashDotDotLine, Qt::FlatCap));
        for (const float a : {s.alarmLow, s.alarmHigh}) {
            const std::int64_t y =
                T + truncToInt64(H + (yo - ym) / ysf - (double(a) * f - ym) / ysf);
            p.drawLine(L, clampCoord(y), L + W, clampCoord(y));
        }
    }

    // 3, 4. Curve and dots.
    if (s.samples != nullptr && s.sampleCount > 0 && xs > 0.0) {
        const CurveMapping m = curveMapping(s, xs, ys, f, L, T, W, H);
        const QColor lineColour = toQColor(s.colours.line);
        if (curve == CurveDrawing::Full) {
            drawCurveFull(s, m, p, lineColour);
        } else {
            drawCurveReduced(s, m, p, lineColour);
        }
    }

    // 5. Margin bands cover what was drawn outside the plot area.
    const QColor band = printing ? QColor(255, 255, 255) : toQColor(s.colours.border);
    const auto fill = [&](int x1, int y1, int x2, int y2) {
        p.fillRect(QRect(x1, y1, x2 - x1, y2 - y1), band);
    };
    fill(0, 0, W + 2 * L, T);
    fill(0, 0, L, H + L);
    fill(0, T + H + 2, W + 2 * L, H + 2 * L);
    fill(L + W + 2, 0, W + 2 * L, H + L);

    // 6. Labels.
    p.setFont(plotFont(fontHeight));
    p.setPen(QColor(0, 0, 0));
    const QFontMetrics fm = p.fontMetrics();
    const int lh = fm.height() + std::max(0, fm.leading());

    // 7. Value labels.
    int topLabelWidth = 0;
    for (int k = 0; k <= 10; ++k) {
        const QString text = QString::asprintf("%.2f", yo + (k * H / 10.0) * ysf);
        const int tw = fm.horizontalAdvance(text);
        drawTextTopLeft(p, L - tw - 2, T + H - (k * H) / 10 - lh / 2, text);
        if (k == 10) {
            topLabelWidth = tw;
        }
    }
    // 8. Unit label.
    drawTextTopLeft(p, L - topLabelWidth - 2, T - (3 * lh) / 2, unitLabel(s));

    // 9. Time and date labels.
    for (int k = 0; k <= 5; ++k) {
        const std::int64_t sample = timeTickSample(k, W, xs, s.xOffset);
        const std::int64_t when = s.startTime + secondsAfter(sample, s.sampleInterval);
        const int x = L + (k * W) / 5;
        const QString time = clockText(when);
        drawTextTopLeft(p, x - fm.horizontalAdvance(time) / 2, T + H + lh / 2, time);
        const QString date = dateText(when);
        drawTextTopLeft(p, x - fm.horizontalAdvance(date) / 2, T + H + (3 * lh) / 2, date);
    }

    // 10. Statistics.
    const auto validIndex = [&](std::int32_t i) {
        return i >= 0 && i < s.sampleCount && s.samples != nullptr;
    };
    if (!s.hideStatistics) {
        const auto extreme = [&](std::int32_t index, int y, const QString& label) {
            const int w = DrawReadout(index, y, s.sampleInterval, s.samples[index], f, s.startTime,
                                      L + W / 2, p, overRangeStats);
            drawTextTopLeft(p, L + W / 2 - w - fm.horizontalAdvance(label), y, label);
        };
        if (validIndex(s.maxIndex)) {
            extreme(s.maxIndex, T - lh, QStringLiteral("Max:  "));
        }
        if (validIndex(s.minIndex)) {
            extreme(s.minIndex, T - 2 * lh, QStringLiteral("Min:  "));
        }
        if (validIndex(s.maxIndex)) {
            const QString avg = averageText(s);
            const int aw = fm.horizontalAdvance(avg);
            drawTextTopLeft(p, L + W - aw, T - 2 * lh, avg);
            const QString label = QStringLiteral("Average:  ");
            drawTextTopLeft(p, L + W - aw - fm.horizontalAdvance(label), T - 2 * lh, label);
        }
    }
    p.restore();
}

PrintLayout printLayout(int horzRes, int vertRes, const PlotGeometry& g) {
    PrintLayout l;
    l.topMargin = static_cast<int>(vertRes / 20.0);
    l.leftMargin = static_cast<int>(horzRes / 10.0);
    l.fontHeight = static_cast<int>(vertRes / 80.0);
    l.right = horzRes;
    l.bottom = vertRes / 2;
    l.xScale = g.plotWidth * g.xScale / (horzRes - 2 * l.leftMargin);
    l.yScale = g.plotHeight * g.yScale / (vertRes / 2 - 2 * l.topMargin);
    return l;
}

} // namespace quillmark
