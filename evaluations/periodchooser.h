#pragma once

#include <QDate>
#include <QObject>
#include <QString>

class DateEdit;
class IniFile;
class QComboBox;
class Session;

namespace evaluation {

// The quick periods of the evaluation windows, by their index in the list
// beside the dates. Own is a period the user typed or picked.
enum class QuickPeriod
{
    Own,
    LastFourWeeks,  // the last 28 days, today included
    ThisMonth,      // from the first of this month to today
    ThisYear,       // from the first of January to today
    LastTwelveMonths, // from the day after today a year ago to today
    Everything,     // from the person's first to the last entry
};

// The captions of the list, by QuickPeriod.
QStringList quickPeriodCaptions();

struct Period
{
    QDate from;
    QDate to;
};

// The period of a quick choice on the day today; diary is the span of the
// person's entries (Everything is today alone when there are none). Own
// gives no period.
Period quickPeriod(QuickPeriod kind, const QDate& today, const Period& diary);

// The period of an evaluation window: its start and end field and the
// quick periods beside them. A quick period sets both dates (and then
// announces the change once); a date changed in a field makes the period
// the user's own again.
//
// The period is kept in the window's section of config.ini: StartDate and
// EndDate as the fields show them, and beside them SavedOn, the day the
// period was saved, and QuickPeriod, the quick period shown. When the
// window opens again:
// - a quick period is taken anew for the day, so "dieses Jahr" stays this
//   year and "alles" takes the entries made since;
// - an own period whose end was the day it was saved ends today, so that
//   the trainings recorded since are in it;
// - any other period is shown as it was saved, as are the periods of
//   settings files without the two keys;
// - at the first opening (no period saved) the last twelve months are shown.
class PeriodChooser : public QObject
{
    Q_OBJECT

public:
    PeriodChooser(Session& session, DateEdit* from, DateEdit* to, QComboBox* quick, int userId, QObject* parent);

    // Sets the fields from the section without announcing it.
    void restore(const IniFile& ini, const QString& section, const QDate& today = QDate::currentDate());
    void save(IniFile& ini, const QString& section, const QDate& today = QDate::currentDate()) const;

    QuickPeriod current() const;
    // Sets both dates to the quick period and announces it; Own changes nothing.
    void choose(QuickPeriod kind, const QDate& today = QDate::currentDate());

Q_SIGNALS:
    // Both dates were set by a quick period.
    void periodChosen();

private:
    void show(QuickPeriod kind, const QDate& today);
    Period diarySpan() const;

    Session& m_session;
    DateEdit* m_from;
    DateEdit* m_to;
    QComboBox* m_quick;
    int m_userId;
};

} // namespace evaluation
