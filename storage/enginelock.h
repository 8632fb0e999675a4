#pragma once

#include <QString>

// The embedded engine coordinates its work on a database through lock files
// in a folder of its own. Its default, /tmp/firebird, belongs to the
// engine's group where the system's engine package is installed, so a user
// outside that group could not open even a diary of their own. Each user
// therefore gets a lock folder only they can use: in the desktop's runtime
// folder, else in their cache.
namespace enginelock {

// Sets FIREBIRD_LOCK for this process unless it is set already (a folder the
// user chose stays in use). Must run before the client library is first used
// and while the process has a single thread, as the first step of main().
// Returns the folder in force; empty when none could be made, and the
// engine then keeps its default.
QString useOwnFolder();

} // namespace enginelock
