#include "render/fast_paths.h"

#include <QPaintEngine>

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>

namespace quillmark {

void addClippedSegment(QVector<QLine>& lines, std::int64_t x1, std::int64_t y1, std::int64_t x2,
                       std::int64_t y2) {
    const double limit = double(kCoordLimit);
    double t0 = 0.0;
    double t1 = 1.0;
    const double dx = double(x2 - x1);
    const double dy = double(y2 - y1);
    const double p[4] = {-dx, dx, -dy, dy};
    const double q[4] = {double(x1) + limit, limit - double(x1), double(y1) + limit,
                         limit - double(y1)};
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

void setDotInk(QPainter& p, const QColor& c, int penWidth) {
    QPen pen = dotPen(c);
    pen.setWidth(penWidth);
    p.setPen(pen);
    p.setBrush(c);
}

void drawDot(QPainter& p, int x, int y) {
    p.drawEllipse(QRect(x - 1, y - 1, 2, 2));
}

void drawScaledDot(QPainter& p, int x, int y, int radius, int penWidth) {
    const double r = radius + penWidth / 2.0;
    const QPen pen = p.pen();
    p.setPen(Qt::NoPen);
    p.drawEllipse(QRectF(x - r, y - r, 2 * r, 2 * r));
    p.setPen(pen);
}

void TallFills::flush(QRgb value) {
    if (edges_.empty()) {
        return;
    }
    // By row, counting: there are many edges and few rows.
    std::vector<std::size_t> rowStart(std::size_t(target_.height) + 2, 0);
    for (const Edge& edge : edges_) {
        ++rowStart[std::size_t(edge.y) + 1];
    }
    for (std::size_t y = 1; y < rowStart.size(); ++y) {
        rowStart[y] += rowStart[y - 1];
    }
    sorted_.resize(edges_.size());
    for (const Edge& edge : edges_) {
        sorted_[rowStart[std::size_t(edge.y)]++] = edge;
    }
    edges_.swap(sorted_);
    // How many fills cover each column in the current rows, and the covered ones as bits.
    std::vector<int> count(std::size_t(target_.width), 0);
    std::vector<std::uint64_t> covered((std::size_t(target_.width) + 63) / 64, 0);
    std::vector<std::pair<int, int>> runs;
    int active = 0;
    std::size_t e = 0;
    while (e < edges_.size()) {
        const int y = edges_[e].y;
        for (; e < edges_.size() && edges_[e].y == y; ++e) {
            const Edge& edge = edges_[e];
            for (int c = edge.x1; c <= edge.x2; ++c) {
                int& n = count[std::size_t(c)];
                const bool was = n > 0;
                n += edge.delta;
                if (was != (n > 0)) {
                    covered[std::size_t(c) / 64] ^= std::uint64_t(1) << (c % 64);
                    active += was ? -1 : 1;
                }
            }
        }
        // Rows up to the next edge are covered alike: their runs are found once.
        const int next = std::min(e < edges_.size() ? edges_[e].y : target_.height, target_.height);
        if (active == 0 || next <= y) {
            continue;
        }
        runs.clear();
        for (std::size_t w = 0; w < covered.size(); ++w) {
            std::uint64_t word = covered[w];
            while (word != 0) {
                const int first = std::countr_zero(word);
                const int length = std::countr_one(word >> first);
                const int start = int(w * 64) + first;
                if (!runs.empty() && runs.back().second == start - 1) {
                    runs.back().second = start + length - 1;
                } else {
                    runs.emplace_back(start, start + length - 1);
                }
                word =
                    first + length >= 64 ? 0 : word & ~((std::uint64_t(1) << (first + length)) - 1);
            }
        }
        for (int row = y; row < next; ++row) {
            QRgb* line = target_.row(row);
            for (const auto& [x1, x2] : runs) {
                DirectTarget::fillPixels(line + x1, x2 - x1 + 1, value);
            }
        }
    }
    edges_.clear();
}

DotStamp::DotStamp(const QColor& colour, QPainter& target)
    : vector_(target.paintEngine() != nullptr &&
              target.paintEngine()->type() != QPaintEngine::Raster),
      colour_(colour), dotPenWidth_(dotPen(colour).width()),
      image_(2 * kHalf, 2 * kHalf, QImage::Format_ARGB32_Premultiplied) {
    image_.fill(Qt::transparent);
    QPainter p(&image_);
    p.setRenderHint(QPainter::Antialiasing, false);
    setDotInk(p, colour, dotPen(colour).width());
    drawDot(p, kHalf, kHalf);
    p.end();
    findSpans();
    bool opaque = true;
    for (int r = 0; r < 2 * kHalf; ++r) {
        for (int c = 0; c < 2 * kHalf; ++c) {
            const QRgb px = image_.pixel(c, r);
            if (qAlpha(px) == 0) {
                continue;
            }
            opaque = opaque && qAlpha(px) == 255;
            if (!ink_.empty() && ink_.back().dy == r - kHalf && ink_.back().dx2 == c - kHalf - 1 &&
                ink_.back().value == px) {
                ++ink_.back().dx2;
            } else {
                ink_.push_back({r - kHalf, c - kHalf, c - kHalf, px});
            }
        }
    }
    for (const Ink& k : ink_) {
        extent_ = extent_.united(QRect(QPoint(k.dx1, k.dy), QPoint(k.dx2, k.dy)));
    }
    if (opaque) {
        target_ = DirectTarget::of(target);
    }
    for (const Ink& k : ink_) {
        pieces_.push_back({qsizetype(k.dy) * (target_.stride / qsizetype(sizeof(QRgb))) + k.dx1,
                           k.dx2 - k.dx1 + 1, k.value});
    }
}

// The rows of the dot and whether they shrink steadily away from the widest band, which
// lets a vertical run of dots be drawn as two dots and one rectangle.
void DotStamp::findSpans() {
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

DirectTarget DirectTarget::of(QPainter& p) {
    DirectTarget t;
    auto* img = dynamic_cast<QImage*>(p.device());
    if (img == nullptr || !p.deviceTransform().isIdentity() || p.hasClipping() ||
        p.opacity() != 1.0 || p.compositionMode() != QPainter::CompositionMode_SourceOver) {
        return t;
    }
    const QImage::Format f = img->format();
    if (f != QImage::Format_RGB32 && f != QImage::Format_ARGB32 &&
        f != QImage::Format_ARGB32_Premultiplied) {
        return t;
    }
    // The painter has detached the image already; constBits avoids a second detach.
    t.bits = const_cast<uchar*>(img->constBits());
    t.stride = img->bytesPerLine();
    t.width = img->width();
    t.height = img->height();
    return t;
}

VerticalStroke::VerticalStroke() {
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

SteepStroke::SteepStroke() : SteepStroke(curvePen(QColor(0, 0, 0)), 1) {}

SteepStroke::SteepStroke(const QPen& pen, int run)
    : pen_(pen), run_(run), shapes_(2 * kMaxRise + 1),
      measured_(std::make_unique<std::atomic<bool>[]>(2 * kMaxRise + 1)) {
    pen_.setColor(QColor(0, 0, 0));
}

const SteepStroke::Shape* SteepStroke::shape(int rise) {
    if (rise < -kMaxRise || rise > kMaxRise) {
        return nullptr;
    }
    const auto k = static_cast<std::size_t>(rise + kMaxRise);
    // A shape once measured never changes: only the first use of a rise takes the lock.
    if (!measured_[k].load(std::memory_order_acquire)) {
        const std::lock_guard<std::mutex> hold(lock_);
        if (!measured_[k].load(std::memory_order_relaxed)) {
            shapes_[k] = measure(rise);
            measured_[k].store(true, std::memory_order_release);
        }
    }
    return &shapes_[k];
}

SteepStroke::Shape SteepStroke::measure(int rise) const {
    constexpr int kPad = 8;
    const int x0 = kPad;
    const int y0 = kPad + std::max(0, -rise);
    QImage img(2 * kPad + 2, std::abs(rise) + 2 * kPad + 1, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(pen_);
    p.drawLine(x0, y0, x0 + run_, y0 + rise);
    p.end();
    Shape s;
    s.left = img.width();
    s.top = img.height();
    for (int y = 0; y < img.height(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(img.constScanLine(y));
        for (int x = 0; x < img.width(); ++x) {
            if (qAlpha(row[x]) == 0) {
                continue;
            }
            int end = x;
            while (end + 1 < img.width() && qAlpha(row[end + 1]) != 0) {
                ++end;
            }
            s.spans.push_back({y - y0, x - x0, end - x0});
            s.left = std::min(s.left, x - x0);
            s.right = std::max(s.right, end - x0);
            s.top = std::min(s.top, y - y0);
            s.bottom = std::max(s.bottom, y - y0);
            x = end;
        }
    }
    // Ink against the image's border means the pen reaches further than measured.
    if (s.spans.empty() || s.left + x0 == 0 || s.right + x0 == img.width() - 1 || s.top + y0 == 0 ||
        s.bottom + y0 == img.height() - 1) {
        return Shape{};
    }
    const std::size_t n = s.spans.size();
    s.solid = n == std::size_t(s.bottom - s.top + 1) &&
              std::all_of(s.spans.begin(), s.spans.end(),
                          [&](const Span& sp) { return sp.dx1 == s.left && sp.dx2 == s.right; });
    s.headExtent.resize(n);
    s.tailExtent.resize(n);
    std::pair<int, int> hull(s.spans[0].dx1, s.spans[0].dx2);
    for (std::size_t i = 0; i < n; ++i) {
        hull = {std::min(hull.first, s.spans[i].dx1), std::max(hull.second, s.spans[i].dx2)};
        s.headExtent[i] = hull;
    }
    hull = {s.spans[n - 1].dx1, s.spans[n - 1].dx2};
    for (std::size_t i = n; i-- > 0;) {
        hull = {std::min(hull.first, s.spans[i].dx1), std::max(hull.second, s.spans[i].dx2)};
        s.tailExtent[i] = hull;
    }
    return s;
}

std::size_t SteepStroke::Shape::headWithin(int l, int r) const {
    // The extents only grow with i.
    const auto it = std::partition_point(
        headExtent.begin(), headExtent.end(),
        [&](const std::pair<int, int>& e) { return e.first >= l && e.second <= r; });
    return std::size_t(it - headExtent.begin());
}

std::size_t SteepStroke::Shape::tailFrom(int l, int r) const {
    const auto it = std::partition_point(
        tailExtent.begin(), tailExtent.end(),
        [&](const std::pair<int, int>& e) { return !(e.first >= l && e.second <= r); });
    return std::size_t(it - tailExtent.begin());
}

void drawAxisLines(QPainter& p, const QPen& pen, const QVector<QLine>& lines) {
    p.setPen(pen);
    const QColor colour = pen.color();
    const DirectTarget target = pen.width() > 1 && pen.brush().style() == Qt::SolidPattern &&
                                        colour.alpha() == 255 &&
                                        !p.testRenderHint(QPainter::Antialiasing)
                                    ? DirectTarget::of(p)
                                    : DirectTarget{};
    if (target.bits == nullptr) {
        // One call a line: a dashed pattern starts afresh on each.
        for (const QLine& line : lines) {
            p.drawLine(line);
        }
        return;
    }
    // The pixels of one line from the origin, as row runs: (row, first column, last column).
    struct Run {
        int dy;
        int dx1;
        int dx2;
    };
    std::vector<std::pair<QPoint, std::vector<Run>>> shapes;
    const auto shapeOf = [&](const QPoint& d) -> const std::vector<Run>& {
        for (const auto& [delta, runs] : shapes) {
            if (delta == d) {
                return runs;
            }
        }
        const int m = pen.width() + 2;
        const QPoint origin(m + std::max(-d.x(), 0), m + std::max(-d.y(), 0));
        QImage probe(std::abs(d.x()) + 2 * m + 1, std::abs(d.y()) + 2 * m + 1,
                     QImage::Format_ARGB32_Premultiplied);
        probe.fill(Qt::transparent);
        {
            QPainter pp(&probe);
            pp.setRenderHint(QPainter::Antialiasing, false);
            pp.setPen(pen);
            pp.drawLine(origin, origin + d);
        }
        std::vector<Run> runs;
        for (int y = 0; y < probe.height(); ++y) {
            const auto* row = reinterpret_cast<const QRgb*>(probe.constScanLine(y));
            for (int x = 0; x < probe.width(); ++x) {
                if (qAlpha(row[x]) == 0) {
                    continue;
                }
                const int start = x;
                while (x + 1 < probe.width() && qAlpha(row[x + 1]) != 0) {
                    ++x;
                }
                runs.push_back({y - origin.y(), start - origin.x(), x - origin.x()});
            }
        }
        shapes.emplace_back(d, std::move(runs));
        return shapes.back().second;
    };
    const QRgb ink = colour.rgba();
    constexpr int kLongest = 1 << 14; // longer lines would need a huge probe
    for (const QLine& line : lines) {
        const QPoint d = line.p2() - line.p1();
        if ((d.x() != 0 && d.y() != 0) || std::abs(d.x()) > kLongest ||
            std::abs(d.y()) > kLongest) {
            p.drawLine(line);
            continue;
        }
        for (const Run& r : shapeOf(d)) {
            target.fillSpan(line.y1() + r.dy, line.x1() + r.dx1, line.x1() + r.dx2, ink);
        }
    }
}

} // namespace quillmark
