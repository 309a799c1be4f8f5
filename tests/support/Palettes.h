// A dark desktop colour scheme, as a user may have chosen one.
#pragma once
#include <QColor>
#include <QPalette>

inline QPalette DarkPalette() {
  QPalette p;
  const QColor dark(40, 40, 40), text(240, 240, 240);
  for (auto role : {QPalette::Window, QPalette::Base, QPalette::Button, QPalette::AlternateBase, QPalette::ToolTipBase})
    p.setColor(role, dark);
  for (auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText, QPalette::BrightText,
                    QPalette::ToolTipText, QPalette::HighlightedText, QPalette::PlaceholderText})
    p.setColor(role, text);
  p.setColor(QPalette::Highlight, QColor(42, 130, 218));
  p.setColor(QPalette::Light, QColor(70, 70, 70));
  p.setColor(QPalette::Dark, QColor(20, 20, 20));
  return p;
}
