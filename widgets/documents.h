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

// Opens the file with the desktop's program for its kind. That program
// starts with the quit signals unblocked, so the desktop stops it as any
// other; this thread's block is back when the call returns. False when the
// desktop found nothing to open it with.
bool open(const QString& path);

} // namespace Documents
