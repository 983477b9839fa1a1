// What the window asks of an X11 window manager beyond Qt's window flags.
#pragma once

class QWidget;

namespace delaysub::window {

// Adds _NET_WM_STATE_SKIP_TASKBAR to the state of the top-level window, which
// a window manager reads when the window is mapped: call it after the native
// window exists and before it is shown. Elsewhere than on X11 (Wayland, the
// offscreen platform) there is no such hint and nothing happens.
void keepOutOfTaskBar(QWidget* window);

}  // namespace delaysub::window
