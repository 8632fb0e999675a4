#pragma once

#include <QCheckBox>
#include <QComboBox>

class DateEdit;
class QDate;
class QFrame;
class QGroupBox;
class QScrollArea;
class QVBoxLayout;
class QWidget;

// Controls and checks the two evaluation windows share.
namespace evaluation {

// A three-state summary box whose user clicks only check and uncheck it;
// the grey state marks a checked box that is out of use.
class SummaryBox : public QCheckBox
{
public:
    SummaryBox(const QString& text, QWidget* parent);

protected:
    void nextCheckState() override;
};

// A pick list of the left panel that does not widen the panel for a long
// item: it shows the chosen item shortened with "…" where it is narrower
// (the whole text as its tooltip then) and opens its list as wide as the items.
class PanelList : public QComboBox
{
public:
    explicit PanelList(QWidget* parent);

    // The chosen item as the closed list shows it.
    QString shownText() const;
    void showPopup() override;

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    QRect textRect() const;
};

// Puts a summary box in use (grey becomes checked) or out of use (checked
// becomes grey), without running its handlers.
void setInUse(QCheckBox* box, bool inUse);

// The group " Auswertungszeitraum " with the list of quick periods (named
// as the window names it) and under it the start and end fields FromDate1
// and TilDate1, stacked in its layout, which the caller fills on.
QGroupBox* makePeriodGroup(QWidget* parent, const QString& quickName, QComboBox*& quick, DateEdit*& from,
                           DateEdit*& to, QVBoxLayout*& layout);

// The left panel of an evaluation window in a scroll area of the panel's
// width, which scrolls the panel up and down when the window is lower than
// the panel (named ScrollBox1).
QScrollArea* makeScrollingPanel(QWidget* parent, QWidget* panel);

// A sunken horizontal line between groups of controls.
QFrame* makeLine(QWidget* parent);

// The checks of a calendar pick against the other end of the period: a
// start must lie before the end, an end after the start. A refused date
// beeps and is named in the error box; an invalid other end accepts.
bool acceptStartDate(QWidget* parent, const QDate& start, const QDate& end);
bool acceptEndDate(QWidget* parent, const QDate& start, const QDate& end);

} // namespace evaluation
