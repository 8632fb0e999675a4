#pragma once

#include <Qt>

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
