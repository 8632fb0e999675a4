#include "sqltext.h"

QString quoted(const QString& value)
{
    QString escaped = value;
    escaped.replace(QLatin1Char('\''), QLatin1String("''"));
    return QLatin1Char('\'') + escaped + QLatin1Char('\'');
}

QString quoted(qint64 value)
{
    return quoted(QString::number(value));
}

QString quoted(int value)
{
    return quoted(QString::number(value));
}
