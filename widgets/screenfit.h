#pragma once

#include <QMargins>
#include <QRect>
#include <QSize>

class QWidget;

// Keeps the program's windows on their screen: a window opens fully inside
// the available area of its screen (without the desktop's panels), shrunk
// where it is larger, on any scale factor. Where the content cannot shrink
// with the window, it is put into a scroll area.
namespace ScreenFit {

// Fits the window each time it is shown for the first time; called once,
// when the window is created.
void keepOnScreen(QWidget* window);

// Fits the window at once: shrinks it to the available area of its screen
// and moves its frame fully inside.
void fit(QWidget* window);

// The same for a given available area and frame: the frame, title bar and
// borders included, goes inside the area.
void fit(QWidget* window, const QRect& area, const QMargins& frame);

// The available area of the screen that holds the window (or will hold it).
QRect availableArea(const QWidget* window);

// The frame rectangle shrunk to the area where it is larger and moved by
// as little as possible to lie fully inside it.
QRect inside(QRect frame, const QRect& area);

// The size the window's content needs: the minimum of its layout, or the
// room its children take where they are placed by position.
QSize neededSize(QWidget* window);

} // namespace ScreenFit
