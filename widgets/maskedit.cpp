#include "maskedit.h"

#include "messages.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QSignalBlocker>

namespace {

bool isDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

// Keys that only move the cursor, select or copy: the line edit's own handling.
bool isNavigation(QKeyEvent* e)
{
    static const QKeySequence::StandardKey keys[] = {
        QKeySequence::MoveToNextChar,     QKeySequence::MoveToPreviousChar, QKeySequence::MoveToNextWord,
        QKeySequence::MoveToPreviousWord, QKeySequence::MoveToStartOfLine,  QKeySequence::MoveToEndOfLine,
        QKeySequence::MoveToStartOfBlock, QKeySequence::MoveToEndOfBlock,   QKeySequence::SelectNextChar,
        QKeySequence::SelectPreviousChar, QKeySequence::SelectNextWord,     QKeySequence::SelectPreviousWord,
        QKeySequence::SelectStartOfLine,  QKeySequence::SelectEndOfLine,    QKeySequence::SelectStartOfBlock,
        QKeySequence::SelectEndOfBlock,   QKeySequence::SelectAll,          QKeySequence::Deselect,
    };
    for (QKeySequence::StandardKey key : keys) {
        if (e->matches(key))
            return true;
    }
    switch (e->key()) {
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Home:
    case Qt::Key_End:
        return true;
    default:
        return false;
    }
}

// After a refused focus change by a mouse click, the click itself must not
// act either (select a grid row, press a button): it is swallowed. Lives
// until that click arrived or the field is gone.
class RefusedClick : public QObject
{
public:
    explicit RefusedClick(MaskEdit* edit) : QObject(edit), m_edit(edit) { qApp->installEventFilter(this); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonDblClick) {
            auto* target = qobject_cast<QWidget*>(watched);
            if (target && target != m_edit && target->window() == m_edit->window()) {
                deleteLater();
                qApp->removeEventFilter(this);
                return true;
            }
        }
        return false;
    }

private:
    MaskEdit* m_edit;
};

} // namespace

MaskEdit::MaskEdit(QWidget* parent) : QLineEdit(parent)
{
    init();
}

MaskEdit::MaskEdit(const QString& editMask, QWidget* parent) : QLineEdit(parent)
{
    init();
    setEditMask(editMask);
}

void MaskEdit::init()
{
    // Every change goes through the mask: no drops, no input method.
    setAcceptDrops(false);
    setDragEnabled(false);
    // The widget's own updates run with its signals blocked and announce the
    // text form themselves; any other textChanged comes from outside.
    connect(this, &QLineEdit::textChanged, this, [this](const QString& shown) {
        if (!m_emitting && isMasked())
            takeForeignText(shown);
    });
}

void MaskEdit::takeForeignText(const QString& shown)
{
    QString value = shown;
    if (m_blank != QLatin1Char(' '))
        value.replace(m_blank, QLatin1Char(' '));
    fill(value);
    m_before = m_values;
    m_changed = false;
    refresh(0, false);
}

QString MaskEdit::invalidInputMessage()
{
    return QStringLiteral("Ungültiger Eingabewert. Benutzen Sie die ESC-Taste, um die Änderungen rückgängig "
                          "zu machen.");
}

void MaskEdit::setEditMask(const QString& editMask)
{
    m_editMask = editMask;
    m_positions.clear();
    m_saveLiterals = true;
    m_leadingBlanks = false;
    m_blank = QLatin1Char('_');

    QString mask = editMask;
    const QStringList parts = editMask.split(QLatin1Char(';'));
    if (parts.size() >= 3) {
        const QString blank = parts.last();
        if (!blank.isEmpty())
            m_blank = blank.at(0);
        m_saveLiterals = parts.at(parts.size() - 2).trimmed() != QLatin1String("0");
        mask = parts.mid(0, parts.size() - 2).join(QLatin1Char(';'));
    } else if (parts.size() == 2) {
        m_saveLiterals = parts.at(1).trimmed() != QLatin1String("0");
        mask = parts.at(0);
    }
    if (mask.startsWith(QLatin1Char('!'))) {
        m_leadingBlanks = true;
        mask.remove(0, 1);
    }
    for (QChar c : std::as_const(mask)) {
        Position p;
        if (c == QLatin1Char('0')) {
            p.kind = Position::Kind::Required;
        } else if (c == QLatin1Char('9')) {
            p.kind = Position::Kind::Optional;
        } else if (c == QLatin1Char('/')) {
            p.literal = QLatin1Char('.');
        } else {
            p.literal = c; // ':' and every other character stand for themselves
        }
        m_positions.append(p);
    }
    m_values = QVector<QChar>(m_positions.size());
    m_before = m_values;
    m_changed = false;
    setAttribute(Qt::WA_InputMethodEnabled, !isMasked());
    if (isMasked())
        setMaxLength(int(m_positions.size()));
    m_lastText.clear();
    refresh(0, false);
}

QString MaskEdit::text() const
{
    if (!isMasked())
        return QLineEdit::text();
    return valueText(false);
}

QString MaskEdit::valueText(bool forDisplay) const
{
    return valueText(m_values, forDisplay);
}

QString MaskEdit::valueText(const QVector<QChar>& values, bool forDisplay) const
{
    QString out;
    out.reserve(m_positions.size());
    for (int p = 0; p < m_positions.size(); ++p) {
        const Position& pos = m_positions[p];
        if (!pos.editable()) {
            if (forDisplay || m_saveLiterals)
                out += pos.literal;
        } else if (!values[p].isNull()) {
            out += values[p];
        } else {
            out += forDisplay && m_showBlankChar ? m_blank : QLatin1Char(' ');
        }
    }
    return out;
}

void MaskEdit::setText(const QString& value)
{
    if (!isMasked()) {
        QLineEdit::setText(value);
        return;
    }
    fill(value);
    m_before = m_values;
    m_changed = false;
    refresh(0, false);
}

bool MaskEdit::isEmpty() const
{
    if (!isMasked())
        return QLineEdit::text().isEmpty();
    for (QChar c : m_values) {
        if (!c.isNull())
            return false;
    }
    return true;
}

bool MaskEdit::isComplete() const
{
    return firstInvalidPosition() < 0;
}

int MaskEdit::firstInvalidPosition() const
{
    return firstInvalidPosition(m_values);
}

int MaskEdit::firstInvalidPosition(const QVector<QChar>& values) const
{
    for (int p = 0; p < m_positions.size(); ++p) {
        if (m_positions[p].kind == Position::Kind::Required && values[p].isNull())
            return p;
    }
    return -1;
}

QString MaskEdit::completedText() const
{
    if (!isMasked() || !m_changed)
        return text();
    QVector<QChar> values = m_values;
    alignAllSections(values);
    const QString aligned = valueText(values, false);
    if (firstInvalidPosition(values) >= 0 && m_completion) {
        const QString completed = m_completion(aligned);
        if (!completed.isEmpty())
            return completed;
    }
    return aligned;
}

bool MaskEdit::accepts(int pos, QChar c) const
{
    switch (m_positions[pos].kind) {
    case Position::Kind::Required:
        return isDigit(c);
    case Position::Kind::Optional:
        return isDigit(c) || c == QLatin1Char(' ');
    case Position::Kind::Literal:
        break;
    }
    return false;
}

void MaskEdit::fill(const QString& value)
{
    const int n = int(m_positions.size());
    m_values.fill(QChar());
    if (value.isEmpty())
        return;

    auto put = [&](int pos, QChar c) {
        if (c != QLatin1Char(' ') && accepts(pos, c))
            m_values[pos] = c;
    };
    auto literalMatches = [&](int pos, QChar c) {
        const QChar lit = m_positions[pos].literal;
        return c == lit || (lit == QLatin1Char('.') && c == QLatin1Char('/'));
    };

    // The field's own text form: position by position.
    if (value.size() == n) {
        bool same = true;
        for (int p = 0; p < n && same; ++p)
            same = m_positions[p].editable() || literalMatches(p, value[p]);
        if (same) {
            for (int p = 0; p < n; ++p) {
                if (m_positions[p].editable())
                    put(p, value[p]);
            }
            return;
        }
    }
    // The text form without literals: the editable positions in order.
    int editable = 0;
    for (const Position& pos : std::as_const(m_positions))
        editable += pos.editable() ? 1 : 0;
    if (!m_saveLiterals && value.size() == editable) {
        int v = 0;
        for (int p = 0; p < n; ++p) {
            if (m_positions[p].editable())
                put(p, value[v++]);
        }
        return;
    }
    // Section by section: each run of editable positions takes the value's
    // characters up to the literal that ends it.
    int v = 0;
    int p = 0;
    while (p < n) {
        if (!m_positions[p].editable()) {
            if (v < value.size() && literalMatches(p, value[v]))
                ++v;
            ++p;
            continue;
        }
        int end = p;
        while (end < n && m_positions[end].editable())
            ++end;
        QString piece;
        if (end < n) {
            int stop = v;
            while (stop < value.size() && !literalMatches(end, value[stop])
                   && (isDigit(value[stop]) || value[stop] == QLatin1Char(' ')))
                ++stop;
            piece = value.mid(v, stop - v);
            v = stop;
        } else {
            int stop = v;
            while (stop < value.size() && (isDigit(value[stop]) || value[stop] == QLatin1Char(' ')))
                ++stop;
            piece = value.mid(v, stop - v);
            v = stop;
        }
        const int length = end - p;
        if (piece.size() > length)
            piece = piece.left(length);
        const int offset = m_leadingBlanks ? length - int(piece.size()) : 0;
        for (int i = 0; i < piece.size(); ++i)
            put(p + offset + i, piece[i]);
        p = end;
    }
}

void MaskEdit::refresh(int cursor, bool userEdit)
{
    const QString shown = valueText(true);
    {
        const QSignalBlocker block(this);
        if (QLineEdit::text() != shown)
            QLineEdit::setText(shown);
        QLineEdit::setModified(m_changed);
        setCursorPosition(qBound(0, cursor, int(shown.size())));
    }
    const QString now = text();
    if (now != m_lastText) {
        m_lastText = now;
        m_emitting = true;
        Q_EMIT textChanged(now);
        if (userEdit)
            Q_EMIT textEdited(now);
        m_emitting = false;
    }
}

void MaskEdit::clearRange(int from, int to)
{
    for (int p = qMax(0, from); p < qMin(to, int(m_positions.size())); ++p) {
        if (m_positions[p].editable())
            m_values[p] = QChar();
    }
}

bool MaskEdit::typeChar(QChar c)
{
    const int n = int(m_positions.size());
    int from = cursorPosition();
    int to = from;
    if (hasSelectedText()) {
        from = selectionStart();
        to = from + selectionLength();
    }
    const QVector<QChar> before = m_values;
    auto done = [&](int cursor) {
        if (m_values != before && !m_changed) {
            m_before = before;
            m_changed = true;
        }
        refresh(cursor, true);
        return true;
    };

    // A separator typed just behind it, where the cursor already stands: nothing to do.
    if (to == from && from > 0 && !m_positions[from - 1].editable() && m_positions[from - 1].literal == c
        && (from >= n || m_positions[from].editable()))
        return true;
    // A separator typed at a literal: jump behind it.
    int q = from;
    while (q < n && !m_positions[q].editable()) {
        if (m_positions[q].literal == c)
            return done(q + 1);
        ++q;
    }
    if (q >= n)
        return false;
    if (accepts(q, c)) {
        clearRange(from, to);
        m_values[q] = c == QLatin1Char(' ') ? QChar() : c;
        int next = q + 1;
        while (next < n && !m_positions[next].editable())
            ++next;
        return done(next);
    }
    // The separator that ends the current section: leave the section.
    int end = q;
    while (end < n && m_positions[end].editable())
        ++end;
    if (end < n && m_positions[end].literal == c) {
        alignSection(q);
        return done(end + 1);
    }
    return false;
}

void MaskEdit::alignSection(int pos)
{
    alignSection(m_values, pos);
}

void MaskEdit::alignSection(QVector<QChar>& values, int pos) const
{
    if (!m_leadingBlanks || pos < 0 || pos >= m_positions.size() || !m_positions[pos].editable())
        return;
    int start = pos;
    while (start > 0 && m_positions[start - 1].editable())
        --start;
    int end = pos;
    while (end < m_positions.size() && m_positions[end].editable())
        ++end;
    QVector<QChar> digits;
    for (int p = start; p < end; ++p) {
        if (!values[p].isNull())
            digits.append(values[p]);
    }
    const int blanks = (end - start) - int(digits.size());
    if (digits.isEmpty() || blanks == 0)
        return;
    for (int p = start; p < start + blanks; ++p) {
        if (m_positions[p].kind == Position::Kind::Required)
            return; // the digits are missing, not leading blanks
    }
    for (int p = start; p < end; ++p)
        values[p] = p < start + blanks ? QChar() : digits[p - start - blanks];
}

void MaskEdit::alignAllSections()
{
    alignAllSections(m_values);
}

void MaskEdit::alignAllSections(QVector<QChar>& values) const
{
    for (int p = 0; p < m_positions.size(); ++p) {
        if (m_positions[p].editable() && (p == 0 || !m_positions[p - 1].editable()))
            alignSection(values, p);
    }
}

void MaskEdit::backspace()
{
    erase(false);
}

void MaskEdit::deleteForward()
{
    erase(true);
}

// Empties the selection, or the next editable position before (Backspace)
// or at and after (Delete) the cursor.
void MaskEdit::erase(bool forward)
{
    const QVector<QChar> before = m_values;
    int cursor = cursorPosition();
    if (hasSelectedText()) {
        cursor = selectionStart();
        clearRange(cursor, cursor + selectionLength());
    } else {
        const int step = forward ? 1 : -1;
        int p = forward ? cursor : cursor - 1;
        while (p >= 0 && p < m_positions.size() && !m_positions[p].editable())
            p += step;
        if (p < 0 || p >= m_positions.size())
            return;
        m_values[p] = QChar();
        if (!forward)
            cursor = p;
    }
    if (m_values != before && !m_changed) {
        m_before = before;
        m_changed = true;
    }
    refresh(cursor, true);
}

void MaskEdit::cut()
{
    if (!hasSelectedText())
        return;
    QString selected = selectedText();
    selected.replace(m_blank, QLatin1Char(' '));
    QApplication::clipboard()->setText(selected);
    deleteForward();
}

void MaskEdit::paste()
{
    const QString pasted = QApplication::clipboard()->text();
    bool refused = false;
    for (QChar c : pasted) {
        if (!typeChar(c)) {
            refused = true;
            break;
        }
    }
    if (refused)
        Messages::beep();
}

void MaskEdit::restore()
{
    m_values = m_before;
    m_changed = false;
    refresh(0, true);
}

void MaskEdit::keyPressEvent(QKeyEvent* event)
{
    if (!isMasked() || isReadOnly()) {
        QLineEdit::keyPressEvent(event);
        return;
    }
    if (event->key() == Qt::Key_Escape || event->matches(QKeySequence::Undo)) {
        if (m_changed) {
            restore();
            event->accept();
        } else {
            event->ignore(); // as any line edit: the window may use it
        }
        return;
    }
    if (event->matches(QKeySequence::Cut)) {
        cut();
        return;
    }
    if (event->matches(QKeySequence::Paste)) {
        paste();
        return;
    }
    if (event->matches(QKeySequence::Copy)) {
        if (hasSelectedText()) {
            QString selected = selectedText();
            selected.replace(m_blank, QLatin1Char(' '));
            QApplication::clipboard()->setText(selected);
        }
        return;
    }
    if (isNavigation(event)) {
        QLineEdit::keyPressEvent(event);
        return;
    }
    const Qt::KeyboardModifiers modifiers = event->modifiers() & ~(Qt::ShiftModifier | Qt::KeypadModifier);
    switch (event->key()) {
    case Qt::Key_Backspace:
        if (modifiers == Qt::NoModifier) {
            backspace();
            return;
        }
        break;
    case Qt::Key_Delete:
        if (modifiers == Qt::NoModifier) {
            deleteForward();
            return;
        }
        break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        QLineEdit::keyPressEvent(event);
        return;
    default:
        break;
    }
    const QString typed = event->text();
    bool printable = !typed.isEmpty() && modifiers == Qt::NoModifier;
    for (QChar c : typed)
        printable = printable && c.isPrint();
    if (!printable) {
        event->ignore(); // shortcuts and other keys belong to the window
        return;
    }
    typeText(typed);
    event->accept();
}

void MaskEdit::typeText(const QString& typed)
{
    for (QChar c : typed) {
        if (!typeChar(c)) {
            Messages::beep();
            break;
        }
    }
}

void MaskEdit::inputMethodEvent(QInputMethodEvent* event)
{
    if (!isMasked()) {
        QLineEdit::inputMethodEvent(event);
        return;
    }
    typeText(event->commitString());
    event->accept();
}

void MaskEdit::contextMenuEvent(QContextMenuEvent* event)
{
    if (!isMasked()) {
        QLineEdit::contextMenuEvent(event);
        return;
    }
    QMenu menu(this);
    QAction* undo = menu.addAction(QStringLiteral("&Rückgängig"), this, [this] {
        if (m_changed)
            restore();
    });
    undo->setEnabled(m_changed && !isReadOnly());
    menu.addSeparator();
    QAction* cutAction = menu.addAction(QStringLiteral("&Ausschneiden"), this, [this] { cut(); });
    cutAction->setEnabled(hasSelectedText() && !isReadOnly());
    QAction* copy = menu.addAction(QStringLiteral("&Kopieren"), this, [this] {
        QString selected = selectedText();
        selected.replace(m_blank, QLatin1Char(' '));
        QApplication::clipboard()->setText(selected);
    });
    copy->setEnabled(hasSelectedText());
    QAction* pasteAction = menu.addAction(QStringLiteral("&Einfügen"), this, [this] { paste(); });
    pasteAction->setEnabled(!isReadOnly() && !QApplication::clipboard()->text().isEmpty());
    QAction* remove = menu.addAction(QStringLiteral("&Löschen"), this, [this] { deleteForward(); });
    remove->setEnabled(hasSelectedText() && !isReadOnly());
    menu.addSeparator();
    menu.addAction(QStringLiteral("Alles &markieren"), this, [this] { selectAll(); });
    menu.exec(event->globalPos());
    event->accept();
}

void MaskEdit::mouseReleaseEvent(QMouseEvent* event)
{
    // No pasting of the selection clipboard past the mask.
    if (isMasked() && event->button() == Qt::MiddleButton) {
        event->accept();
        return;
    }
    QLineEdit::mouseReleaseEvent(event);
}

void MaskEdit::focusInEvent(QFocusEvent* event)
{
    if (isMasked() && !m_showBlankChar) {
        m_showBlankChar = true;
        refresh(cursorPosition(), false);
    }
    QLineEdit::focusInEvent(event);
}

void MaskEdit::focusOutEvent(QFocusEvent* event)
{
    if (!isMasked()) {
        QLineEdit::focusOutEvent(event);
        return;
    }
    const Qt::FocusReason reason = event->reason();
    if (reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason
        || reason == Qt::MenuBarFocusReason) {
        // The window lost the activation; the field keeps its focus within it.
        QLineEdit::focusOutEvent(event);
        return;
    }
    if (m_changed) {
        alignAllSections();
        if (!isComplete() && m_completion) {
            const QString completed = m_completion(text());
            if (!completed.isEmpty())
                fill(completed);
        }
        refresh(cursorPosition(), true);
    }
    if (m_changed && !isComplete() && !m_checking && isEnabled() && isVisible() && window()->isVisible()) {
        // Refused: the field takes the focus back, as if it had never been left.
        m_checking = true;
        if (reason == Qt::MouseFocusReason)
            new RefusedClick(this);
        setFocus(Qt::OtherFocusReason);
        setCursorPosition(firstInvalidPosition());
        Messages::beep();
        Messages::error(this, invalidInputMessage());
        m_checking = false;
        return;
    }
    m_changed = false; // accepted: Esc now restores what the field holds
    m_before = m_values;
    m_showBlankChar = false;
    refresh(cursorPosition(), false);
    QLineEdit::focusOutEvent(event);
}
