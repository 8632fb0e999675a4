#pragma once

#include <Qt>

class QWidget;

// The frame of a working window (the diary-entry editor, the statistics and
// the reports): a window of its own with title bar, minimise, maximise and
// close buttons. Created with the main window as its parent, it is transient
// for the main window, so that every desktop keeps it above the main window
// and groups it with it, but never above other programs.
inline Qt::WindowFlags workingWindowFlags()
{
    return Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinMaxButtonsHint
           | Qt::WindowCloseButtonHint;
}

// The frame of a keeping window (shoes, training zones): title bar and close
// button only, transient for the main window as a working window is. Not a
// tool window: desktops do not give the focus to those when they open.
inline Qt::WindowFlags keepingWindowFlags()
{
    return Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint;
}

namespace WorkingWindow {

// Each time the window is shown it asks the desktop to make it the active
// window, with the focus in the given field (or, where that is disabled,
// the next one that takes the focus).
void activateWhenShown(QWidget* window, QWidget* firstField);

// Puts the window's frame centred over the frame of the window that owns it.
void centreOverOwner(QWidget* window);

} // namespace WorkingWindow
