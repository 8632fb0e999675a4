#pragma once

#include "pagecanvas.h"

#include <QDate>
#include <QString>
#include <QStringList>

#include <functional>

class Database;
class QWidget;

// The diary report: every diary entry of a person in a period with its
// training units, grouped by calendar week, with optional week and month
// summaries, on landscape A4 pages.
namespace diaryreport {

// What the report window passes.
struct Options
{
    int userId = -1;
    QDate from;
    QDate to;
    QString fontName = QStringLiteral("Arial");
    bool weekly = false;          // "wöchentlich"
    bool monthly = false;         // "monatlich"
    bool ignoreEmptyWeeks = false; // "ignoriere Nullwochen" (only with weekly)
    QWidget* messageParent = nullptr; // owner of the no-entries message
};

enum class Outcome
{
    Composed,
    NoEntries, // the first page holds its headings only
};

// The message shown for a period without entries.
QString noEntriesText();

// Composes the whole report into an empty document. The entries of the
// period and all their units are read with one statement each. Database
// errors (StorageError) are not caught here.
Outcome compose(Database& db, const Options& options, pages::Document& document);

// Column positions of the diary report, columns 1..10 (index 0 unused).
const int* columns();

// How wide a text is, in the unit of a wrapping width.
using Measure = std::function<double(const QString&)>;

// Wraps the text into lines no wider than width, appended to the target:
// every paragraph (text between line breaks) gives at least one line, lines
// keep the blank after their last word (it is not measured), and a word
// wider than the width is broken over as many lines as it needs.
void CreatePrintList(QStringList& target, const QString& text, double width, const Measure& measure);
// The same with the width in characters.
void CreatePrintList(QStringList& target, const QString& text, int width);

// The week key "week;year" of a date, the year being the one of its week.
QString weekKey(const QDate& date);

} // namespace diaryreport
