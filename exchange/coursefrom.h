#pragma once

#include "activity.h"
#include "course.h"

// The course a watch recorded for one training, from the samples a reader
// gave for its session.
namespace exchange {

// Seconds count from the session's start (else from its first timed
// sample); samples without a time are left out, the others kept in the
// order of their time. A position at (0, 0) or out of range, and any value
// no device can measure (negative, not finite, absurd), is not recorded.
course::Course courseOf(const Session& session);

} // namespace exchange
