#pragma once

#include <QDate>
#include <QLineEdit>

#include <functional>

class QCalendarWidget;
class QDialog;
class QToolButton;

// A date field: a line edit that takes typed text in the form dd.mm.yyyy
// (four-digit years only) and carries a calendar button at its right edge.
//
// The field is the line edit itself, so its text is read and typed into
// directly. When the user leaves it, the text is completed as a date is
// typed (completedDateText: "07122026" becomes 07.12.2026); a text that is
// not empty and no date is then refused in the error box („07.13.2026“ ist
// kein gültiges Datum.) and the field keeps the focus; an empty field
// passes. A valid date is rewritten in the form dd.mm.yyyy.
//
// The button (object name: the field's name + "Button") opens a small
// dialog (object name: the field's name + "Dialog") with a calendar
// (the field's name + "Calendar"); a click on a day, Return or a double
// click puts that date into the field. F4 and Alt+Down open it as well.
class DateEdit : public QLineEdit
{
    Q_OBJECT

public:
    explicit DateEdit(QWidget* parent = nullptr);

    // The date of the text; invalid when the field is empty or holds no date.
    QDate date() const;
    // Writes the date as dd.mm.yyyy; an invalid date empties the field.
    void setDate(const QDate& date);

    // The date a text stands for: dd.mm.yyyy (one-digit day and month, and
    // the eight digits alone, are taken too) with a four-digit year from
    // 0001 on; invalid otherwise.
    static QDate dateOf(const QString& text);

    // The tooltip of the calendar button.
    void setButtonHint(const QString& hint);
    QString buttonHint() const;
    // The title of the calendar dialog.
    void setCalendarTitle(const QString& title);
    QString calendarTitle() const;
    // Whether the calendar opens at today when the field is empty; when off
    // it opens at the day chosen last.
    void setShowTodayWhenEmpty(bool on);
    bool showTodayWhenEmpty() const { return m_showTodayWhenEmpty; }

    // A check of a date picked in the calendar: a refused date leaves the
    // field as it was (the check tells the user why).
    void setDateAcceptor(std::function<bool(const QDate&)> acceptor) { m_acceptor = std::move(acceptor); }

    QToolButton* button() const { return m_button; }
    QDialog* calendarDialog() const { return m_dialog; }
    QCalendarWidget* calendar() const { return m_calendar; }

public Q_SLOTS:
    // Opens the calendar dialog (not blocking) at the field's date.
    void openCalendar();

Q_SIGNALS:
    // Every change of the text, typed or set.
    void changed();

protected:
    void focusOutEvent(QFocusEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void takeCalendarDate(const QDate& date);
    void checkOnLeave();
    void placeButton();
    void nameParts(const QString& name);

    QToolButton* m_button = nullptr;
    QDialog* m_dialog = nullptr;
    QCalendarWidget* m_calendar = nullptr;
    bool m_showTodayWhenEmpty = false;
    std::function<bool(const QDate&)> m_acceptor;
};
