#include "render/run_report_pdf.h"

#include <QBuffer>
#include <QByteArray>
#include <QFont>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QString>
#include <algorithm>
#include <cmath>
#include <optional>

#include "core/common/atomic_file.h"
#include "core/plot/column_reduction.h"
#include "core/plot/plot_geometry.h"
#include "core/plot/plot_layout.h"
#include "core/plot/plot_scene.h"
#include "quillmark/version.h"
#include "render/draw_plot.h"

namespace quillmark {
namespace {

constexpr int kDpi = 600;
constexpr double kMarginMm = 18.0;
// The plot's height against the text width; never more than half the page.
constexpr double kPlotAspect = 0.48;

double mm(double v) {
    return v * kDpi / 25.4;
}

QString q(const std::string& s) {
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

QFont font(double points, bool bold = false) {
    QFont f(QStringLiteral("Liberation Sans"));
    f.setStyleHint(QFont::SansSerif);
    f.setPointSizeF(points);
    f.setBold(bold);
    return f;
}

// What goes on the pages, placed before anything is drawn so the page count is known.
struct Item {
    enum Kind { Text, Rule, Plot } kind = Text;
    int page = 0;
    QRectF rect;
    QFont font;
    QString text;
    int flags = Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap;
};

class Layout {
public:
    Layout(QPaintDevice* device, QRectF body) : device_(device), body_(body), y_(body.top()) {}

    double height(const QFont& f, double width, const QString& text, int flags) const {
        return QFontMetricsF(f, device_)
            .boundingRect(QRectF(0, 0, width, 1e6), flags, text)
            .height();
    }
    double lineHeight(const QFont& f) const { return QFontMetricsF(f, device_).lineSpacing(); }
    double width(const QFont& f, const QString& text) const {
        return QFontMetricsF(f, device_).horizontalAdvance(text);
    }
    double left() const { return body_.left(); }
    double textWidth() const { return body_.width(); }
    double pageBody() const { return body_.height(); }

    // Starts a new page unless `need` still fits; true when it did.
    bool reserve(double need) {
        if (y_ + need <= body_.bottom() || y_ == body_.top())
            return false;
        ++page_;
        y_ = body_.top();
        return true;
    }
    void text(const QFont& f, const QString& t, double x, double w, double h,
              int flags = Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap) {
        items_.push_back({Item::Text, page_, QRectF(x, y_, w, h), f, t, flags});
    }
    void block(const QFont& f, const QString& t, double spaceAfter) {
        const int flags = Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap;
        const double h = height(f, textWidth(), t, flags);
        reserve(h);
        text(f, t, left(), textWidth(), h, flags);
        advance(h + spaceAfter);
    }
    void rule(double thickness) {
        items_.push_back(
            {Item::Rule, page_, QRectF(left(), y_, textWidth(), thickness), {}, {}, 0});
    }
    void plot(double h) {
        items_.push_back({Item::Plot, page_, QRectF(left(), y_, textWidth(), h), {}, {}, 0});
        advance(h);
    }
    void advance(double dy) { y_ += dy; }
    double y() const { return y_; }
    int pages() const { return page_ + 1; }
    const std::vector<Item>& items() const { return items_; }

private:
    QPaintDevice* device_;
    QRectF body_;
    double y_;
    int page_ = 0;
    std::vector<Item> items_;
};

// Functions, not constants: a font needs the application object.
QFont titleFont() {
    return font(16, true);
}
QFont headingFont() {
    return font(12, true);
}
QFont bodyFont() {
    return font(9);
}
QFont smallFont() {
    return font(8);
}

void layoutSections(Layout& l, const RunReport& r) {
    l.block(titleFont(), q(r.title), mm(2));
    l.block(bodyFont(), q(r.fileName), mm(0.5));
    l.block(bodyFont(), q(r.created), mm(4));

    double labelWidth = 0;
    for (const ReportSection& s : r.sections)
        for (const ReportRow& row : s.rows)
            labelWidth = std::max(labelWidth, l.width(bodyFont(), q(row.label)));
    labelWidth += mm(4);
    const double valueWidth = l.textWidth() - labelWidth;
    const int flags = Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap;
    for (const ReportSection& s : r.sections) {
        // A heading never ends a page.
        l.reserve(l.lineHeight(headingFont()) + mm(1.5) + l.lineHeight(bodyFont()));
        l.block(headingFont(), q(s.heading), mm(1.5));
        for (const ReportRow& row : s.rows) {
            const QString value = q(row.value);
            const double h =
                std::max(l.height(bodyFont(), valueWidth, value, flags), l.lineHeight(bodyFont()));
            l.reserve(h);
            l.text(bodyFont(), q(row.label), l.left(), labelWidth, h);
            l.text(bodyFont(), value, l.left() + labelWidth, valueWidth, h);
            l.advance(h + mm(0.4));
        }
        l.advance(mm(3));
    }
}

void layoutExcursions(Layout& l, const RunReport& r) {
    if (r.excursions.empty() && r.moreExcursions == 0) {
        l.block(bodyFont(), QStringLiteral("No excursions."), mm(4));
        return;
    }
    // Columns as wide as their widest cell; the font shrinks until the table fits.
    const double gap = mm(3);
    QFont f = smallFont();
    std::vector<double> widths;
    for (double points = smallFont().pointSizeF(); points >= 5.0; points -= 0.5) {
        f.setPointSizeF(points);
        QFont bold = f;
        bold.setBold(true);
        widths.assign(r.excursionColumns.size(), 0.0);
        for (std::size_t c = 0; c < widths.size(); ++c) {
            widths[c] = l.width(bold, q(r.excursionColumns[c]));
            for (const ReportTableRow& row : r.excursions)
                widths[c] = std::max(widths[c], l.width(f, q(row[c])));
        }
        double total = gap * static_cast<double>(widths.size() - 1);
        for (double w : widths)
            total += w;
        if (total <= l.textWidth())
            break;
    }
    QFont bold = f;
    bold.setBold(true);
    const double lh = l.lineHeight(f) * 1.15;
    const auto row = [&](const std::vector<std::string>& cells, const QFont& cf) {
        double x = l.left();
        for (std::size_t c = 0; c < cells.size(); ++c) {
            // Numbers line up on the right, words on the left.
            const int align = c >= 3 ? Qt::AlignRight : Qt::AlignLeft;
            l.text(cf, q(cells[c]), x, widths[c], lh, align | Qt::AlignVCenter);
            x += widths[c] + gap;
        }
        l.advance(lh);
    };
    const auto header = [&] {
        row(r.excursionColumns, bold);
        l.rule(mm(0.2));
        l.advance(mm(0.8));
    };
    l.reserve(3 * lh);
    header();
    for (const ReportTableRow& cells : r.excursions) {
        if (l.reserve(lh))
            header();
        row(cells, f);
    }
    if (r.moreExcursions > 0) {
        l.reserve(lh);
        l.text(f, q(moreExcursionsText(r.moreExcursions)), l.left(), l.textWidth(), lh,
               Qt::AlignLeft | Qt::AlignVCenter);
        l.advance(lh);
    }
    l.advance(mm(4));
}

// The plot of the range as `plot` draws it (View All over the range), on a page rectangle
// of width x height device pixels with the printed page's margins, font and pens.
void drawPlot(QPainter& p, const ReportJob& job, const QRectF& rect) {
    const Recording& rec = job.rec;
    const std::int64_t n = presentSampleCount(rec);
    const auto count = static_cast<std::int32_t>(std::min<std::int64_t>(n, INT32_MAX));
    PlotGeometry g;
    g.resize(1280, 800);
    g.resetView(count);
    if (job.first != 0 || job.last != n - 1) {
        g.xOffset = static_cast<double>(job.first);
        g.xScale = static_cast<double>(job.last - job.first) / g.plotWidth;
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
    scene.unitIndex = job.unitIndex;
    scene.alarmLow = rec.alarmLow();
    scene.alarmHigh = rec.alarmHigh();
    scene.sampleInterval = rec.effectiveInterval();
    scene.startTime = startTime(rec).value_or(0);
    scene.maxIndex = rec.maxIndex;
    scene.minIndex = rec.minIndex;
    scene.average = rec.average;
    scene.model = job.model;
    scene.colours = job.colours;

    // The printed page's rules (margins, an eightieth of the page for the font) on a page of
    // twice the plot's height, whose upper half the plot is. Printing widens the pens by the
    // font's ratio to the screen's; here the painter scales the whole plot by that ratio
    // instead, drawn at the size where the font is the screen's. The page shows the same, and
    // the curve keeps the screen's pens, so it is drawn from one summary per column rather
    // than as every sample of a long recording.
    const double k = std::max(1.0, rect.height() / (kScreenFontHeight * 40.0));
    const int w = static_cast<int>(rect.width() / k);
    const int h = static_cast<int>(rect.height() / k);
    const PlotFrame frame = printLayout(w, 2 * h, g);
    p.save();
    p.setClipRect(rect);
    p.translate(rect.topLeft());
    p.scale(k, k);
    DrawPlot(scene, frame, p);
    p.restore();
}

} // namespace

bool saveRunReport(const ReportJob& job, const std::string& path, std::string* error,
                   const std::vector<std::string>& inputs) {
    const auto fail = [&](const std::string& why) {
        if (error)
            *error = "Cannot write \"" + path + "\": " + why;
        return false;
    };
    if (!startTime(job.rec))
        return fail("the recording's start time is not a date");

    ReportRequest request;
    request.title = job.title;
    request.fileName = job.fileName;
    request.model = job.model;
    request.first = job.first;
    request.last = job.last;
    request.unitIndex = job.unitIndex;
    request.createdAt = job.createdAt;
    request.version = kVersion;
    const RangeAnalysis analysis(job.rec);
    const RunReport report = buildRunReport(job.rec, analysis, request);

    const auto failure =
        writeOutputFile(path, inputs, [&](const OutputSink& sink, std::string* encodeError) {
            QByteArray bytes;
            QBuffer buffer(&bytes);
            buffer.open(QIODevice::WriteOnly);
            {
                QPdfWriter pdf(&buffer);
                pdf.setResolution(kDpi);
                pdf.setPageSize(
                    QPageSize(job.page == ReportPage::Letter ? QPageSize::Letter : QPageSize::A4));
                pdf.setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
                pdf.setTitle(q(report.title));
                pdf.setCreator(QStringLiteral("Quillmark %1").arg(QLatin1String(kVersion)));
                const QRectF page(0, 0, pdf.width(), pdf.height());
                const double footer = QFontMetricsF(smallFont(), &pdf).lineSpacing() + mm(3);
                const QRectF body = page.adjusted(mm(kMarginMm), mm(kMarginMm), -mm(kMarginMm),
                                                  -mm(kMarginMm) - footer);
                Layout l(&pdf, body);
                layoutSections(l, report);
                // The table belongs to the Alarms section, the last one above.
                l.advance(-mm(1));
                layoutExcursions(l, report);
                const double plotHeight =
                    std::min(l.textWidth() * kPlotAspect, page.height() / 2 - mm(1));
                l.reserve(l.lineHeight(headingFont()) + mm(1.5) + plotHeight);
                l.block(headingFont(), QStringLiteral("Plot"), mm(1.5));
                l.plot(plotHeight);

                QPainter p;
                if (!p.begin(&pdf)) {
                    *encodeError = "Cannot write " + path + ": the PDF could not be started";
                    return false;
                }
                const int pages = l.pages();
                for (int k = 0; k < pages; ++k) {
                    if (k > 0)
                        pdf.newPage();
                    for (const Item& it : l.items()) {
                        if (it.page != k)
                            continue;
                        if (it.kind == Item::Text) {
                            p.setFont(it.font);
                            p.setPen(Qt::black);
                            p.drawText(it.rect, it.flags, it.text);
                        } else if (it.kind == Item::Rule) {
                            p.fillRect(it.rect, Qt::black);
                        } else {
                            drawPlot(p, job, it.rect);
                        }
                    }
                    p.setFont(smallFont());
                    p.setPen(Qt::black);
                    p.drawText(QRectF(body.left(), page.bottom() - mm(kMarginMm) - footer + mm(3),
                                      body.width(), footer - mm(3)),
                               Qt::AlignHCenter | Qt::AlignBottom,
                               QStringLiteral("Page %1 of %2").arg(k + 1).arg(pages));
                }
                p.end();
            }
            return sink(
                std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
        });
    if (failure && error)
        *error = failure->message;
    return !failure;
}

} // namespace quillmark
