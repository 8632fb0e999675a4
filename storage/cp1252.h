#pragma once

#include <QByteArray>
#include <QString>

// Every text the program stores (database, settings, alias file) is held in
// the Windows code page 1252, one byte per character.
namespace cp1252 {

// Characters without a place in the code page become '?'.
QByteArray encode(const QString& text);
// True when every character of the text has a place in the code page.
bool canHold(const QString& text);
QString decode(const QByteArray& bytes);
QString decode(const char* data, qsizetype size);

} // namespace cp1252
