#pragma once

#include <QString>

// The one way a value enters a composed statement: between single quotes,
// with every single quote inside it doubled, so that a typed text such as
// "O'Brien" stands for itself and never changes what the statement does.
QString quoted(const QString& value);
QString quoted(qint64 value);
QString quoted(int value);
