#include "mainwindow/AutoLock.h"

#include <QCoreApplication>
#include <QEvent>
#include <algorithm>

namespace auto_lock {
namespace {

std::chrono::milliseconds &TestDelay() {
  static std::chrono::milliseconds delay{0};
  return delay;
}

bool IsInput(QEvent::Type type) {
  switch (type) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::Wheel:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::InputMethod:
      return true;
    default:
      return false;
  }
}

}  // namespace

std::chrono::milliseconds IdleClock::Left(Clock::time_point now, std::chrono::milliseconds delay) const {
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(last_ + delay - now);
  return std::max(left, std::chrono::milliseconds(0));
}

AutoLock::AutoLock(QObject *parent) : QObject(parent) {
  timer_.setSingleShot(true);
  connect(&timer_, &QTimer::timeout, this, &AutoLock::CheckIdle);
}

AutoLock::~AutoLock() {
  if (QCoreApplication::instance() != nullptr) QCoreApplication::instance()->removeEventFilter(this);
}

std::chrono::milliseconds AutoLock::Delay() const {
  return TestDelay().count() > 0 ? TestDelay() : kIdleLockDelay;
}

void AutoLock::Arm() {
  armed_ = true;
  clock_.Start(IdleClock::Clock::now());
  timer_.start(Delay());
}

void AutoLock::Disarm() {
  armed_ = false;
  timer_.stop();
}

void AutoLock::WatchInput() {
  if (QCoreApplication::instance() != nullptr) QCoreApplication::instance()->installEventFilter(this);
}

void AutoLock::Request() {
  if (!armed_) return;
  Disarm();
  emit lockNow();
}

// Input only moves the time of the last input; the timer, once due, looks
// whether the delay has really passed since and waits for the rest if not.
void AutoLock::CheckIdle() {
  if (!armed_) return;
  const auto now = IdleClock::Clock::now();
  if (clock_.Due(now, Delay())) {
    Request();
    return;
  }
  timer_.start(std::max(clock_.Left(now, Delay()), std::chrono::milliseconds(1)));
}

bool AutoLock::eventFilter(QObject *watched, QEvent *event) {
  if (armed_ && IsInput(event->type()) && watched->isWidgetType()) clock_.Input(IdleClock::Clock::now());
  return QObject::eventFilter(watched, event);
}

void SetIdleLockDelayForTest(std::chrono::milliseconds delay) { TestDelay() = delay; }

}  // namespace auto_lock
