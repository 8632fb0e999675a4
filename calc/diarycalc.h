#pragma once

// The diary operations in one include: text forms, calendar weeks and the
// statements on the shared queries.
#include "diaryforms.h"
#include "diaryqueries.h"
#include "diarysums.h"
#include "diaryweeks.h"
