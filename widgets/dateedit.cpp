#include "dateedit.h"

#include "messages.h"
#include "textforms.h"

#include <QCalendarWidget>
#include <QDialog>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QPainter>
#include <QPixmap>
#include <QScopedValueRollback>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

// Set while a date field takes its focus back and shows its error: a second
// date field that loses the focus meanwhile must not do the same, or the
// two would pull the focus back and forth.
bool refusing = false;

QIcon calendarIcon()
{
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setPen(QColor(64, 64, 64));
    painter.setBrush(Qt::white);
    painter.drawRect(1, 2, 13, 12);
    painter.fillRect(2, 3, 12, 3, QColor(176, 32, 32));
    for (int row = 0; row < 3; ++row) {
        for (int column = 0; column < 4; ++column)
            painter.fillRect(3 + column * 3, 7 + row * 2, 2, 1, QColor(64, 64, 64));
    }
    return QIcon(pixmap);
}

} // namespace

DateEdit::DateEdit(QWidget* parent) : QLineEdit(parent)
{
    setMaxLength(10);

    m_button = new QToolButton(this);
    m_button->setIcon(calendarIcon());
    m_button->setCursor(Qt::ArrowCursor);
    m_button->setAutoRaise(true);
    // The button must not take the focus: opening the calendar is no leaving
    // of the field, so a half-typed text can still be replaced by a pick.
    m_button->setFocusPolicy(Qt::NoFocus);
    connect(m_button, &QToolButton::clicked, this, &DateEdit::openCalendar);

    m_dialog = new QDialog(this, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    m_dialog->setWindowModality(Qt::WindowModal);
    m_calendar = new QCalendarWidget(m_dialog);
    m_calendar->setLocale(QLocale(QLocale::German, QLocale::Germany));
    m_calendar->setFirstDayOfWeek(Qt::Monday);
    m_calendar->setGridVisible(true);
    auto* layout = new QVBoxLayout(m_dialog);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->addWidget(m_calendar);
    connect(m_calendar, &QCalendarWidget::clicked, this, &DateEdit::takeCalendarDate);
    connect(m_calendar, &QCalendarWidget::activated, this, &DateEdit::takeCalendarDate);

    connect(this, &QLineEdit::textChanged, this, &DateEdit::changed);
    connect(this, &QObject::objectNameChanged, this, &DateEdit::nameParts);
    placeButton();
}

QDate DateEdit::dateOf(const QString& text)
{
    return typedDate(text);
}

QDate DateEdit::date() const
{
    return dateOf(text());
}

void DateEdit::setDate(const QDate& date)
{
    setText(date.isValid() ? dateText(date) : QString());
}

void DateEdit::setButtonHint(const QString& hint)
{
    m_button->setToolTip(hint);
}

QString DateEdit::buttonHint() const
{
    return m_button->toolTip();
}

void DateEdit::setCalendarTitle(const QString& title)
{
    m_dialog->setWindowTitle(title);
}

QString DateEdit::calendarTitle() const
{
    return m_dialog->windowTitle();
}

void DateEdit::setShowTodayWhenEmpty(bool on)
{
    m_showTodayWhenEmpty = on;
}

void DateEdit::openCalendar()
{
    if (!isEnabled() || isReadOnly())
        return;
    const QDate current = date();
    if (current.isValid())
        m_calendar->setSelectedDate(current);
    else if (m_showTodayWhenEmpty && text().trimmed().isEmpty())
        m_calendar->setSelectedDate(QDate::currentDate());
    m_dialog->adjustSize();
    m_dialog->move(mapToGlobal(QPoint(0, height())));
    m_dialog->open();
    m_calendar->setFocus(Qt::PopupFocusReason);
}

void DateEdit::takeCalendarDate(const QDate& date)
{
    if (m_acceptor && !m_acceptor(date)) {
        m_dialog->reject();
        setFocus(Qt::OtherFocusReason);
        return;
    }
    setDate(date);
    m_dialog->accept();
    setFocus(Qt::OtherFocusReason);
}

void DateEdit::focusOutEvent(QFocusEvent* event)
{
    QLineEdit::focusOutEvent(event);
    // Only a move of the focus inside the window is a leaving of the field:
    // another window coming up (the calendar, a message box, another
    // program) or a menu opening is not, and neither is the field being
    // locked or hidden by its window.
    switch (event->reason()) {
    case Qt::ActiveWindowFocusReason:
    case Qt::PopupFocusReason:
    case Qt::MenuBarFocusReason:
        return;
    default:
        break;
    }
    if (!isEnabled() || !isVisible())
        return;
    checkOnLeave();
}

void DateEdit::checkOnLeave()
{
    if (text().trimmed().isEmpty())
        return;
    // Digits typed in one go, or a day or month of one digit, are written
    // out as a date, also when they name none: the message shows the date
    // that was read.
    const QString completed = completedDateText(text());
    if (!completed.isEmpty() && completed != text())
        setText(completed);
    const QString typed = text();
    const QDate typedDate = dateOf(typed);
    if (typedDate.isValid()) {
        if (typed != dateText(typedDate))
            setDate(typedDate);
        return;
    }
    if (refusing)
        return;
    const QScopedValueRollback<bool> guard(refusing, true);
    setFocus(Qt::OtherFocusReason);
    selectAll();
    Messages::error(this, QStringLiteral("„%1“ ist kein gültiges Datum").arg(typed));
}

void DateEdit::keyPressEvent(QKeyEvent* event)
{
    const bool opens = (event->key() == Qt::Key_F4 && event->modifiers() == Qt::NoModifier)
                       || (event->key() == Qt::Key_Down && event->modifiers() == Qt::AltModifier);
    if (opens) {
        openCalendar();
        event->accept();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

void DateEdit::resizeEvent(QResizeEvent* event)
{
    QLineEdit::resizeEvent(event);
    placeButton();
}

void DateEdit::placeButton()
{
    const int side = qMax(16, height() - 4);
    m_button->setGeometry(width() - side - 2, 2, side, height() - 4);
    setTextMargins(0, 0, side, 0);
}

void DateEdit::nameParts(const QString& name)
{
    m_button->setObjectName(name + QStringLiteral("Button"));
    m_dialog->setObjectName(name + QStringLiteral("Dialog"));
    m_calendar->setObjectName(name + QStringLiteral("Calendar"));
}
