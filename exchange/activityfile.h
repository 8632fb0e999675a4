#pragma once

#include "activity.h"

#include <QByteArray>

namespace exchange {

// Reads a FIT, TCX or GPX file's bytes, whatever its name: the format is
// told by the content. Anything else is refused with a German reason.
ReadResult readActivity(const QByteArray& bytes);

} // namespace exchange
