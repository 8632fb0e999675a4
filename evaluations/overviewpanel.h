#pragma once

#include "overview.h"

#include <QStringList>
#include <QWidget>

#include <optional>

class GoalBar;
class QGroupBox;
class QLabel;
class QPushButton;
class Session;
class StringGrid;

// The main window's overview of the chosen person's diary (calc/overview.h):
// this week, month and year against last year's, the last trainings, worn
// shoes, the form, the next race and the year's goal. Without a person it
// shows a hint only. Each update is one read, inside the error boundary.
class OverviewPanel : public QWidget
{
    Q_OBJECT

public:
    explicit OverviewPanel(Session& session, QWidget* parent = nullptr);

    // Shows the person's overview; a person below 0 shows the hint.
    void showPerson(int userId);
    // Reads the overview of the person shown anew.
    void refresh();
    // After a change of diary entries: reads what they change, and keeps
    // the person, the zones and the goals read before.
    void entriesChanged();
    int userId() const { return m_userId; }
    // The day the overview counts to; today unless set (tests).
    void setToday(const QDate& day) { m_today = day; }

    QLabel* HintLabel = nullptr;
    QWidget* SectionsWidget = nullptr;
    QGroupBox* WeekBox = nullptr;
    QLabel* WeekLabel = nullptr;
    QGroupBox* MonthBox = nullptr;
    QLabel* MonthLabel = nullptr;
    QGroupBox* YearBox = nullptr;
    QLabel* YearLabel = nullptr;
    QGroupBox* LastBox = nullptr;
    StringGrid* LastGrid = nullptr;
    QGroupBox* ShoesBox = nullptr;
    QLabel* ShoesLabel = nullptr;
    QGroupBox* FormBox = nullptr;
    QLabel* FormLabel = nullptr;
    QGroupBox* RaceBox = nullptr;
    QLabel* RaceLabel = nullptr;
    QGroupBox* GoalBox = nullptr;
    GoalBar* GoalBarView = nullptr;
    QLabel* GoalLabel = nullptr;
    QPushButton* GoalButton = nullptr;

Q_SIGNALS:
    // A last training was clicked: the editor should show it.
    void entryChosen(const QString& entryId);

public Q_SLOTS:
    // Opens the goal dialog for the person and the year shown.
    void GoalButtonClick();

private:
    void build();
    void show(const overview::Overview& o);
    void showLast(const QList<overview::Training>& last);
    void showGoals(const QList<overview::Goal>& goals);
    void LastGridClick(int row);
    QDate today() const;

    Session& m_session;
    std::optional<overview::Standing> m_standing; // of the person shown, read with the last refresh
    int m_userId = -1;
    QDate m_today;
    QStringList m_lastIds; // of the grid's rows
};
