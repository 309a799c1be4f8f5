#include "controls/Twips.h"

#include <QGuiApplication>
#include <QScreen>
#include <cmath>

namespace controls {

qreal ScreenDpi(const QWidget *widget) {
  const QScreen *screen = widget != nullptr ? widget->screen() : QGuiApplication::primaryScreen();
  if (screen == nullptr) screen = QGuiApplication::primaryScreen();
  return screen != nullptr ? screen->logicalDotsPerInch() : 96.0;
}

int TwipsToPixels(int twips, qreal dpi) { return static_cast<int>(std::lround(twips * dpi / 1440.0)); }

int PixelsToTwips(int pixels, qreal dpi) { return static_cast<int>(std::lround(pixels * 1440.0 / dpi)); }

void PlaceInTwips(QWidget *widget, int left, int top, int width, int height) {
  const qreal dpi = ScreenDpi(widget);
  widget->setGeometry(TwipsToPixels(left, dpi), TwipsToPixels(top, dpi), TwipsToPixels(width, dpi),
                      TwipsToPixels(height, dpi));
}

}  // namespace controls
