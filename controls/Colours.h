// Colours of the windows that do not follow the desktop's colour scheme.
#pragma once
#include <QColor>
#include <QPalette>

namespace controls {

// A palette of dark text on the given light background for every control
// role, so that a dark desktop scheme cannot put white text on it. Set on a
// window, its controls inherit it.
QPalette FixedPalette(const QColor &background);

// Contrast of two colours, 1 (none) to 21 (black on white), as readability
// guidelines measure it.
double ContrastRatio(const QColor &a, const QColor &b);

}  // namespace controls
