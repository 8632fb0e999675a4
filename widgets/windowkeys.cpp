#include "windowkeys.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCalendarWidget>
#include <QDialog>
#include <QKeyEvent>
#include <QSet>
#include <QToolButton>
#include <QWidget>

namespace WindowKeys {

QChar mnemonicOf(const QString& caption)
{
    for (qsizetype i = 0; i + 1 < caption.size(); ++i) {
        if (caption.at(i) != QLatin1Char('&'))
            continue;
        if (caption.at(i + 1) == QLatin1Char('&')) {
            ++i; // a plain ampersand
            continue;
        }
        return caption.at(i + 1).toLower();
    }
    return QChar();
}

QList<QAbstractButton*> captionedButtons(QWidget* window)
{
    QList<QAbstractButton*> buttons;
    for (QAbstractButton* b : window->findChildren<QAbstractButton*>()) {
        QString shown = b->text();
        shown.remove(QLatin1Char('&'));
        if (b->window() != window || shown.trimmed().isEmpty())
            continue;
        // A tool button that shows only its icon shows no caption either;
        // the calendar's month and year buttons are the calendar's own.
        const auto* tool = qobject_cast<QToolButton*>(b);
        if (tool && tool->toolButtonStyle() == Qt::ToolButtonIconOnly && !tool->icon().isNull())
            continue;
        bool inCalendar = false;
        for (QWidget* up = b->parentWidget(); up && up != window && !inCalendar; up = up->parentWidget())
            inCalendar = qobject_cast<QCalendarWidget*>(up) != nullptr;
        if (!inCalendar)
            buttons.append(b);
    }
    return buttons;
}

namespace {

// The caption with a mnemonic before one of its letters, the first free one
// at the start of a word, else any free one; the caption as it is when none
// is free.
QString withMnemonic(const QString& caption, QSet<QChar>& taken)
{
    QList<qsizetype> candidates;
    for (qsizetype i = 0; i < caption.size(); ++i)
        if (caption.at(i).isLetterOrNumber() && (i == 0 || !caption.at(i - 1).isLetterOrNumber()))
            candidates.append(i);
    for (qsizetype i = 0; i < caption.size(); ++i)
        if (caption.at(i).isLetterOrNumber() && !candidates.contains(i))
            candidates.append(i);
    for (qsizetype i : std::as_const(candidates)) {
        const QChar letter = caption.at(i).toLower();
        if (taken.contains(letter))
            continue;
        taken.insert(letter);
        return caption.left(i) + QLatin1Char('&') + caption.mid(i);
    }
    return caption;
}

QString withoutMnemonic(const QString& caption)
{
    QString plain;
    for (qsizetype i = 0; i < caption.size(); ++i) {
        if (caption.at(i) == QLatin1Char('&') && i + 1 < caption.size()) {
            ++i;
            plain += caption.at(i) == QLatin1Char('&') ? QStringLiteral("&&") : QString(caption.at(i));
            continue;
        }
        plain += caption.at(i);
    }
    return plain;
}

class KeyAction : public QObject
{
public:
    KeyAction(QWidget* watched, QList<int> keys, std::function<void()> action)
        : QObject(watched), m_watched(watched), m_keys(std::move(keys)), m_action(std::move(action))
    {
        watched->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched != m_watched || event->type() != QEvent::KeyPress)
            return false;
        auto* key = static_cast<QKeyEvent*>(event);
        const Qt::KeyboardModifiers modifiers = key->modifiers() & ~Qt::KeypadModifier;
        if (modifiers != Qt::NoModifier || !m_keys.contains(key->key()))
            return false;
        m_action();
        return true;
    }

private:
    QWidget* m_watched;
    QList<int> m_keys;
    std::function<void()> m_action;
};

const char* const kOwnEscape = "windowKeysEscape";
const char* const kShown = "windowKeysShown";

// Mnemonics and Esc for each window as it is shown.
class ShownWindows : public QObject
{
protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::Show || !watched->isWidgetType())
            return false;
        auto* window = static_cast<QWidget*>(watched);
        if (!window->isWindow())
            return false;
        assignMnemonics(window);
        if (!window->property(kShown).toBool()) {
            window->setProperty(kShown, true);
            QWidget* focus = window->focusWidget();
            if (!focus || qobject_cast<QAbstractButton*>(focus))
                if (QWidget* field = firstField(window))
                    field->setFocus(Qt::TabFocusReason);
        }
        if (window->parentWidget() && !qobject_cast<QDialog*>(window) && !window->property(kOwnEscape).toBool())
            closeOnEscape(window);
        return false;
    }
};

} // namespace

QWidget* firstField(QWidget* window)
{
    for (QWidget* w = window->nextInFocusChain(); w && w != window; w = w->nextInFocusChain())
        if (w->window() == window && w->isEnabled() && w->isVisibleTo(window) && (w->focusPolicy() & Qt::TabFocus)
            && !qobject_cast<QAbstractButton*>(w) && !w->focusProxy())
            return w;
    return nullptr;
}

void install()
{
    static ShownWindows* filter = nullptr;
    if (filter || !qApp)
        return;
    filter = new ShownWindows;
    filter->setParent(qApp);
    qApp->installEventFilter(filter);
}

void assignMnemonics(QWidget* window)
{
    const QList<QAbstractButton*> buttons = captionedButtons(window);
    QSet<QChar> taken;
    QList<QAbstractButton*> open;
    for (QAbstractButton* b : buttons) {
        const QChar letter = mnemonicOf(b->text());
        if (letter.isNull() || taken.contains(letter)) {
            open.append(b);
            continue;
        }
        taken.insert(letter);
    }
    for (QAbstractButton* b : std::as_const(open))
        b->setText(withMnemonic(withoutMnemonic(b->text()), taken));
}

void closeOnEscape(QWidget* window, std::function<void()> action)
{
    if (!action)
        action = [window] { window->close(); };
    window->setProperty(kOwnEscape, true);
    new KeyAction(window, {Qt::Key_Escape}, std::move(action));
}

void onEnter(QWidget* widget, std::function<void()> action)
{
    new KeyAction(widget, {Qt::Key_Return, Qt::Key_Enter}, std::move(action));
}

LeftField::LeftField(QWidget* window) : m_window(window)
{
    QWidget* field = QApplication::focusWidget();
    if (!field || field->window() != window)
        return;
    m_field = field;
    field->clearFocus();
    // A field that refuses its text takes the focus back at once.
    m_ok = !field->hasFocus();
    if (!m_ok)
        m_field = nullptr;
}

LeftField::~LeftField()
{
    if (m_field && m_field->isEnabled() && m_field->isVisible() && !QApplication::focusWidget()
        && m_window->isActiveWindow())
        m_field->setFocus(Qt::OtherFocusReason);
}

} // namespace WindowKeys
