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
#include <cstdint>
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
// One sample dot: an ellipse with the bounding box (x - 1, y - 1) to (x + 1, y + 1).
void drawDot(QPainter& p, int x, int y);

// One dot drawn once into an image, then copied to every position; with aliased drawing and
// an opaque colour the copy gives the same pixels as drawing the ellipse there.
class DotStamp {
public:
    static constexpr int kHalf = 8;

    DotStamp(const QColor& colour, QPainter& target);

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
    void findSpans();
    void findDirectTarget(QPainter& p);

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

} // namespace quillmark
