// The desktop's word that the screen locks or the machine goes to sleep.
#pragma once
#include <QObject>
#include <QString>

namespace runtime {

// Listens on the session bus for ActiveChanged(true) of the screensavers
// (org.freedesktop, org.gnome and org.xfce), and on the system bus for Lock
// of this program's own login session and PrepareForSleep(true) of logind.
// Only the owner of each name is heard. A missing bus or service is normal:
// the watch then hears nothing from it and says nothing.
class ScreenLockWatch : public QObject {
  Q_OBJECT
 public:
  explicit ScreenLockWatch(QObject *parent = nullptr);

 signals:
  // Once per signal heard; several may come for one screen lock.
  void locking();

 private slots:
  void ActiveChanged(bool active);
  void PrepareForSleep(bool sleeping);
  void SessionLock();
  void SessionFound(const QString &path);

 private:
  void FindSession();
};

}  // namespace runtime
