#include "textforms.h"

#include <QStringList>

#include <algorithm>
#include <cmath>

namespace {

// Writes value with the given number of digits, leading zeros included.
QChar* putDigits(QChar* out, int value, int digits)
{
    for (int i = digits - 1; i >= 0; --i, value /= 10)
        out[i] = QChar(u'0' + value % 10);
    return out + digits;
}

} // namespace

// Built by hand: every row the database returns passes through these.
QString dateText(const QDate& date)
{
    if (!date.isValid() || date.year() < 1 || date.year() > 9999)
        return date.toString(QStringLiteral("dd.MM.yyyy"));
    QString text(10, Qt::Uninitialized);
    QChar* p = text.data();
    p = putDigits(p, date.day(), 2);
    *p++ = u'.';
    p = putDigits(p, date.month(), 2);
    *p++ = u'.';
    putDigits(p, date.year(), 4);
    return text;
}

QDate parseDateText(const QString& text)
{
    const QString t = text.trimmed();
    QDate date = QDate::fromString(t, QStringLiteral("dd.MM.yyyy"));
    if (!date.isValid())
        date = QDate::fromString(t, QStringLiteral("d.M.yyyy"));
    if (date.isValid() && date.year() < 1)
        return {}; // "yyyy" also reads a year with a minus sign
    return date;
}

QDate typedDate(const QString& typed)
{
    const QString completed = completedDateText(typed);
    return parseDateText(completed.isEmpty() ? typed : completed);
}

QString completedDateText(const QString& typed)
{
    const QString t = QString(typed).remove(QLatin1Char(' '));
    const auto digitsOnly = [](const QString& part) {
        return !part.isEmpty() && std::all_of(part.cbegin(), part.cend(), [](QChar c) {
            return c >= QLatin1Char('0') && c <= QLatin1Char('9');
        });
    };
    if (t.size() == 8 && digitsOnly(t))
        return t.left(2) + QLatin1Char('.') + t.mid(2, 2) + QLatin1Char('.') + t.right(4);
    const QStringList parts = t.split(QLatin1Char('.'));
    if (parts.size() != 3 || !digitsOnly(parts[0]) || !digitsOnly(parts[1]) || !digitsOnly(parts[2])
        || parts[0].size() > 2 || parts[1].size() > 2 || parts[2].size() != 4)
        return QString();
    return parts[0].rightJustified(2, QLatin1Char('0')) + QLatin1Char('.') + parts[1].rightJustified(2, QLatin1Char('0'))
           + QLatin1Char('.') + parts[2];
}

QString timeText(const QTime& time)
{
    if (!time.isValid())
        return QString();
    QString text(8, Qt::Uninitialized);
    QChar* p = text.data();
    p = putDigits(p, time.hour(), 2);
    *p++ = u':';
    p = putDigits(p, time.minute(), 2);
    *p++ = u':';
    putDigits(p, time.second(), 2);
    return text;
}

QTime parseTimeText(const QString& text)
{
    const QString t = text.trimmed();
    QTime time = QTime::fromString(t, QStringLiteral("hh:mm:ss"));
    if (!time.isValid())
        time = QTime::fromString(t, QStringLiteral("h:mm:ss"));
    if (!time.isValid())
        time = QTime::fromString(t, QStringLiteral("h:mm"));
    return time;
}

QString decimalComma(QString text)
{
    return text.replace(QLatin1Char('.'), QLatin1Char(','));
}

QString decimalPoint(QString text)
{
    return text.replace(QLatin1Char(','), QLatin1Char('.'));
}

double roundedDecimal(double value, int decimals)
{
    constexpr qint64 kMillion = 1000000;
    if (!std::isfinite(value) || decimals < 0 || decimals > 6 || std::fabs(value) >= 1e12)
        return value;
    const qint64 millionths = std::llround(std::fabs(value) * double(kMillion));
    qint64 unit = 1;
    for (int i = decimals; i < 6; ++i)
        unit *= 10;
    const qint64 units = (millionths + unit / 2) / unit;
    const double rounded = double(units * unit) / double(kMillion);
    return value < 0 ? -rounded : rounded;
}

QString fixedText(double value, int decimals)
{
    const double rounded = roundedDecimal(value, decimals);
    // A value that rounds to 0 carries no sign.
    return decimalComma(QString::number(rounded == 0.0 ? 0.0 : rounded, 'f', decimals));
}

double parseDecimal(const QString& text, bool* ok)
{
    return decimalPoint(text.trimmed()).toDouble(ok);
}
