// What assistive technology (screen readers) sees of the windows.
#pragma once
#include <QAccessible>

class QWidget;

namespace controls {

// Gives a window (or any widget) its role, for example a dialog or a main
// window, in place of the role of its widget class.
void SetAccessibleRole(QWidget *widget, QAccessible::Role role);

// Leaves out of the accessibility tree a widget that is never shown. Its
// parent must have been given a role with SetAccessibleRole.
void HideFromAccessibility(QWidget *widget);

}  // namespace controls
