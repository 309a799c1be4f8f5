#include "runtime/ScreenLockWatch.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <unistd.h>

namespace runtime {
namespace {

constexpr const char *kScreenSavers[] = {"org.freedesktop.ScreenSaver", "org.gnome.ScreenSaver",
                                         "org.xfce.ScreenSaver"};
const QString kLogin1 = QStringLiteral("org.freedesktop.login1");
const QString kLogin1Path = QStringLiteral("/org/freedesktop/login1");
const QString kManager = QStringLiteral("org.freedesktop.login1.Manager");

}  // namespace

ScreenLockWatch::ScreenLockWatch(QObject *parent) : QObject(parent) {
  QDBusConnection session = QDBusConnection::sessionBus();
  if (session.isConnected()) {
    // Each screensaver emits on a path of its own, some on two: any path of
    // the name's owner.
    for (const char *name : kScreenSavers)
      session.connect(QString::fromLatin1(name), QString(), QString::fromLatin1(name),
                      QStringLiteral("ActiveChanged"), this, SLOT(ActiveChanged(bool)));
  }
  QDBusConnection system = QDBusConnection::systemBus();
  if (system.isConnected()) {
    system.connect(kLogin1, kLogin1Path, kManager, QStringLiteral("PrepareForSleep"), this,
                   SLOT(PrepareForSleep(bool)));
    FindSession();
  }
}

void ScreenLockWatch::ActiveChanged(bool active) {
  if (active) emit locking();
}

void ScreenLockWatch::PrepareForSleep(bool sleeping) {
  if (sleeping) emit locking();
}

void ScreenLockWatch::SessionLock() { emit locking(); }

// The session's object path, asked without waiting: by our process, else by
// the session id the desktop gave us.
void ScreenLockWatch::FindSession() {
  QDBusMessage byPid = QDBusMessage::createMethodCall(kLogin1, kLogin1Path, kManager,
                                                      QStringLiteral("GetSessionByPID"));
  byPid << static_cast<quint32>(getpid());
  auto *watcher = new QDBusPendingCallWatcher(QDBusConnection::systemBus().asyncCall(byPid), this);
  connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher *call) {
    call->deleteLater();
    const QDBusPendingReply<QDBusObjectPath> reply = *call;
    if (!reply.isError()) {
      SessionFound(reply.value().path());
      return;
    }
    const QString id = qEnvironmentVariable("XDG_SESSION_ID");
    if (id.isEmpty()) return;
    QDBusMessage byId = QDBusMessage::createMethodCall(kLogin1, kLogin1Path, kManager, QStringLiteral("GetSession"));
    byId << id;
    auto *second = new QDBusPendingCallWatcher(QDBusConnection::systemBus().asyncCall(byId), this);
    connect(second, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher *again) {
      again->deleteLater();
      const QDBusPendingReply<QDBusObjectPath> found = *again;
      if (!found.isError()) SessionFound(found.value().path());
    });
  });
}

void ScreenLockWatch::SessionFound(const QString &path) {
  QDBusConnection::systemBus().connect(kLogin1, path, QStringLiteral("org.freedesktop.login1.Session"),
                                       QStringLiteral("Lock"), this, SLOT(SessionLock()));
}

}  // namespace runtime
