#pragma once

#include <QLineEdit>

#include <functional>

// A line edit for numbers typed by hand (pulse, weight, distances, counts).
//
// The window decides which characters may be typed with a key filter; a
// typed character the filter refuses is discarded with the exclamation
// beep. Editing keys (backspace, delete, cursor keys, Return, Esc and the
// Ctrl shortcuts) never reach the filter. Pasted text is taken only when
// the filter accepts every character of it.
//
// With escapeRestores() on, Esc gives back the text the field had when it
// got the focus or was last set by the program.
class NumericEdit : public QLineEdit
{
    Q_OBJECT

public:
    // True when the typed character may go into the field.
    using KeyFilter = std::function<bool(QChar)>;

    explicit NumericEdit(QWidget* parent = nullptr);

    // The usual filters: digits only (the default), and digits with the
    // decimal comma or point.
    static bool digitKey(QChar key);
    static bool decimalKey(QChar key);

    // An empty filter lets every character through.
    void setKeyFilter(KeyFilter filter);
    // Whether the filter lets every character of the text through.
    bool accepts(const QString& text) const;

    void setEscapeRestores(bool on) { m_escapeRestores = on; }
    bool escapeRestores() const { return m_escapeRestores; }
    // The text Esc gives back.
    QString previousText() const { return m_previous; }

    // The text as a whole number; 0 with *ok false when it is empty or no number.
    int intValue(bool* ok = nullptr) const;
    // The text as a decimal number with comma or point; 0 with *ok false
    // when it is empty or no number.
    double decimalValue(bool* ok = nullptr) const;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    KeyFilter m_filter;
    bool m_escapeRestores = false;
    QString m_previous;
};
