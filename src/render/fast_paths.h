#pragma once
// The pixel-exact fast paths of the curve drawing. Each gives exactly the pixels of the plain
// painter call it stands for (measured from the raster engine itself), only faster; the
// drawing tests compare both ways pixel for pixel.
#include <QColor>
#include <QImage>
#include <QLine>
#include <QPainter>
#include <QPen>
#include <QRect>
#include <QVector>
#include <algorithm>
#include <array>
#include <atomic>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <memory>
#include <mutex>
#include <utility>
#include <vector>

namespace quillmark {

// Painter coordinates stay well inside what the raster engine handles exactly. These run
// once per segment and dot, so they stay inline.
inline constexpr std::int64_t kCoordLimit = 1 << 22;
inline int clampCoord(std::int64_t v) {
    return static_cast<int>(std::clamp<std::int64_t>(v, -kCoordLimit, kCoordLimit));
}

// The segment cut to the coordinate limit (Liang-Barsky), so a far end point does not bend the
// visible part; nothing when it misses the limit square.
void addClippedSegment(QVector<QLine>& lines, std::int64_t x1, std::int64_t y1, std::int64_t x2,
                       std::int64_t y2);

inline void addSegment(QVector<QLine>& lines, std::int64_t x1, std::int64_t y1, std::int64_t x2,
                       std::int64_t y2) {
    const auto inside = [](std::int64_t v) { return v >= -kCoordLimit && v <= kCoordLimit; };
    if (inside(x1) && inside(y1) && inside(x2) && inside(y2)) {
        lines.append(QLine(int(x1), int(y1), int(x2), int(y2)));
        return;
    }
    addClippedSegment(lines, x1, y1, x2, y2);
}

// The curve's 2-pixel pen and the 5-pixel pen of the sample dots.
QPen curvePen(const QColor& c);
QPen dotPen(const QColor& c);
// A pen width for a target `scale` times as fine (print, a high-density screen): whole
// pixels, at least one.
inline int scaledWidth(int width, double scale) {
    return std::max(1, static_cast<int>(std::lround(width * scale)));
}
// Sets the dot pen and a brush of the same colour: the wide pen alone strokes a ring around
// the small ellipse and leaves a hole in the middle; filled, the dot is a solid disc.
void setDotInk(QPainter& p, const QColor& c, int penWidth);
// One sample dot: an ellipse with the bounding box (x - 1, y - 1) to (x + 1, y + 1), drawn
// with the painter's pen and brush (setDotInk).
void drawDot(QPainter& p, int x, int y);
// A sample dot on a target `scale` times as fine: the disc the dot pen draws around an ellipse
// of radius `radius`, filled with the painter's brush. A pen wider than the ellipse leaves a
// hole in the middle on a raster target; the disc is solid at every size.
void drawScaledDot(QPainter& p, int x, int y, int radius, int penWidth);

// The pixels of the painter's target when it is a 32-bit image drawn plainly (no transform,
// clip, opacity or unusual composition): opaque ink can then be written straight into it.
struct DirectTarget {
    uchar* bits = nullptr; // null when the target cannot be written directly
    qsizetype stride = 0;
    int width = 0;
    int height = 0;

    static DirectTarget of(QPainter& p);

    QRgb* row(int y) const { return reinterpret_cast<QRgb*>(bits + qsizetype(y) * stride); }

    // Pixels x1..x2 of row y, cut to the image.
    void fillSpan(int y, int x1, int x2, QRgb value) const {
        if (y < 0 || y >= height) {
            return;
        }
        x1 = std::max(x1, 0);
        x2 = std::min(x2, width - 1);
        if (x1 <= x2) {
            std::fill(row(y) + x1, row(y) + x2 + 1, value);
        }
    }

    // The same pixels as QPainter::fillRect with an opaque colour.
    void fillRect(const QRect& r, QRgb value) const {
        const int x1 = std::max(r.left(), 0);
        const int x2 = std::min(r.right(), width - 1);
        const int y1 = std::max(r.top(), 0);
        const int y2 = std::min(r.bottom(), height - 1);
        if (x1 > x2) {
            return;
        }
        const int n = x2 - x1 + 1;
        if (n == 1) {
            for (int y = y1; y <= y2; ++y) {
                row(y)[x1] = value;
            }
            return;
        }
        if (n == 2) {
            // The curve's columns: one 8-byte store a row.
            const std::uint64_t two = (std::uint64_t(value) << 32) | value;
            for (int y = y1; y <= y2; ++y) {
                std::memcpy(row(y) + x1, &two, sizeof two);
            }
            return;
        }
        for (int y = y1; y <= y2; ++y) {
            fillPixels(row(y) + x1, n, value);
        }
    }

    // n pixels from `line`, four a store, which the compiler does not do by itself here.
    static void fillPixels(QRgb* line, int n, QRgb value) {
        const std::array<QRgb, 4> four{value, value, value, value};
        int i = 0;
        for (; i + 4 <= n; i += 4) {
            std::memcpy(line + i, four.data(), sizeof four);
        }
        for (; i < n; ++i) {
            line[i] = value;
        }
    }
};

// Tall fills of one opaque ink, gathered and then written row by row. Filling a column of
// pixels touches a new cache line on every row; a dense curve fills hundreds of such columns,
// and writing the same pixels along the rows is several times faster. The pixels are the
// same: every fill is the same opaque ink, so their order does not matter.
class TallFills {
public:
    // Fills lower than this are cheaper written at once.
    static constexpr int kMinRows = 8;

    explicit TallFills(const DirectTarget& target) : target_(target) {}

    // Takes a fill for later when it is tall and the target can be written directly; false
    // when the caller should fill it now.
    bool take(const QRect& r) {
        if (target_.bits == nullptr || r.height() < kMinRows) {
            return false;
        }
        const int x1 = std::max(r.left(), 0);
        const int x2 = std::min(r.right(), target_.width - 1);
        const int y1 = std::max(r.top(), 0);
        const int y2 = std::min(r.bottom(), target_.height - 1);
        if (x1 <= x2 && y1 <= y2) {
            edges_.push_back({y1, x1, x2, 1});
            edges_.push_back({y2 + 1, x1, x2, -1});
        }
        return true;
    }

    // Writes everything taken so far in `value`.
    void flush(QRgb value);

private:
    // Columns x1..x2 start (+1) or stop (-1) being filled at row y.
    struct Edge {
        int y;
        int x1;
        int x2;
        int delta;
    };
    DirectTarget target_;
    std::vector<Edge> edges_;
    std::vector<Edge> sorted_;
};

// One dot drawn once into an image, then copied to every position; with aliased drawing and
// an opaque colour the copy gives the same pixels as drawing the ellipse there.
class DotStamp {
public:
    static constexpr int kHalf = 8;

    DotStamp(const QColor& colour, QPainter& target);

    // The pixels a dot may ink, relative to its centre.
    const QRect& extent() const { return extent_; }

    // Rows of dot positions may be this far apart and still draw as one filled run.
    int runGap() const { return nested_ ? wideLast_ - wideFirst_ + 1 : 1; }

    void stamp(QPainter& p, int x, int y) const {
        if (vector_) {
            // A drawing (SVG, PDF) keeps each dot a circle rather than a small picture.
            const QPen pen = p.pen();
            const QBrush brush = p.brush();
            setDotInk(p, colour_, dotPenWidth_);
            drawDot(p, x, y);
            p.setPen(pen);
            p.setBrush(brush);
            return;
        }
        if (target_.bits == nullptr) {
            p.drawImage(x - kHalf, y - kHalf, image_);
            return;
        }
        // Straight into the image: the same opaque pixels the copy would leave.
        if (x < kHalf || y < kHalf || x + kHalf >= target_.width || y + kHalf >= target_.height) {
            for (const Ink& k : ink_) {
                target_.fillSpan(y + k.dy, x + k.dx1, x + k.dx2, k.value);
            }
            return;
        }
        QRgb* centre = target_.row(y) + x;
        for (const Piece& k : pieces_) {
            std::fill_n(centre + k.offset, k.count, k.value);
        }
    }

    // The widest band of the dots at x for y in [yTop, yBottom]: pixels they surely cover.
    // Empty when the dot does not nest.
    QRect band(int x, int yTop, int yBottom) const {
        if (!nested_) {
            return QRect();
        }
        const int rowFirst = yTop + wideFirst_ - kHalf;
        const int rowLast = yBottom + wideLast_ - kHalf;
        return QRect(x + wideLeft_ - kHalf, rowFirst, wideRight_ - wideLeft_ + 1,
                     rowLast - rowFirst + 1);
    }

    // All dots at x for y in [yTop, yBottom]. `before` is the band drawn last: where it is
    // the band one column to the left, the rows both share only need the new right column.
    void stampRun(QPainter& p, int x, int yTop, int yBottom, const QColor& colour,
                  const QRect& before = QRect()) const {
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
        const QRect fill = band(x, yTop, yBottom);
        const int shareTop = std::max(fill.top(), before.top());
        const int shareBottom = std::min(fill.bottom(), before.bottom());
        if (before.isEmpty() || before.left() + 1 != fill.left() ||
            before.width() != fill.width() || shareTop > shareBottom) {
            fillBand(p, fill, colour);
            return;
        }
        fillBand(p, QRect(QPoint(fill.left(), fill.top()), QPoint(fill.right(), shareTop - 1)),
                 colour);
        fillBand(p, QRect(QPoint(fill.right(), shareTop), QPoint(fill.right(), shareBottom)),
                 colour);
        fillBand(p,
                 QRect(QPoint(fill.left(), shareBottom + 1), QPoint(fill.right(), fill.bottom())),
                 colour);
    }

    // Tall bands go to `tall` (null: none), written when it is flushed.
    void deferTallFills(TallFills* tall) { tall_ = tall; }

private:
    bool vector_ = false; // the target is not a raster image
    QColor colour_;
    int dotPenWidth_ = 0;
    void findSpans();
    void fillBand(QPainter& p, const QRect& r, const QColor& colour) const {
        if (r.isEmpty() || (tall_ != nullptr && tall_->take(r))) {
            return;
        }
        if (target_.bits != nullptr) {
            target_.fillRect(r, colour.rgba());
        } else {
            p.fillRect(r, colour);
        }
    }

    // A run of pixels of one value in one row of the dot.
    struct Ink {
        int dy;
        int dx1;
        int dx2;
        QRgb value;
    };
    std::vector<Ink> ink_;
    DirectTarget target_;
    TallFills* tall_ = nullptr;
    // The runs again as offsets in the target's pixels from the dot's centre.
    struct Piece {
        qsizetype offset;
        int count;
        QRgb value;
    };
    std::vector<Piece> pieces_;

    QImage image_;
    QRect extent_;
    bool nested_ = false;
    int wideFirst_ = 0;
    int wideLast_ = 0;
    int wideLeft_ = 0;
    int wideRight_ = 0;
};

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

    VerticalStroke();

    QRect rect(int x, int a, int b) const {
        if (a > b) {
            std::swap(a, b);
        }
        return QRect(QPoint(x + left, a + top), QPoint(x + right, b + bottom));
    }
};

// How a pen (the curve's 2-pixel pen unless given) covers a steep segment from (x, y) to
// (x + run, y + rise), run 0 or 1: the pixel runs of each row, measured once per rise. A
// dense curve joins every pair of neighbouring columns with such a segment; writing its runs
// is much cheaper than stroking it.
class SteepStroke {
public:
    static constexpr int kMaxRise = 4096;

    struct Span {
        int dy; // row, from the segment's start
        int dx1;
        int dx2;
    };
    struct Shape {
        std::vector<Span> spans; // by row
        int left = 0;            // extent from the start point, inclusive
        int right = -1;
        int top = 0;
        int bottom = -1;
        // Every row from top to bottom is one span from left to right.
        bool solid = false;
        // Column extent of spans[0..i] and of spans[i..end), to find how far from either end
        // the spans stay inside a given column range.
        std::vector<std::pair<int, int>> headExtent;
        std::vector<std::pair<int, int>> tailExtent;

        // Spans [0, n) all lie within columns [left, right].
        std::size_t headWithin(int left, int right) const;
        // Spans [n, end) all lie within columns [left, right].
        std::size_t tailFrom(int left, int right) const;
    };

    SteepStroke();
    SteepStroke(const QPen& pen, int run);
    // The pixels for this rise, or null when it is out of range.
    const Shape* shape(int rise);

    // Whether all of the segment from (x, y) to (x + 1, y + rise) lands inside the target, so
    // its spans can be written there.
    bool fits(const DirectTarget& t, int x, int y, int rise) {
        const Shape* s = shape(rise);
        return s != nullptr && s->right >= s->left && x + s->left >= 0 && y + s->top >= 0 &&
               x + s->right < t.width && y + s->bottom < t.height;
    }

private:
    Shape measure(int rise) const;

    QPen pen_;
    int run_ = 1;
    std::mutex lock_;           // taken only to measure a shape
    std::vector<Shape> shapes_; // by rise + kMaxRise
    std::unique_ptr<std::atomic<bool>[]> measured_;
};

// Horizontal and vertical lines of one wide pen (the grid and alarm lines on a fine screen).
// A wide dashed pen is stroked dash by dash, so each line costs hundreds of small polygons.
// Lines of one length and direction give the same pixels wherever they start, so one of them
// is drawn with the pen and its pixels are copied to the others. Other lines and targets
// are drawn with the pen.
void drawAxisLines(QPainter& p, const QPen& pen, const QVector<QLine>& lines);

} // namespace quillmark
