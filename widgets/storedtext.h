#pragma once

#include "storabletext.h"

#include <QPlainTextEdit>
#include <QString>

class QComboBox;
class QKeyEvent;
class QLineEdit;

// The fields that hold what may be stored (see storabletext.h): a typed
// or pasted text that a field cannot take is refused with the exclamation
// beep, the field's text staying as it was.
namespace StoredText {

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
