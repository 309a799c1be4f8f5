#include "controls/ThreeD.h"

#include <QApplication>
#include <QKeyEvent>
#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
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

namespace {

// A caption centred in rect, in the painter's font and pen colour. On a
// screen of more than one device pixel per pixel Qt's glyph cache makes the
// bold of a face without one (IPA P Gothic) by the unscaled size, so a bold
// caption came out nearly regular; drawn from its outlines it keeps its weight.
void DrawCaption(QPainter &painter, const QRectF &rect, const QString &text) {
  if (painter.device()->devicePixelRatioF() <= 1.0 || !painter.font().bold()) {
    painter.drawText(rect, Qt::AlignCenter, text);
    return;
  }
  const QFontMetricsF fm(painter.font());
  const QPointF baseline(rect.left() + (rect.width() - fm.horizontalAdvance(text)) / 2,
                         rect.top() + (rect.height() - fm.height()) / 2 + fm.ascent());
  QPainterPath path;
  path.addText(baseline, painter.font(), text);
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing);
  painter.fillPath(path, painter.pen().color());
  painter.restore();
}

}  // namespace

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
    DrawCaption(p, textRect, text());
  } else {
    // Etched caption, as disabled 3-D buttons show it.
    p.setPen(Qt::white);
    DrawCaption(p, textRect.translated(1, 1), text());
    p.setPen(QColor(128, 128, 128));
    DrawCaption(p, textRect, text());
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
