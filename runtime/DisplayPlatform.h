// Which of Qt's display platforms the program runs on.
#pragma once

namespace runtime {

// Chooses X11 (xcb) unless the owner has named a platform in QT_QPA_PLATFORM:
// on a Wayland desktop the program then runs through XWayland, where its
// clipboard clearing and mouse-selection care hold. Called before the
// application object is made.
void ChooseDisplayPlatform();

}  // namespace runtime
