#include "numericedit.h"

#include "messages.h"
#include "storedtext.h"
#include "textforms.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>

NumericEdit::NumericEdit(QWidget* parent) : QLineEdit(parent), m_filter(&NumericEdit::digitKey)
{
    // Dropped text would pass by the filter; a number field has no use for it.
    setAcceptDrops(false);
    // A text set by the program is the one Esc returns to; typing marks the
    // field as modified, so it is told apart from a set text here.
    connect(this, &QLineEdit::textChanged, this, [this](const QString& text) {
        if (!isModified())
            m_previous = text;
    });
}

bool NumericEdit::digitKey(QChar key)
{
    return key >= QLatin1Char('0') && key <= QLatin1Char('9');
}

bool NumericEdit::decimalKey(QChar key)
{
    return digitKey(key) || key == QLatin1Char(',') || key == QLatin1Char('.');
}

void NumericEdit::setKeyFilter(KeyFilter filter)
{
    m_filter = std::move(filter);
}

bool NumericEdit::accepts(const QString& text) const
{
    if (!m_filter)
        return true;
    for (const QChar c : text) {
        if (!m_filter(c))
            return false;
    }
    return true;
}

int NumericEdit::intValue(bool* ok) const
{
    bool read = false;
    const int value = text().trimmed().toInt(&read, 10);
    if (ok)
        *ok = read;
    return read ? value : 0;
}

double NumericEdit::decimalValue(bool* ok) const
{
    bool read = false;
    const double value = parseDecimal(text(), &read);
    if (ok)
        *ok = read;
    return read ? value : 0.0;
}

void NumericEdit::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier && m_escapeRestores
        && text() != m_previous) {
        setText(m_previous);
        selectAll();
        event->accept();
        return;
    }
    const bool refused = event->matches(QKeySequence::Paste) ? !accepts(QApplication::clipboard()->text())
                         : !StoredText::typedText(event).isEmpty() && !accepts(event->text());
    if (refused) {
        Messages::beep();
        event->accept();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

void NumericEdit::focusInEvent(QFocusEvent* event)
{
    // Coming back from another window or a menu is no new start of editing.
    if (event->reason() != Qt::ActiveWindowFocusReason && event->reason() != Qt::PopupFocusReason) {
        m_previous = text();
        setModified(false);
    }
    QLineEdit::focusInEvent(event);
}

void NumericEdit::mouseReleaseEvent(QMouseEvent* event)
{
    // The middle button pastes the selection of other programs.
    if (event->button() == Qt::MiddleButton && !isReadOnly()
        && !accepts(QApplication::clipboard()->text(QClipboard::Selection))) {
        Messages::beep();
        event->accept();
        return;
    }
    QLineEdit::mouseReleaseEvent(event);
}

void NumericEdit::contextMenuEvent(QContextMenuEvent* event)
{
    QMenu* menu = createStandardContextMenu();
    menu->setAttribute(Qt::WA_DeleteOnClose);
    if (!accepts(QApplication::clipboard()->text())) {
        // The standard menu names its paste entry only by its text, which
        // ends with the paste shortcut whatever the language.
        const QString pasteKey =
            QLatin1Char('\t') + QKeySequence(QKeySequence::Paste).toString(QKeySequence::NativeText);
        for (QAction* action : menu->actions()) {
            if (action->objectName() == QLatin1String("edit-paste") || action->text().endsWith(pasteKey))
                action->setEnabled(false);
        }
    }
    menu->popup(event->globalPos());
}
