#pragma once

#include <QLineEdit>
#include <QString>
#include <QVector>

#include <functional>

// The masked edit of every data window (the `maskeditL…` controls).
//
// The mask is written mask;save-literals;blank-character, for example
// "!00/00/0000;1;_". In the mask
//   0   a required digit,
//   9   an optional digit (a blank may be typed there),
//   /   the date separator, shown as "." (German settings),
//   :   the time separator, shown as ":",
//   !   (leading) unfilled optional positions count as leading blanks: the
//       digits of a section are moved to its end when the section is left
//       or filled from a shorter stored value,
// and every other character is a literal (the comma of "900,0"). "1" after
// the first ";" keeps the literals in text() (the default), "0" leaves them
// out; the character after the second ";" (default "_") shows an unfilled
// position while the field has the focus.
//
// text() is the field's text: literals as shown and a blank for every
// unfilled position, so the empty text of "!00/00/0000;1;_" is "  .  .    ",
// of "900,0;1;_" is "   , " and of "!90:00;1;_" is "  :  ". While the field
// has the focus, the widget shows the blank character instead (that is
// QLineEdit::displayText(); QLineEdit::text() through a QLineEdit pointer
// then holds it too, so read the field through MaskEdit). A text set
// through a QLineEdit pointer (setText, clear, the "text" property) is
// taken as MaskEdit::setText would take it.
//
// Typing overwrites position by position and skips literals; a key the mask
// does not allow at the cursor is refused with Messages::beep(). Typing the
// character of the literal that ends the current section jumps past it. Esc
// (and Ctrl+Z) restores the text the field had before it was changed. When a
// changed field whose required positions are not all filled loses the focus
// (Tab, mouse, a shortcut, setFocus elsewhere), it takes the focus back,
// beeps and shows "Ungültiger Eingabewert. Benutzen Sie die ESC-Taste, um
// die Änderungen rückgängig zu machen." in the application's error box,
// unless the completion (setCompletion) makes the input whole.
//
// Without a mask the widget is a plain QLineEdit.
class MaskEdit : public QLineEdit
{
    Q_OBJECT

public:
    explicit MaskEdit(QWidget* parent = nullptr);
    explicit MaskEdit(const QString& editMask, QWidget* parent = nullptr);

    // Also sets the maximum length to the mask's length and empties the field.
    void setEditMask(const QString& editMask);
    QString editMask() const { return m_editMask; }
    bool isMasked() const { return !m_positions.isEmpty(); }

    // The field's text as described above (hides QLineEdit::text()).
    QString text() const;
    // Fills the mask from a stored value: "01.02.1970", "075,5", "48", "8:30"
    // or an empty text. A value of the mask's length is taken position by
    // position; a shorter one section by section, between the literals it
    // holds (right-aligned in a section with "!", left-aligned without).
    // Clears the changed state. Hides QLineEdit::setText().
    void setText(const QString& value);
    void clear() { setText(QString()); }

    // No position filled.
    bool isEmpty() const;
    // Every required position filled.
    bool isComplete() const;
    // The text as leaving the field makes it: a changed input with its
    // sections aligned and, when its required positions are not all
    // filled, completed (setCompletion); text() otherwise. What is computed
    // from the input (a pace, say) reads this, so that it never shows what
    // the field is about to replace.
    QString completedText() const;
    // Changed by the user since the text was last set, restored or accepted
    // on leaving (also QLineEdit::isModified()).
    bool isChanged() const { return m_changed; }

    static QString invalidInputMessage();

    // A changed field left with required positions unfilled is first offered
    // to the completion: given the field's text, it returns the text the
    // input stands for (such as "00:07:15" for "71:5 :  "), which the field
    // takes as typed, or an empty text to refuse the input as usual.
    using Completion = std::function<QString(const QString&)>;
    void setCompletion(Completion completion) { m_completion = std::move(completion); }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    struct Position
    {
        enum class Kind { Literal, Required, Optional };
        Kind kind = Kind::Literal;
        QChar literal; // as shown
        bool editable() const { return kind != Kind::Literal; }
    };

    void init();
    bool accepts(int pos, QChar c) const;
    // Places one typed character at the cursor; false when the mask refuses it.
    bool typeChar(QChar c);
    // Places typed characters; the first refused one beeps and ends it.
    void typeText(const QString& typed);
    void clearRange(int from, int to);
    void backspace();
    void deleteForward();
    void erase(bool forward);
    void cut();
    void paste();
    void restore();
    // Moves the digits of the section around pos to its end ("!" masks),
    // when only optional positions become blank by it.
    void alignSection(int pos);
    void alignSection(QVector<QChar>& values, int pos) const;
    void alignAllSections();
    void alignAllSections(QVector<QChar>& values) const;
    int firstInvalidPosition() const;
    int firstInvalidPosition(const QVector<QChar>& values) const;

    void fill(const QString& value);
    QString valueText(bool forDisplay) const;
    QString valueText(const QVector<QChar>& values, bool forDisplay) const;
    // Brings the shown text in line with the values; emits the text signals
    // when the field's text changed.
    void refresh(int cursor, bool userEdit);
    // A text put in past the mask (through QLineEdit): taken as setText.
    void takeForeignText(const QString& shown);

    QString m_editMask;
    QVector<Position> m_positions;
    QVector<QChar> m_values; // per position; QChar() = unfilled
    QVector<QChar> m_before; // values before the current change
    bool m_saveLiterals = true;
    bool m_leadingBlanks = false;
    QChar m_blank = QLatin1Char('_');
    bool m_changed = false;
    bool m_showBlankChar = false;
    bool m_checking = false;
    bool m_emitting = false;
    QString m_lastText;
    Completion m_completion;
};
