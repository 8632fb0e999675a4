#include "xmlvalues.h"

#include <QString>
#include <QTime>

#include <cmath>

namespace exchange {

namespace {

// Reads `count` digits at `pos` and moves past them; -1 when they are not all digits.
int digits(QStringView text, qsizetype& pos, int count)
{
    if (pos + count > text.size())
        return -1;
    int value = 0;
    for (int i = 0; i < count; ++i) {
        const char16_t c = text[pos + i].unicode();
        if (c < u'0' || c > u'9')
            return -1;
        value = value * 10 + (c - u'0');
    }
    pos += count;
    return value;
}

bool take(QStringView text, qsizetype& pos, char16_t c)
{
    if (pos < text.size() && text[pos] == QChar(c)) {
        ++pos;
        return true;
    }
    return false;
}

} // namespace

QDateTime parseXmlTime(QStringView raw)
{
    const QStringView text = raw.trimmed();
    qsizetype pos = 0;
    const int year = digits(text, pos, 4);
    if (year < 0 || !take(text, pos, u'-'))
        return {};
    const int month = digits(text, pos, 2);
    if (month < 0 || !take(text, pos, u'-'))
        return {};
    const int day = digits(text, pos, 2);
    if (day < 0 || !(take(text, pos, u'T') || take(text, pos, u't') || take(text, pos, u' ')))
        return {};
    const int hour = digits(text, pos, 2);
    if (hour < 0 || !take(text, pos, u':'))
        return {};
    const int minute = digits(text, pos, 2);
    if (minute < 0 || !take(text, pos, u':'))
        return {};
    const int second = digits(text, pos, 2);
    if (second < 0)
        return {};
    int msec = 0;
    if (take(text, pos, u'.') || take(text, pos, u',')) {
        int scale = 100;
        const qsizetype first = pos;
        while (pos < text.size() && text[pos].isDigit()) {
            msec += scale * (text[pos].unicode() - u'0');
            scale /= 10;
            ++pos;
        }
        if (pos == first)
            return {};
    }
    int offsetSeconds = 0;
    if (take(text, pos, u'Z') || take(text, pos, u'z')) {
    } else if (pos < text.size() && (text[pos] == u'+' || text[pos] == u'-')) {
        const int sign = text[pos] == u'-' ? -1 : 1;
        ++pos;
        const int hours = digits(text, pos, 2);
        take(text, pos, u':');
        const int minutes = pos < text.size() ? digits(text, pos, 2) : 0;
        if (hours < 0 || hours > 14 || minutes < 0 || minutes > 59)
            return {};
        offsetSeconds = sign * (hours * 3600 + minutes * 60);
    }
    if (pos != text.size())
        return {};
    const QDate date(year, month, day);
    const QTime time(hour, minute, second, msec);
    if (!date.isValid() || !time.isValid())
        return {};
    return QDateTime(date, time, Qt::UTC).addSecs(-offsetSeconds);
}

std::optional<double> parseXmlNumber(QStringView text, double minimum, double maximum)
{
    bool ok = false;
    const double value = text.trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(value) || value < minimum || value > maximum)
        return std::nullopt;
    return value;
}

std::optional<int> wholeNumber(QStringView text)
{
    const std::optional<double> value = parseXmlNumber(text, 0, 100000);
    if (!value)
        return std::nullopt;
    return int(std::lround(*value));
}

std::optional<int> parseHeartRate(QStringView text)
{
    const std::optional<double> value = parseXmlNumber(text, 1, 255);
    if (!value)
        return std::nullopt;
    return int(std::lround(*value));
}

} // namespace exchange
