#pragma once

// The diary operations in one include: text forms, calendar weeks, the
// reads over the database and the sums over many entries.
#include "diaryforms.h"
#include "diaryqueries.h"
#include "diarysums.h"
#include "diaryweeks.h"
