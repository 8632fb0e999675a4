#include "diaryreport.h"

#include "database.h"
#include "diarycalc.h"
#include "diarystatements.h"
#include "diarysums.h"
#include "messages.h"
#include "sqltext.h"
#include "textforms.h"

#include <QDateTime>
#include <QHash>

namespace diaryreport {

namespace {

using pages::kPageWidth;

constexpr int kRow = 400;          // height of a print row
constexpr int kFirstBodyRow = 8;
constexpr int kLastBodyRow = 48;
constexpr int kFooterRow = 49;
constexpr int kGap = 100;          // room between a column's text and the next column
const QColor kWeekColour(209, 209, 209);
const QColor kMonthColour(192, 192, 192);

// Columns 1..10; index 0 is unused.
constexpr int kCols[11] = {0, 1000, 4500, 5900, 7500, 8500, 9000, 13500, 16500, 18500, 24000};

const char* const kMonthNames[12] = {"Januar", "Februar", "März", "April", "Mai", "Juni",
                                     "Juli", "August", "September", "Oktober", "November", "Dezember"};

// The title of a month's block: its name and year ("März 2010").
QString monthTitle(const QDate& month)
{
    return QString::fromUtf8(kMonthNames[month.month() - 1]) + u' ' + QString::number(month.year());
}

// The first day of the date's month: months of different years stay apart.
QDate monthOf(const QDate& date)
{
    return QDate(date.year(), date.month(), 1);
}

// A unit's time without leading zeros and colons: 01:05:00 is 1:05:00,
// 00:05:10 is 5:10, 00:00:00 is empty.
QString shortTime(QString time)
{
    while (time.startsWith(u'0')) {
        time.remove(0, 1);
        if (time.startsWith(u':'))
            time.remove(0, 1);
    }
    return time;
}

QString orDashes(const QString& text, const QString& none)
{
    return text == none ? QStringLiteral("--") : text;
}

struct Unit
{
    QString kmText; // distanceText, without " km"
    double km = 0;  // the kilometres as stored: paces are not rounded
    QString time;   // hh:mm:ss
    QString pulse;
    QString zone;
};

struct Entry
{
    qint64 id = 0;
    QDate date;
    QString dateText;
    QString timeOfDay;
    QString weather;
    QString shoes;
    QString restingPulse;
    QString category;
    QString notes;
    QString feeling;
    double weight = 0;
    QString duration;
    QString key;
};

struct Totals
{
    int entries = 0;
    int minutes = 0;
    double km = 0;
};

class Composer
{
public:
    Composer(const Options& options, pages::Document& document)
        : m_options(options)
        , m_canvas(document)
    {
    }

    void run(const QVector<Entry>& entries, const QHash<qint64, QVector<Unit>>& units, const QStringList& weekKeys);
    void startFirstPage();

private:
    void setFont(double points, bool bold)
    {
        m_canvas.setFont({m_options.fontName, points, bold});
    }
    void DrawPageHeadLine(const QString& title, int page);
    int DrawHeadLineDiary();
    // The wrapped lines of a text in the body font for a column that ends at right.
    QStringList bodyLines(const QString& text, int left, int right);
    void DrawLine(int row, int width, int offset, int right, int left);
    int SeitenUmbruch(int page, const QString& title);
    void SeitenFuss();
    bool breakPageIfPast(int lastRow);
    void summaryBlock(const QString& title, const Totals& totals, const QColor& colour);
    void blockHead(const QColor& colour);
    void emptyWeekBlock(const QString& week);
    // Returns where the count text ends.
    double blockTitle(int y, const QString& title, const QString& count);
    void entryRows(const Entry& entry, const QVector<Unit>& units);

    const Options& m_options;
    pages::Canvas m_canvas;
    QString m_title;
    int m_page = 1;
    int m_row = kFirstBodyRow;
    Totals m_week;
    Totals m_month;
    QDate m_currentMonth;
};

void Composer::DrawPageHeadLine(const QString& title, int page)
{
    m_canvas.setTextBackground(Qt::white);
    setFont(16, true);
    m_canvas.textOut(kCols[1], 600, title);
    setFont(9, false);
    m_canvas.textOutRight(kPageWidth - 1000, 1000, QStringLiteral("Seite ") + QString::number(page));
}

int Composer::DrawHeadLineDiary()
{
    setFont(9, true);
    m_canvas.setTextBackground(Qt::white);
    m_canvas.textOut(kCols[1], 1600, QStringLiteral("Datum"));
    m_canvas.textOut(kCols[1], 2000, QStringLiteral("Uhrzeit/Dauer"));
    m_canvas.textOut(kCols[1], 2400, QStringLiteral("Sportart"));
    m_canvas.textOutRight(kCols[2], 1600, QStringLiteral("Strecke"));
    m_canvas.textOutRight(kCols[3], 1600, QStringLiteral("Zeit"));
    m_canvas.textOutRight(kCols[4], 1600, QStringLiteral("min/km"));
    m_canvas.textOutRight(kCols[4], 2000, QStringLiteral("bzw. km/h"));
    m_canvas.textOutRight(kCols[5], 1600, QStringLiteral("Puls"));
    m_canvas.textOut(kCols[6], 1600, QStringLiteral("Trainingsart"));
    m_canvas.textOut(kCols[7], 1600, QStringLiteral("Wetter/"));
    m_canvas.textOut(kCols[7], 2000, QStringLiteral("Schuhe"));
    m_canvas.textOut(kCols[8], 1600, QStringLiteral("Gewicht/"));
    m_canvas.textOut(kCols[8], 2000, QStringLiteral("Ruhepuls"));
    m_canvas.textOut(kCols[9], 1600, QStringLiteral("Befinden"));
    m_canvas.textOut(kCols[10], 1600, QStringLiteral("Notizen"));
    DrawLine(7, 1, 100, kPageWidth - 1000, kCols[1]);
    DrawLine(7, 1, 150, kPageWidth - 1000, kCols[1]);
    return kFirstBodyRow;
}

void Composer::DrawLine(int row, int width, int offset, int right, int left)
{
    const double y = row * kRow + offset;
    m_canvas.line(left, y, right, y, width * 10);
}

int Composer::SeitenUmbruch(int page, const QString& title)
{
    SeitenFuss();
    m_canvas.newPage();
    setFont(9, false);
    DrawPageHeadLine(title, page);
    const int row = DrawHeadLineDiary();
    setFont(9, false);
    return row;
}

void Composer::SeitenFuss()
{
    DrawLine(kFooterRow, 1, 100, kPageWidth - 1000, kCols[1]);
    DrawLine(kFooterRow, 1, 150, kPageWidth - 1000, kCols[1]);
    setFont(6, false);
    m_canvas.setTextBackground(Qt::white);
    const int y = kFooterRow * kRow + 250;
    m_canvas.textOut(kCols[1], y, QStringLiteral("Das Rezidedazurazedad"));
    const QDateTime now = QDateTime::currentDateTime();
    m_canvas.textOutRight(kPageWidth - 1000, y, dateText(now.date()));
    m_canvas.textOutRight(kPageWidth - 1000, kFooterRow * kRow + 550,
                          QString::asprintf("%2.2d:%2.2d", now.time().hour(), now.time().minute()));
}

bool Composer::breakPageIfPast(int lastRow)
{
    if (lastRow <= kLastBodyRow)
        return false;
    ++m_page;
    m_row = SeitenUmbruch(m_page, m_title);
    return true;
}

QStringList Composer::bodyLines(const QString& text, int left, int right)
{
    setFont(9, false);
    QStringList lines;
    CreatePrintList(lines, text, right - left, [this](const QString& t) { return m_canvas.textWidth(t); });
    return lines;
}

void Composer::blockHead(const QColor& colour)
{
    breakPageIfPast(m_row + 3);
    --m_row;
    m_canvas.fillRect(QRectF(QPointF(1000, m_row * kRow + 150), QPointF(28700, m_row * kRow + 1300)), colour);
    DrawLine(m_row, 1, 150, kPageWidth - 1000, kCols[1]);
    ++m_row;
    setFont(9, true);
    m_canvas.setTextBackground(colour);
}

// The block's title at column 1 + 100 and its count text with the right edge
// at column 3 + 500; a title too wide for the space between pushes the count
// text to the right instead of being overwritten by it.
double Composer::blockTitle(int y, const QString& title, const QString& count)
{
    m_canvas.textOut(kCols[1] + 100, y, title);
    const double titleEnd = kCols[1] + 100 + m_canvas.textWidth(title) + 150;
    const double x = std::max(kCols[3] + 500 - m_canvas.textWidth(count), titleEnd);
    m_canvas.textOut(x, y, count);
    return x + m_canvas.textWidth(count);
}

void Composer::summaryBlock(const QString& title, const Totals& totals, const QColor& colour)
{
    blockHead(colour);
    const int y = m_row * kRow - 100;
    const double countEnd = blockTitle(y, title, entryCountText(totals.entries));
    // A count pushed to the right by a long title pushes the time too.
    m_canvas.textOut(std::max<double>(kCols[4], countEnd + 150), y,
                     QStringLiteral("Zeitaufwand: ") + MinutesToDuration(totals.minutes));
    ++m_row;
    m_canvas.textOutRight(kCols[2], m_row * kRow, distanceText(totals.km) + QStringLiteral(" km"));
    ++m_row;
    DrawLine(m_row, 1, 100, kPageWidth - 1000, kCols[1]);
    DrawLine(m_row, 1, 150, kPageWidth - 1000, kCols[1]);
    ++m_row;
    setFont(9, false);
}

void Composer::emptyWeekBlock(const QString& week)
{
    blockHead(kWeekColour);
    blockTitle(m_row * kRow - 100, QStringLiteral("KW ") + week, QStringLiteral("keine Einträge"));
    m_row += 2;
    DrawLine(m_row, 1, 100, kPageWidth - 1000, kCols[1]);
    DrawLine(m_row, 1, 150, kPageWidth - 1000, kCols[1]);
    ++m_row;
    setFont(9, false);
}

void Composer::entryRows(const Entry& e, const QVector<Unit>& units)
{
    // Wrapped by the width of the report font, each column up to the next.
    const int weatherEnd = kCols[8] - kGap, feelingEnd = kCols[10] - kGap, notesEnd = kPageWidth - 1000;
    const QStringList weather = bodyLines(e.weather, kCols[7], weatherEnd);
    const QStringList shoes = bodyLines(e.shoes, kCols[7], weatherEnd);
    const QStringList feeling = bodyLines(e.feeling, kCols[9], feelingEnd);
    const QStringList notes = bodyLines(e.notes, kCols[10], notesEnd);
    // Weather and shoe lines share their column: the entry has room for both.
    const int n = std::max({3, int(weather.size() + shoes.size()), int(units.size()), int(feeling.size()),
                            int(notes.size())});

    m_week.entries += 1;
    const int minutes = DurationToMinutes(e.duration);
    m_week.minutes += minutes;
    const QDate month = monthOf(e.date);
    if (month == m_currentMonth) {
        m_month.entries += 1;
        m_month.minutes += minutes;
    } else {
        if (m_options.monthly)
            summaryBlock(monthTitle(m_currentMonth), m_month, kMonthColour);
        m_month = Totals{1, minutes, 0};
        m_currentMonth = month;
    }

    // An entry that fits on a page is kept whole on one; a longer one starts
    // on a new page and carries its date onto the next.
    if (m_row + n - 1 > kLastBodyRow && m_row > kFirstBodyRow) {
        ++m_page;
        m_row = SeitenUmbruch(m_page, m_title);
    }
    int w = 0, s = 0, u = 0, f = 0, o = 0;
    for (int r = 1; r <= n; ++r) {
        const bool continued = breakPageIfPast(m_row) && r > 3;
        setFont(9, false);
        m_canvas.setTextBackground(Qt::white);
        const int y = m_row * kRow;
        if (continued)
            m_canvas.textOut(kCols[1], y, e.dateText);
        if (r == 1) {
            m_canvas.textOut(kCols[1], y, e.dateText);
            m_canvas.textOut(kCols[8], y, e.weight > 0 ? distanceText(e.weight) + QStringLiteral(" kg")
                                                       : QStringLiteral("--"));
        } else if (r == 2) {
            m_canvas.textOutRight(kCols[2] - 1550, y,
                                  orDashes(e.timeOfDay.left(5), QStringLiteral("00:00")) + QStringLiteral(" / ")
                                      + e.duration);
            m_canvas.textOut(kCols[8], y, orDashes(e.restingPulse, QStringLiteral("-1")));
        } else if (r == 3) {
            m_canvas.textOut(kCols[1], y, e.category);
        }
        if (w < weather.size())
            m_canvas.textOutClipped(kCols[7], y, weatherEnd, weather.at(w++));
        else if (s < shoes.size())
            m_canvas.textOutClipped(kCols[7], y, weatherEnd, shoes.at(s++));
        if (u < units.size()) {
            const Unit& unit = units.at(u++);
            m_canvas.textOutRight(kCols[2], y, unit.kmText + QStringLiteral(" km"));
            const QString time = shortTime(unit.time);
            m_canvas.textOutRight(kCols[3], y, time.isEmpty() ? QStringLiteral("--") : time);
            if (unit.time != QLatin1String("00:00:00")) {
                // A ride's speed in km/h, every other unit's pace in min/km.
                const QString pace = unitPaceText(e.category, unit.time, float(unit.km));
                m_canvas.textOutRight(kCols[4], y, pace.section(u' ', 0, 0));
            }
            m_canvas.textOutRight(kCols[5], y, orDashes(unit.pulse, QStringLiteral("-1")));
            m_canvas.textOutClipped(kCols[6], y, kCols[7] - kGap, unit.zone);
            // Sums count whole metres, as every window's sums.
            m_week.km += wholeMetres(unit.km);
            m_month.km += wholeMetres(unit.km);
        }
        if (f < feeling.size())
            m_canvas.textOutClipped(kCols[9], y, feelingEnd, feeling.at(f++));
        if (o < notes.size())
            m_canvas.textOutClipped(kCols[10], y, notesEnd, notes.at(o++));
        ++m_row;
    }
}

void Composer::startFirstPage()
{
    m_title = QStringLiteral("Rezidedazurazedad ") + periodText(m_options.from, m_options.to);
    DrawPageHeadLine(m_title, 1);
    m_row = DrawHeadLineDiary();
}

void Composer::run(const QVector<Entry>& entries, const QHash<qint64, QVector<Unit>>& units,
                   const QStringList& weekKeys)
{
    QHash<QString, QVector<int>> byWeek;
    for (int i = 0; i < entries.size(); ++i)
        byWeek[entries.at(i).key].append(i);

    m_currentMonth = monthOf(entries.first().date);
    m_month = Totals();
    m_week = Totals();
    for (const QString& key : weekKeys) {
        const QString shown = QString(key).replace(u';', u'/');
        const QVector<int> rows = byWeek.value(key);
        if (rows.isEmpty()) {
            if (m_options.weekly && !m_options.ignoreEmptyWeeks)
                emptyWeekBlock(shown);
            continue;
        }
        for (int i : rows) {
            const Entry& e = entries.at(i);
            entryRows(e, units.value(e.id));
            if (m_row + 2 <= kFooterRow)
                DrawLine(m_row, 1, 100, kPageWidth - 1000, kCols[1]);
            ++m_row;
            if (m_week.entries >= rows.size()) {
                if (m_options.weekly)
                    summaryBlock(QStringLiteral("KW ") + shown, m_week, kWeekColour);
                m_week = Totals();
            }
        }
    }
    if (m_options.monthly)
        summaryBlock(monthTitle(m_currentMonth), m_month, kMonthColour);
    SeitenFuss();
}

QString text(const ResultRow& row, int column)
{
    return row.at(column).isNull() ? QString() : row.at(column).asString();
}

} // namespace

QString noEntriesText()
{
    return QStringLiteral("Im Abfragezeitraum haben Sie keine Trainingseinheiten absolviert.");
}

const int* columns()
{
    return kCols;
}

QString weekKey(const QDate& date)
{
    return weekLine(date).chopped(2);
}

void CreatePrintList(QStringList& target, const QString& text, double width, const Measure& measure)
{
    QString normalised = text;
    normalised.replace(QLatin1String("\r\n"), QLatin1String("\n")).replace(u'\r', u'\n');
    for (const QString& paragraph : normalised.split(u'\n')) {
        // Most texts are short: a paragraph that fits is one line.
        if (measure(paragraph) <= width) {
            target.append(paragraph + u' ');
            continue;
        }
        QString line;
        for (const QString& word : paragraph.split(u' ')) {
            if (measure(line + word) <= width) {
                line += word + u' ';
                continue;
            }
            if (!line.isEmpty()) {
                target.append(line);
                line.clear();
            }
            // A word wider than the whole width: as much of it on each line
            // as fits, at least one character.
            QString rest = word;
            while (measure(rest) > width && rest.size() > 1) {
                qsizetype fits = 1;
                while (fits + 1 < rest.size() && measure(rest.left(fits + 1)) <= width)
                    ++fits;
                target.append(rest.left(fits));
                rest.remove(0, fits);
            }
            line = rest + u' ';
        }
        target.append(line);
    }
}

void CreatePrintList(QStringList& target, const QString& text, int width)
{
    CreatePrintList(target, text, width, [](const QString& t) { return double(t.size()); });
}

Outcome compose(Database& db, const Options& options, pages::Document& document)
{
    QStringList weekLines;
    GetWeekList(weekLines, options.from, options.to);
    QStringList weekKeys;
    for (const QString& line : weekLines)
        weekKeys.append(line.chopped(2));

    Composer composer(options, document);
    composer.startFirstPage();

    const QString period = diarystatements::period(options.from, options.to);
    const ResultSet main = db.select(QStringLiteral("SELECT  * FROM main WHERE UserID = ") + quoted(options.userId)
                                     + period + QStringLiteral(" ORDER BY Datum, Uhrzeit"));
    if (main.rows.isEmpty()) {
        Messages::show(options.messageParent, QMessageBox::Information, Messages::applicationTitle(), noEntriesText(),
                       QMessageBox::Ok);
        return Outcome::NoEntries;
    }

    // All units of the period's entries at once, in the order of their entry
    // and SubID. "+ 0" lets the period's entries lead through their index and
    // their units follow through theirs, instead of a scan of all units.
    const QVector<ResultRow> unitRows =
        db.select(QStringLiteral("SELECT u.ID, u.MainID, u.SubID, u.strecke, u.Zeit, u.Puls, u.Bereich "
                                 "FROM main m JOIN units u ON u.MainID = m.ID + 0 WHERE m.UserID = ")
                  + quoted(options.userId) + diarystatements::period(options.from, options.to, QStringLiteral("m.Datum"))
                  + QStringLiteral(" ORDER BY u.MainID, u.SubID"))
            .rows;
    QHash<qint64, QVector<Unit>> units;
    for (const ResultRow& row : unitRows) {
        Unit unit;
        unit.km = row.at(3).isNull() ? 0.0 : row.at(3).asFloat();
        unit.kmText = distanceText(unit.km);
        unit.time = text(row, 4);
        unit.pulse = text(row, 5);
        unit.zone = text(row, 6);
        units[row.at(1).asInteger()].append(unit);
    }

    QVector<Entry> entries;
    entries.reserve(main.rows.size());
    for (const ResultRow& row : main.rows) {
        Entry e;
        e.id = row.at(0).asInteger();
        e.dateText = text(row, 1);
        e.date = parseDateText(e.dateText);
        e.timeOfDay = text(row, 2);
        e.weather = text(row, 3);
        e.shoes = text(row, 4);
        e.restingPulse = text(row, 5);
        e.category = text(row, 6);
        e.notes = text(row, 7);
        e.feeling = text(row, 8);
        e.weight = row.at(10).isNull() ? 0.0 : row.at(10).asFloat();
        e.duration = text(row, 11);
        e.key = weekKey(e.date);
        entries.append(e);
    }
    composer.run(entries, units, weekKeys);
    return Outcome::Composed;
}

} // namespace diaryreport
