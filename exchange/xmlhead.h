#pragma once

#include <QByteArray>
#include <QStringView>

namespace exchange {

// The local part of a qualified name ("gpxtpx:hr" -> "hr").
QStringView withoutPrefix(QStringView qualifiedName);

// How far into a file its document element is looked for: a declaration,
// a byte-order mark and long comments of the writing program stand before it.
constexpr qsizetype XmlHeadBytes = 64 * 1024;

// Whether the document element of the XML in the first XmlHeadBytes of a
// file (after a byte-order mark, the declaration and comments) has this
// local name.
bool rootElementIs(const QByteArray& head, QStringView localName);

} // namespace exchange
