#include "controls/Colours.h"

#include <algorithm>
#include <cmath>

#include "controls/ThreeD.h"

namespace controls {

QPalette FixedPalette(const QColor &background) {
  const QColor black(0, 0, 0), white(255, 255, 255), grey(120, 120, 120), face = ButtonFace();
  QPalette p;
  const struct {
    QPalette::ColorRole role;
    QColor colour;
  } roles[] = {
      {QPalette::Window, background},
      {QPalette::WindowText, black},
      {QPalette::Base, white},
      {QPalette::AlternateBase, QColor(245, 245, 245)},
      {QPalette::Text, black},
      {QPalette::PlaceholderText, grey},
      {QPalette::Button, face},
      {QPalette::ButtonText, black},
      {QPalette::BrightText, white},
      {QPalette::Light, white},
      {QPalette::Midlight, QColor(227, 227, 227)},
      {QPalette::Mid, QColor(160, 160, 160)},
      {QPalette::Dark, QColor(128, 128, 128)},
      {QPalette::Shadow, QColor(64, 64, 64)},
      {QPalette::Highlight, QColor(0, 0, 128)},
      {QPalette::HighlightedText, white},
      {QPalette::Link, QColor(0, 0, 192)},
      {QPalette::LinkVisited, QColor(96, 0, 128)},
      {QPalette::ToolTipBase, QColor(255, 255, 225)},
      {QPalette::ToolTipText, black},
  };
  for (const auto &r : roles) p.setColor(r.role, r.colour);  // every group
  for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
    p.setColor(QPalette::Disabled, role, grey);
  return p;
}

namespace {

double Luminance(const QColor &c) {
  auto channel = [](double v) { return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); };
  return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) + 0.0722 * channel(c.blueF());
}

}  // namespace

double ContrastRatio(const QColor &a, const QColor &b) {
  const double la = Luminance(a), lb = Luminance(b);
  return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

}  // namespace controls
