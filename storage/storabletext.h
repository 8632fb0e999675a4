#pragma once

#include <QString>

// What a free-text field may hold so that its text is stored unchanged:
// only characters that code page 1252 has, at most as many as its column
// takes, and for the words of a pick list in config.ini nothing that would
// split or change the list when it is read back.
//
// The fields of the windows take only such text (storedtext.h); the input
// checks use fault() as the last guard before a statement.
namespace StoredText {

enum class Kind {
    Line,     // a single-line field: no control characters
    ListItem, // a word of a pick list ("%"-separated): also no "%" and no blank in front
    Memo,     // several lines: line breaks and tabs are text
};

// The position of the first character a field of the kind cannot store,
// -1 when there is none.
qsizetype refusedAt(const QString& text, Kind kind);

// The fault line of an input check ("- Wetter: das Zeichen „%“ kann nicht
// gespeichert werden", "- Notizen: mehr als 255 Zeichen"), empty when the
// text can be stored as it is.
QString fault(const QString& field, const QString& text, int maxLength, Kind kind);

} // namespace StoredText
