#pragma once

#include <QPlainTextEdit>
#include <QString>

class QComboBox;
class QKeyEvent;
class QLineEdit;

// What a free-text field may hold so that its text is stored unchanged:
// only characters that code page 1252 has, at most as many as its column
// takes, and for the words of a pick list in config.ini nothing that would
// split or change the list when it is read back.
//
// A field is limited with limit(); a typed or pasted text that it cannot
// take is refused with the exclamation beep, the field's text staying as it
// was. The input checks use fault() as the last guard before a statement.
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

// The text a key event types into a field; empty for editing keys (cursor
// keys, backspace, Return, Esc, Tab) and shortcuts. Ctrl together with Alt
// is AltGr on some systems and types text.
QString typedText(const QKeyEvent* event);

void limit(QLineEdit* edit, int maxLength, Kind kind = Kind::Line);
// The combo box must be editable.
void limit(QComboBox* combo, int maxLength, Kind kind = Kind::Line);

} // namespace StoredText

// A multi-line text field with a largest length, which refuses characters
// that cannot be stored. Typed keys, pasted and dropped text and input
// methods are all checked; text that does not fit is cut to what fits, with
// the beep. Texts set by the program are taken as they are.
class MemoEdit : public QPlainTextEdit
{
    Q_OBJECT

public:
    explicit MemoEdit(QWidget* parent = nullptr);

    void setMaxLength(int length) { m_maxLength = length; }
    int maxLength() const { return m_maxLength; }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void insertFromMimeData(const QMimeData* source) override;

private:
    // How many characters may still be inserted in place of the selection.
    qsizetype room() const;
    // Whether a typed text goes in whole.
    bool takes(const QString& text) const;

    int m_maxLength = 32767;
};
