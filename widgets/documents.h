#pragma once

#include <QString>

#include <csignal>

// Hands documents (the manual, a saved picture or report) to the desktop's
// program for them.
namespace Documents {

// SIGTERM, SIGINT and SIGHUP: the signals by which the desktop asks the
// program to stop. The program blocks them in its own threads and reads
// them from a descriptor.
sigset_t quitSignals();

// Whether the desktop names a program for files of this kind (told by the
// file's name and content). Its opener starts without one and fails only
// afterwards, unseen; so the desktop's own lookup is asked where it exists.
// Without that lookup the opening itself has to tell, and the answer is yes.
bool viewerAvailable(const QString& path);

// Opens the file with the desktop's program for its kind. That program
// starts with the quit signals unblocked, so the desktop stops it as any
// other; this thread's block is back when the call returns. False when the
// desktop found nothing to open it with.
bool open(const QString& path);

} // namespace Documents
