#include "textforms.h"

QString dateText(const QDate& date)
{
    return date.toString(QStringLiteral("dd.MM.yyyy"));
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

QString timeText(const QTime& time)
{
    return time.toString(QStringLiteral("hh:mm:ss"));
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

QString fixedText(double value, int decimals)
{
    return decimalComma(QString::number(value, 'f', decimals));
}

double parseDecimal(const QString& text, bool* ok)
{
    return decimalPoint(text.trimmed()).toDouble(ok);
}
