// When the open vault locks itself: after kIdleLockDelay without key or
// mouse input to the program's windows, and when the desktop says the screen
// locks or the machine sleeps. Decided without the window.
#pragma once
#include <QObject>
#include <QTimer>
#include <chrono>

namespace auto_lock {

// How long the grid may stay in view without input.
inline constexpr std::chrono::milliseconds kIdleLockDelay = std::chrono::minutes(5);

// The idle rule on plain time points: due once the delay has passed since
// the grid came into view or the last input, whichever is later.
class IdleClock {
 public:
  using Clock = std::chrono::steady_clock;
  void Start(Clock::time_point now) { last_ = now; }
  void Input(Clock::time_point now) { last_ = now; }
  bool Due(Clock::time_point now, std::chrono::milliseconds delay) const { return now - last_ >= delay; }
  // How long until Due, never negative.
  std::chrono::milliseconds Left(Clock::time_point now, std::chrono::milliseconds delay) const;

 private:
  Clock::time_point last_{};
};

// Armed while the grid is in view. Every request to lock while armed
// disarms it and raises lockNow once: the several signals of one screen
// lock lock once, and a signal while locked does nothing.
class AutoLock : public QObject {
  Q_OBJECT
 public:
  explicit AutoLock(QObject *parent = nullptr);
  ~AutoLock() override;

  void Arm();
  void Disarm();
  bool armed() const { return armed_; }

  // Watches key and mouse input to every window of the application.
  void WatchInput();

 public slots:
  // A screen lock, a sleep: locks now, when armed.
  void Request();

 signals:
  void lockNow();

 protected:
  bool eventFilter(QObject *watched, QEvent *event) override;

 private:
  void CheckIdle();
  std::chrono::milliseconds Delay() const;

  bool armed_ = false;
  IdleClock clock_;
  QTimer timer_;
};

// Tests only: the idle delay of the locks that follow; zero restores
// kIdleLockDelay. The program never calls it; the end-to-end run measures
// the program's own delay.
void SetIdleLockDelayForTest(std::chrono::milliseconds delay);

}  // namespace auto_lock
