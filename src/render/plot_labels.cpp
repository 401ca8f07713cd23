#include "render/plot_labels.h"
#include "render/qt_colour.h"

#include <QCoreApplication>
#include <QFontMetrics>
#include <QImage>
#include <algorithm>
#include <cmath>
#include <limits>
#include <string>

#include "core/common/model_units.h"
#include "core/data/sample_text.h"
#include "core/data/time_stamp.h"
#include "core/plot/plot_layout.h"
#include "core/plot/plot_text.h"

namespace quillmark {

namespace {

QString qText(const std::string& s) {
    return QString::fromLatin1(s.data(), static_cast<qsizetype>(s.size()));
}

// Value label k (0 at the bottom .. 10 at the top) at the exact tick position.
QString valueTickText(int k, double unitYOffset, double unitYScale, int height) {
    return qText(valueLabel(unitYOffset + (k * height / double(kValueTickIntervals)) * unitYScale));
}

} // namespace

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

int labelLineHeight(const QFontMetrics& fm) {
    return fm.height() + std::max(0, fm.leading());
}

void drawTextTopLeft(QPainter& painter, int x, int y, const QString& text) {
    painter.drawText(x, y + painter.fontMetrics().ascent(), text);
}

namespace {

// A word of the plot in the window's language. Programs that install no translation (the
// command-line tool) keep the English words; the window lists them for its translators.
QString word(const char* english) {
    return QCoreApplication::translate("quillmark", english);
}

// The readout's words right to left from xr; drawn only when `painter` is given. Returns the
// width used.
int placeReadout(int index, int y, float interval, std::uint16_t raw, double factor,
                 std::int64_t start, int xr, const QFontMetrics& fm, QPainter* painter,
                 bool overRange) {
    // The gaps are screen pixels for the 16-pixel screen font; on a printer page the font is
    // many times taller, and unscaled gaps would run the words together.
    const double gapScale = fm.height() > 32 ? fm.height() / 16.0 : 1.0;
    int w = 0;
    const auto place = [&](const QString& text, int gap) {
        w += fm.horizontalAdvance(text) + static_cast<int>(std::lround(gap * gapScale));
        if (painter)
            drawTextTopLeft(*painter, xr - w, y, text);
    };
    place(qText(clockText(start + secondsAfter(index, interval))), 13);
    place(word("Time:"), 5);
    place(qText(sampleValueText(raw, factor, overRange)), 13);
    place(word("Value:"), 5);
    place(QString::number(index), 13);
    place(word("NO."), 5);
    return w;
}

} // namespace

int DrawReadout(int index, int y, float interval, std::uint16_t raw, double factor,
                std::int64_t start, int xr, QPainter& painter, bool overRange) {
    return placeReadout(index, y, interval, raw, factor, start, xr, painter.fontMetrics(), &painter,
                        overRange);
}

int valueLabelMargin(const PlotScene& s, double yOffset, double yScale, int plotHeight,
                     int fontHeight, const QPaintDevice* device) {
    static const QImage screenImage(1, 1, QImage::Format_RGB32);
    const double factor = unitFactor(s.unitIndex);
    const QFontMetrics fm(plotFont(fontHeight), device ? device : &screenImage);
    int widest = 0;
    for (int k = 0; k <= kValueTickIntervals; ++k) {
        widest = std::max(widest, fm.horizontalAdvance(valueTickText(k, yOffset * factor,
                                                                     yScale * factor, plotHeight)));
    }
    return leftMarginFor(widest);
}

PlotFrame fitValueLabels(const PlotScene& s, const PlotFrame& frame, const QPaintDevice* device) {
    const int oldWidth = frame.plotWidth();
    // The plot area keeps at least one column.
    const int widest = frame.right - frame.left - frame.rightMargin - 1;
    const int needed =
        std::min(widest, valueLabelMargin(s, s.yOffset, frame.yScale, frame.plotHeight(),
                                          frame.fontHeight, device));
    if (needed <= frame.leftMargin || oldWidth < 1) {
        return frame;
    }
    PlotFrame f = frame;
    f.leftMargin = needed;
    f.xScale = oldWidth * frame.xScale / f.plotWidth();
    return f;
}

void drawPlotLabels(QPainter& p, const PlotScene& s, const CurveMapping& area, int fontHeight,
                    ColourRef textColour) {
    const int left = area.left;
    const int top = area.top;
    const int width = area.width;
    const int height = area.height;
    const double unitYOffset = area.yOffset * area.factor;
    const double unitYScale = area.yScale * area.factor;

    p.setFont(plotFont(fontHeight));
    p.setPen(toQColor(textColour));
    const QFontMetrics fm = p.fontMetrics();
    const int lineHeight = labelLineHeight(fm);

    // Value labels, vertically centred on their grid rows, 2 pixels left of the axis.
    int topLabelWidth = 0;
    for (int k = 0; k <= kValueTickIntervals; ++k) {
        const QString text = valueTickText(k, unitYOffset, unitYScale, height);
        const int textWidth = fm.horizontalAdvance(text);
        drawTextTopLeft(p, left - textWidth - kValueLabelGap,
                        top + height - (k * height) / kValueTickIntervals - lineHeight / 2, text);
        if (k == kValueTickIntervals) {
            topLabelWidth = textWidth;
        }
    }
    // Unit label above the top value label, left-aligned with it.
    const QString unitText =
        word("Unit(%1)").arg(QString::fromLatin1(unitName(s.model, s.unitIndex)));
    const int unitLeft = left - topLabelWidth - kValueLabelGap;
    drawTextTopLeft(p, unitLeft, top - (3 * lineHeight) / 2, unitText);
    const int unitRight = unitLeft + fm.horizontalAdvance(unitText);

    // Time and date labels centred under the time ticks. In a narrow plot (the colour
    // preview) neighbours would run together; a label that would touch the last one drawn in
    // its row is left out.
    const int minGap = std::max(2, fm.horizontalAdvance(QLatin1Char(' ')) / 2);
    const auto placeInRow = [&](int& rowEnd, int x, int y, const QString& text) {
        const int textWidth = fm.horizontalAdvance(text);
        const int textLeft = x - textWidth / 2;
        if (textLeft < rowEnd + minGap) {
            return;
        }
        drawTextTopLeft(p, textLeft, y, text);
        rowEnd = textLeft + textWidth;
    };
    int timeRowEnd = std::numeric_limits<int>::min() / 2;
    int dateRowEnd = timeRowEnd;
    for (int k = 0; k <= kTimeTickIntervals; ++k) {
        const std::int64_t sample = timeTickSample(k, width, area.xScale, s.xOffset);
        const std::int64_t when = s.startTime + secondsAfter(sample, s.sampleInterval);
        const int x = left + (k * width) / kTimeTickIntervals;
        placeInRow(timeRowEnd, x, top + height + lineHeight / 2, qText(clockText(when)));
        placeInRow(dateRowEnd, x, top + height + (3 * lineHeight) / 2, qText(dateText(when)));
    }

    if (s.hideStatistics) {
        return;
    }
    // Statistics: Max and Min readouts right-aligned at the middle, the average at the right.
    const auto validIndex = [&](std::int32_t i) {
        return i >= 0 && i < s.sampleCount && s.samples != nullptr;
    };
    const bool markOverRange = statisticsMarkOverRange(s.model);
    const QString maxLabel = word("Max:") + QStringLiteral("  ");
    const QString minLabel = word("Min:") + QStringLiteral("  ");
    // In a narrow plot a wide unit ("Unit(ft/min)") would run into the lines: both move right
    // together until they clear it.
    int anchor = left + width / 2;
    const auto lineWidth = [&](std::int32_t index, const QString& label) {
        return placeReadout(index, 0, s.sampleInterval, s.samples[index], area.factor, s.startTime,
                            0, fm, nullptr, markOverRange) +
               fm.horizontalAdvance(label);
    };
    int widest = 0;
    if (validIndex(s.maxIndex))
        widest = std::max(widest, lineWidth(s.maxIndex, maxLabel));
    if (validIndex(s.minIndex))
        widest = std::max(widest, lineWidth(s.minIndex, minLabel));
    anchor = std::max(anchor, unitRight + minGap + widest);
    const auto extreme = [&](std::int32_t index, int y, const QString& label) {
        const int used = DrawReadout(index, y, s.sampleInterval, s.samples[index], area.factor,
                                     s.startTime, anchor, p, markOverRange);
        drawTextTopLeft(p, anchor - used - fm.horizontalAdvance(label), y, label);
    };
    if (validIndex(s.maxIndex)) {
        extreme(s.maxIndex, top - lineHeight, maxLabel);
    }
    if (validIndex(s.minIndex)) {
        extreme(s.minIndex, top - 2 * lineHeight, minLabel);
    }
    if (validIndex(s.maxIndex)) {
        const QString average = qText(averageText(s.model, s.average));
        const int averageWidth = fm.horizontalAdvance(average);
        drawTextTopLeft(p, left + width - averageWidth, top - 2 * lineHeight, average);
        const QString label = word("Average:") + QStringLiteral("  ");
        drawTextTopLeft(p, left + width - averageWidth - fm.horizontalAdvance(label),
                        top - 2 * lineHeight, label);
    }
}

} // namespace quillmark
