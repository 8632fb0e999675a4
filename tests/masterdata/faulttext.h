#pragma once

#include <QString>
#include <QStringList>

// The box the person and shoe windows show for input they cannot save.
inline QString faultText(const QStringList& lines)
{
    QString text = QStringLiteral("Es sind folgende Eingabefehler aufgetreten:\n\r\n\r");
    for (const QString& line : lines)
        text += line + QStringLiteral("\n\r");
    return text + QStringLiteral("\n\rIhre Eingaben können deshalb nicht gespeichert werden");
}
