#pragma once

#include <QByteArray>
#include <QStringView>

namespace exchange {

// Whether the document element of the XML at the start of a file (after a
// byte-order mark, the declaration and comments) has this local name.
// The local part of a qualified name ("gpxtpx:hr" -> "hr").
QStringView withoutPrefix(QStringView qualifiedName);

bool rootElementIs(const QByteArray& head, QStringView localName);

} // namespace exchange
