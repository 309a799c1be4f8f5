#include "controls/ThreeD.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QPalette>

#include "controls/Accessibility.h"

namespace controls {

QColor ButtonFace() { return QColor(240, 240, 240); }

void DrawBevel(QPainter &painter, const QRect &rect, bool raised, int depth) {
  const QColor light(255, 255, 255), shadow(128, 128, 128), dark(64, 64, 64);
  QRect r = rect.adjusted(0, 0, -1, -1);
  for (int i = 0; i < depth; ++i) {
    const QColor topLeft = raised ? light : (i == 0 ? shadow : dark);
    const QColor bottomRight = raised ? (i == 0 ? dark : shadow) : light;
    painter.setPen(topLeft);
    painter.drawLine(r.topLeft(), r.topRight());
    painter.drawLine(r.topLeft(), r.bottomLeft());
    painter.setPen(bottomRight);
    painter.drawLine(r.bottomLeft(), r.bottomRight());
    painter.drawLine(r.topRight(), r.bottomRight());
    r.adjust(1, 1, -1, -1);
  }
}

SSCommand::SSCommand(const QString &caption, QWidget *parent)
    : QAbstractButton(parent), backColor_(ButtonFace()) {
  setText(caption);
  setFocusPolicy(Qt::StrongFocus);
}

void SSCommand::setBackColor(const QColor &color) {
  backColor_ = color;
  update();
}

QSize SSCommand::sizeHint() const {
  const QFontMetrics fm(font());
  return {fm.horizontalAdvance(text()) + 16, fm.height() + 12};
}

void SSCommand::paintEvent(QPaintEvent *) {
  QPainter p(this);
  p.fillRect(rect(), backColor_);
  const bool down = isDown();
  DrawBevel(p, rect(), !down, 2);
  QRect textRect = rect();
  if (down) textRect.translate(1, 1);
  p.setFont(font());
  if (isEnabled()) {
    p.setPen(Qt::black);
    p.drawText(textRect, Qt::AlignCenter, text());
  } else {
    // Etched caption, as disabled 3-D buttons show it.
    p.setPen(Qt::white);
    p.drawText(textRect.translated(1, 1), Qt::AlignCenter, text());
    p.setPen(QColor(128, 128, 128));
    p.drawText(textRect, Qt::AlignCenter, text());
  }
  if (hasFocus()) {
    p.setPen(QPen(Qt::black, 1, Qt::DotLine));
    p.drawRect(rect().adjusted(4, 4, -5, -5));
  }
}

void SSCommand::keyPressEvent(QKeyEvent *event) {
  const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
  if (enter && !(event->modifiers() & ~Qt::KeypadModifier)) {
    // One press per key stroke: a held key does not repeat the command.
    if (!event->isAutoRepeat()) click();
    event->accept();
    return;
  }
  QAbstractButton::keyPressEvent(event);
}

// Panels and frames group controls inside a window; screen readers must
// not take them for windows of their own.
SSPanel::SSPanel(QWidget *parent) : QFrame(parent) {
  SetAccessibleRole(this, QAccessible::Grouping);
  setAutoFillBackground(true);
  QPalette pal = palette();
  pal.setColor(QPalette::Window, ButtonFace());
  setPalette(pal);
}

void SSPanel::paintEvent(QPaintEvent *) {
  QPainter p(this);
  DrawBevel(p, rect(), true, 2);
}

SSFrame::SSFrame(QWidget *parent) : QFrame(parent) { SetAccessibleRole(this, QAccessible::Grouping); }

void SSFrame::paintEvent(QPaintEvent *) {
  QPainter p(this);
  const QRect r = rect().adjusted(0, 0, -1, -1);
  p.setPen(QColor(128, 128, 128));
  p.drawRect(r.adjusted(0, 0, -1, -1));
  p.setPen(Qt::white);
  p.drawRect(r.adjusted(1, 1, 0, 0));
}

}  // namespace controls
