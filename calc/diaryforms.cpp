#include "diaryforms.h"

#include "textforms.h"

#include <QStringList>

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

// A part of a typed or stored time; blanks around it are the mask's fill.
qint64 numberOrZero(const QString& text)
{
    bool ok = false;
    const int value = text.trimmed().toInt(&ok);
    return ok ? value : 0;
}

int clampToInt(qint64 value)
{
    if (value > std::numeric_limits<int>::max())
        return std::numeric_limits<int>::max();
    if (value < std::numeric_limits<int>::min())
        return std::numeric_limits<int>::min();
    return int(value);
}

QString twoDigits(qint64 value)
{
    return QStringLiteral("%1").arg(value, 2, 10, QLatin1Char('0'));
}

// Paces beyond this many seconds per km are no pace any longer, and their
// minutes would not fit an integer.
constexpr float kMaxPaceSeconds = 1e15f;

} // namespace

int DurationToMinutes(const QString& text)
{
    const qsizetype colon = text.indexOf(QLatin1Char(':'));
    const qint64 hours = colon < 0 ? 0 : numberOrZero(text.left(colon));
    const qint64 minutes = numberOrZero(text.mid(colon + 1));
    return clampToInt(hours * 60 + minutes);
}

QString storedDuration(const QString& fieldText)
{
    const QStringList parts = fieldText.split(QLatin1Char(':'));
    if (parts.size() != 2)
        return QString();
    bool hoursOk = false;
    bool minutesOk = false;
    const QString hourText = parts[0].trimmed();
    const QString minuteText = parts[1].trimmed();
    const int hours = hourText.toInt(&hoursOk);
    const int minutes = minuteText.toInt(&minutesOk);
    if (!hoursOk || !minutesOk || hourText.size() > 2 || minuteText.size() != 2 || hours < 0 || minutes < 0
        || minutes > 59)
        return QString();
    return QString::number(hours) + QLatin1Char(':') + twoDigits(minutes);
}

QString completedTimeText(const QString& fieldText)
{
    const QStringList sections = fieldText.split(QLatin1Char(':'));
    if (sections.size() < 2)
        return QString();
    QString all;
    for (const QString& section : sections) {
        for (QChar c : section)
            if (c != QLatin1Char(' ') && !c.isDigit())
                return QString();
        all += section;
    }
    const QString digits = QString(all).remove(QLatin1Char(' '));
    if (digits.isEmpty())
        return QString();

    QStringList parts; // the sections' digits, right-aligned, each as wide as its section
    if (all.startsWith(digits)) {
        // Typed in one go: the digits are the last places.
        QString places = QString(all.size() - digits.size(), QLatin1Char('0')) + digits;
        for (const QString& section : sections) {
            parts << places.left(section.size());
            places.remove(0, section.size());
        }
    } else {
        // Typed part by part: the parts typed are the last parts.
        QStringList typed;
        for (const QString& section : sections)
            typed << section.trimmed();
        int filled = 0;
        while (filled < typed.size() && !typed[filled].isEmpty())
            ++filled;
        for (int i = filled; i < typed.size(); ++i)
            if (!typed[i].isEmpty())
                return QString(); // a gap between parts
        if (filled < 2)
            return QString(); // one part alone: which one is not told
        for (int i = 0; i < typed.size(); ++i) {
            const int from = i - (int(typed.size()) - filled);
            const QString part = from < 0 ? QString() : typed[from];
            if (part.contains(QLatin1Char(' ')) || (from > 0 && part.size() < sections[i].size()))
                return QString(); // "7:5" is no time
            parts << QString(sections[i].size() - part.size(), QLatin1Char('0')) + part;
        }
    }
    for (int i = 1; i < parts.size(); ++i)
        if (parts[i].toInt() > 59)
            return QString();
    return parts.join(QLatin1Char(':'));
}

QString entryCountText(qsizetype count)
{
    return QString::number(count)
           + (count == 1 ? QStringLiteral(" Trainingseinheit") : QStringLiteral(" Trainingseinheiten"));
}

QString MinutesToDuration(int minutes)
{
    if (minutes <= 0)
        return QStringLiteral("k.A.");
    return QString::number(minutes / 60) + QLatin1Char(':') + twoDigits(minutes % 60) + QStringLiteral(" h");
}

QString paceText(qint64 minutes, int seconds)
{
    return QString::number(minutes) + QLatin1Char(':') + twoDigits(seconds) + QStringLiteral(" min/km");
}

QString raceTimeText(double seconds)
{
    if (!std::isfinite(seconds) || seconds <= 0.0)
        return QString();
    const qint64 whole = std::llround(seconds);
    if (whole < 3600)
        return QString::number(whole / 60) + QLatin1Char(':') + twoDigits(whole % 60);
    return QString::number(whole / 3600) + QLatin1Char(':') + twoDigits(whole / 60 % 60) + QLatin1Char(':')
           + twoDigits(whole % 60);
}

namespace {

// Seconds of a unit time hh:mm:ss; a missing part counts as 0 like an
// unreadable one.
qint64 unitSeconds(const QString& time)
{
    const QStringList parts = time.split(QLatin1Char(':'));
    const auto part = [&](int i) { return i < parts.size() ? numberOrZero(parts[i]) : 0; };
    return part(0) * 3600 + part(1) * 60 + part(2);
}

} // namespace

QString CalcPace(const QString& time, float distanceKm)
{
    const qint64 total = unitSeconds(time);
    if (!(distanceKm > 0.0f) || total <= 0)
        return QString();

    // Single precision throughout, so that every window shows the same
    // seconds for the same unit: a rest of 58.5 s gives 58, 59.5 s gives 60.
    const float pace = float(total) / distanceKm;
    if (!std::isfinite(pace) || pace >= kMaxPaceSeconds)
        return QString();
    qint64 minutes = qint64(pace * (1.0f / 60.0f));
    const float rest = pace - float(minutes) * 60.0f;
    int seconds = int(std::nearbyint(rest)); // default mode: halves to even
    if (seconds >= 60) {
        ++minutes;
        seconds -= 60;
    } else if (seconds < 0) {
        // Only for huge paces, where pace / 60 rounds up to the next minute.
        --minutes;
        seconds += 60;
    }
    return paceText(minutes, seconds);
}

bool speedSport(const QString& sport)
{
    // "Rad" at the start or in the words of cycling, not inside any word
    // ("Paradelauf" is run).
    const QString name = sport.trimmed();
    if (name.startsWith(QLatin1String("rad"), Qt::CaseInsensitive))
        return true;
    static const char* const kCycling[] = {"fahrrad", "rennrad", "radfahr", "radtour", "bike", "mtb", "cycl"};
    return std::any_of(std::begin(kCycling), std::end(kCycling), [&](const char* word) {
        return name.contains(QLatin1String(word), Qt::CaseInsensitive);
    });
}

QString speedText(double kmh)
{
    return fixedText(kmh, 1) + QStringLiteral(" km/h");
}

QString CalcSpeed(const QString& time, float distanceKm)
{
    const qint64 total = unitSeconds(time);
    if (!(distanceKm > 0.0f) || total <= 0)
        return QString();
    const double kmh = double(distanceKm) * 3600.0 / double(total);
    return std::isfinite(kmh) ? speedText(kmh) : QString();
}

QString unitPaceText(const QString& sport, const QString& time, float distanceKm)
{
    return speedSport(sport) ? CalcSpeed(time, distanceKm) : CalcPace(time, distanceKm);
}

QString periodText(const QDate& from, const QDate& to)
{
    return dateText(from) + QStringLiteral(" bis ") + dateText(to);
}

QString weekLabelText(int week, int weekYear)
{
    return QStringLiteral("KW ") + QString::number(week) + QLatin1Char('/') + QString::number(weekYear);
}

QString monthLabelText(int month, int year)
{
    static const char* const names[] = {"Jan", "Feb", "Mär", "Apr", "Mai", "Jun",
                                        "Jul", "Aug", "Sep", "Okt", "Nov", "Dez"};
    return QString::fromUtf8(names[std::clamp(month, 1, 12) - 1]) + QLatin1Char(' ') + QString::number(year);
}

qint64 distanceMetres(double km)
{
    return std::isfinite(km) && std::fabs(km) < 1e12 ? std::llround(km * 1000.0) : 0;
}

double wholeMetres(double km)
{
    return double(distanceMetres(km)) / 1000.0;
}

QString distanceText(double km)
{
    return fixedText(wholeMetres(km), 1);
}

QString entryDistanceText(double km)
{
    const double rounded = wholeMetres(km);
    return fixedText(rounded, rounded != std::trunc(rounded) ? 1 : 0);
}

QString timeSignsAsWords(const QString& text)
{
    const QLatin1Char apostrophe('\'');
    const QLatin1Char quote('"');
    const auto at = [&](qsizetype i) { return i >= 0 && i < text.size() ? text.at(i) : QChar(); };
    const auto isDigit = [](QChar c) { return c >= QLatin1Char('0') && c <= QLatin1Char('9'); };
    // A quotation opens at the start of a word ("Anna", 'Tempo 5') and ends
    // at its next mark, also one right after a digit ("Gruppe 2").
    const auto opensQuotation = [&](qsizetype i) {
        const QChar before = at(i - 1);
        const QChar after = at(i + 1);
        return (before.isNull() || before.isSpace() || before == QLatin1Char('(')) && after.isLetterOrNumber();
    };
    bool inDouble = false;
    bool inSingle = false;
    QString words;
    words.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        const bool afterDigit = isDigit(at(i - 1));
        if (c == quote) {
            if (afterDigit && !inDouble) {
                words += QLatin1String(" sec");
                continue;
            }
            inDouble = inDouble ? false : opensQuotation(i);
        } else if (c == apostrophe) {
            if (afterDigit && !inSingle) {
                const bool seconds = at(i + 1) == apostrophe;
                words += seconds ? QLatin1String(" sec") : QLatin1String(" min");
                i += seconds ? 1 : 0;
                continue;
            }
            // An apostrophe inside a word (O'Brien's) neither opens nor ends one.
            if (inSingle)
                inSingle = !(afterDigit || !at(i + 1).isLetterOrNumber());
            else
                inSingle = opensQuotation(i);
        }
        words += c;
    }
    return words;
}

QString zoneLine(const QString& id, const QString& name, const QString& minHF, const QString& maxHF)
{
    const QChar sep = QLatin1Char(';');
    return id + sep + name + sep + minHF + sep + maxHF + sep;
}

QStringList splitZoneLine(const QString& line)
{
    QStringList parts = line.split(QLatin1Char(';'));
    if (parts.size() > 1 && parts.last().isEmpty())
        parts.removeLast(); // the ";" that ends the line
    while (parts.size() < 4)
        parts.append(QString());
    const qsizetype n = parts.size();
    return {parts.first(), parts.mid(1, n - 3).join(QLatin1Char(';')), parts[n - 2], parts[n - 1]};
}
