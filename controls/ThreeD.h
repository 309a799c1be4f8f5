// The 3-D command button, panel and frame of both windows: bevelled,
// with a settable back colour.
#pragma once
#include <QAbstractButton>
#include <QColor>
#include <QFrame>

namespace controls {

// The system button-face colour.
QColor ButtonFace();

// Draws a bevel of the given depth inside rect: raised or sunken.
void DrawBevel(QPainter &painter, const QRect &rect, bool raised, int depth);

// Pressed by a click, by Space, or by Enter while it has the focus.
class SSCommand : public QAbstractButton {
  Q_OBJECT
 public:
  explicit SSCommand(const QString &caption, QWidget *parent = nullptr);

  void setBackColor(const QColor &color);
  QColor backColor() const { return backColor_; }

  QSize sizeHint() const override;

 protected:
  void paintEvent(QPaintEvent *event) override;
  void keyPressEvent(QKeyEvent *event) override;

 private:
  QColor backColor_;
};

class SSPanel : public QFrame {
  Q_OBJECT
 public:
  explicit SSPanel(QWidget *parent = nullptr);

 protected:
  void paintEvent(QPaintEvent *event) override;
};

// A frame without caption: an etched line around its fields.
class SSFrame : public QFrame {
  Q_OBJECT
 public:
  explicit SSFrame(QWidget *parent = nullptr);

 protected:
  void paintEvent(QPaintEvent *event) override;
};

}  // namespace controls
