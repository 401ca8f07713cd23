#pragma once
// The plot's 24-bit colour values as Qt colours and back.
#include <QColor>

#include "core/plot/plot_colours.h"

namespace quillmark {

inline QColor toQColor(ColourRef c) {
    return QColor(redOf(c), greenOf(c), blueOf(c));
}

inline ColourRef fromQColor(const QColor& c) {
    return rgbColour(c.red(), c.green(), c.blue());
}

} // namespace quillmark
