#pragma once

#include "activity.h"

#include <QByteArray>

namespace exchange {

// Reads a TCX file: each recorded activity becomes a session with its laps
// and track points; files of courses or workouts only are refused.
ReadResult readTcx(const QByteArray& bytes);

// Whether the start of a file (its first few KB) is a TCX document.
bool looksLikeTcx(const QByteArray& head);

} // namespace exchange
