#include "controls/Accessibility.h"

#include <QAccessibleWidget>
#include <QWidget>

namespace controls {

namespace {

constexpr char kRoleProperty[] = "vantryAccessibleRole";
constexpr char kHiddenProperty[] = "vantryAccessibleHidden";

// A widget with a role of its own; its children, less the hidden ones.
class RoleInterface : public QAccessibleWidget {
 public:
  RoleInterface(QWidget *widget, QAccessible::Role role) : QAccessibleWidget(widget, role) {}

  int childCount() const override { return static_cast<int>(Children().size()); }

  QAccessibleInterface *child(int index) const override {
    const QList<QWidget *> children = Children();
    if (index < 0 || index >= children.size()) return nullptr;
    return QAccessible::queryAccessibleInterface(children.at(index));
  }

  int indexOfChild(const QAccessibleInterface *child) const override {
    if (child == nullptr) return -1;
    return static_cast<int>(Children().indexOf(qobject_cast<QWidget *>(child->object())));
  }

 private:
  QList<QWidget *> Children() const {
    QList<QWidget *> children;
    for (QObject *o : widget()->children()) {
      auto *w = qobject_cast<QWidget *>(o);
      if (w != nullptr && !w->isWindow() && !w->property(kHiddenProperty).toBool()) children << w;
    }
    return children;
  }
};

QAccessibleInterface *Factory(const QString &, QObject *object) {
  auto *widget = qobject_cast<QWidget *>(object);
  if (widget == nullptr) return nullptr;
  const QVariant role = widget->property(kRoleProperty);
  if (!role.isValid()) return nullptr;
  return new RoleInterface(widget, static_cast<QAccessible::Role>(role.toInt()));
}

void InstallFactory() {
  static const bool installed = [] {
    QAccessible::installFactory(&Factory);
    return true;
  }();
  (void)installed;
}

// An interface made before the widget was marked, while assistive
// technology was listening, is dropped so that the next one sees the mark.
void DropStale(QWidget *widget) {
  if (!QAccessible::isActive()) return;
  QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(widget);
  if (iface != nullptr && dynamic_cast<RoleInterface *>(iface) == nullptr)
    QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(iface));
}

}  // namespace

void SetAccessibleRole(QWidget *widget, QAccessible::Role role) {
  InstallFactory();
  widget->setProperty(kRoleProperty, static_cast<int>(role));
  DropStale(widget);
}

void HideFromAccessibility(QWidget *widget) {
  InstallFactory();
  widget->setProperty(kHiddenProperty, true);
  if (widget->parentWidget() != nullptr) DropStale(widget->parentWidget());
}

}  // namespace controls
