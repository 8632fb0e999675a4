#pragma once

#include "tform1.h"

#include <memory>

// The application's name and version, set once before any window, and the
// login dialog for a diary on a database server. The
// application title stands in the windows' own titles only: as the display
// name the desktop would append it to every other window's title.
void prepareApplication();

// Creates the main window, whose creation runs the start-up steps. Null
// when a step failed (its error box has been shown) or the desktop asked
// the program to stop meanwhile: a main window without its storage is of
// no use, so the program then ends.
std::unique_ptr<TForm1> createMainWindow(const StartOptions& options);
