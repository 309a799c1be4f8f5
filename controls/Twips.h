// Form geometry is designed in twips (1/1440 inch): 15 twips a pixel at 96 dpi.
#pragma once
#include <QRect>
#include <QWidget>

namespace controls {

// The logical dpi of the screen the widget is on (96 without a screen).
qreal ScreenDpi(const QWidget *widget = nullptr);

int TwipsToPixels(int twips, qreal dpi);
int PixelsToTwips(int pixels, qreal dpi);

// Places widget at left, top, width, height twips within its parent.
void PlaceInTwips(QWidget *widget, int left, int top, int width, int height);

}  // namespace controls
