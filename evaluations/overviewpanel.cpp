#include "overviewpanel.h"

#include "diaryforms.h"
#include "errorboundary.h"
#include "goalbar.h"
#include "goaldialog.h"
#include "session.h"
#include "stringgrid.h"
#include "textforms.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QVBoxLayout>

#include <cmath>

namespace {

constexpr qsizetype kShoeLines = 6;

QLabel* makeLabel(QWidget* parent, const QString& name)
{
    auto* label = new QLabel(parent);
    label->setObjectName(name);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return label;
}

QGroupBox* makeBox(QWidget* parent, const QString& name, const QString& title)
{
    auto* box = new QGroupBox(title, parent);
    box->setObjectName(name);
    new QVBoxLayout(box);
    return box;
}

QString sportName(const QString& sport)
{
    return sport.isEmpty() ? QStringLiteral("ohne Sportart") : sport;
}

QString hoursText(int minutes)
{
    return minutes > 0 ? MinutesToDuration(minutes) : QStringLiteral("0:00 h");
}

// "Laufen: 42,3 km (Vorjahr 38,1 km)" per sport, then the time and the trainings.
QString periodText(const overview::Period& p)
{
    QStringList lines;
    for (const overview::SportKm& s : p.sports)
        lines << sportName(s.sport) + QStringLiteral(": ") + distanceText(s.km) + QStringLiteral(" km (Vorjahr ")
                     + distanceText(s.kmLastYear) + QStringLiteral(" km)");
    if (p.sports.size() > 1)
        lines << QStringLiteral("Gesamt: ") + distanceText(p.sums.km) + QStringLiteral(" km (Vorjahr ")
                     + distanceText(p.lastYear.km) + QStringLiteral(" km)");
    lines << QStringLiteral("Zeit: ") + hoursText(p.sums.minutes) + QStringLiteral(" (Vorjahr ")
                 + hoursText(p.lastYear.minutes) + QLatin1Char(')');
    lines << QStringLiteral("Trainings: ") + QString::number(p.sums.trainings) + QStringLiteral(" (Vorjahr ")
                 + QString::number(p.lastYear.trainings) + QLatin1Char(')');
    return lines.join(QLatin1Char('\n'));
}

// Whole kilometres with the thousands' points: "1.234".
QString wholeKm(double km)
{
    return QLocale(QLocale::German, QLocale::Germany).toString(qint64(std::llround(km)));
}

QString goalLine(const overview::Goal& g)
{
    return wholeKm(g.done) + QStringLiteral(" von ") + wholeKm(g.planned) + QStringLiteral(" km, Soll heute ")
           + wholeKm(g.due) + QStringLiteral(" km");
}

QString daysLeftText(int days)
{
    if (days == 0)
        return QStringLiteral("heute");
    if (days == 1)
        return QStringLiteral("morgen");
    return QStringLiteral("noch %1 Tage").arg(days);
}

} // namespace

OverviewPanel::OverviewPanel(Session& session, QWidget* parent) : QWidget(parent), m_session(session)
{
    setObjectName(QStringLiteral("OverviewPanel"));
    build();
    showPerson(-1);
}

void OverviewPanel::build()
{
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(8, 6, 8, 8);
    HintLabel = makeLabel(this, QStringLiteral("HintLabel"));
    HintLabel->setText(QStringLiteral("Wählen Sie oben eine Person, um die Übersicht ihres Trainings zu sehen."));
    outer->addWidget(HintLabel);

    SectionsWidget = new QWidget(this);
    SectionsWidget->setObjectName(QStringLiteral("SectionsWidget"));
    auto* grid = new QGridLayout(SectionsWidget);
    grid->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(SectionsWidget);
    outer->addStretch(1);

    const auto labelBox = [&](QGroupBox*& box, QLabel*& label, const QString& name, const QString& title) {
        box = makeBox(SectionsWidget, name + QStringLiteral("Box"), title);
        label = makeLabel(box, name + QStringLiteral("Label"));
        box->layout()->addWidget(label);
    };
    labelBox(WeekBox, WeekLabel, QStringLiteral("Week"), QStringLiteral("Diese Woche"));
    labelBox(MonthBox, MonthLabel, QStringLiteral("Month"), QStringLiteral("Dieser Monat"));
    labelBox(YearBox, YearLabel, QStringLiteral("Year"), QStringLiteral("Dieses Jahr"));
    labelBox(ShoesBox, ShoesLabel, QStringLiteral("Shoes"), QStringLiteral("Schuhe"));
    labelBox(FormBox, FormLabel, QStringLiteral("Form"), QStringLiteral("Form"));
    labelBox(RaceBox, RaceLabel, QStringLiteral("Race"), QStringLiteral("Nächster Wettkampf"));
    FormLabel->setWordWrap(true);
    RaceLabel->setWordWrap(true);
    RaceLabel->setToolTip(QStringLiteral("Die Prognose rechnet mit der besten Leistung der letzten 90 Tage."));
    ShoesLabel->setWordWrap(true);

    LastBox = makeBox(SectionsWidget, QStringLiteral("LastBox"), QStringLiteral("Letzte Trainings"));
    LastGrid = new StringGrid(LastBox);
    LastGrid->setObjectName(QStringLiteral("LastGrid"));
    LastGrid->setColumns({QStringLiteral("Datum"), QStringLiteral("Sportart"), QStringLiteral("km"),
                          QStringLiteral("Zeit"), QStringLiteral("Tempo")},
                         {70, 90, 50, 55, 80});
    LastGrid->setToolTip(QStringLiteral("Ein Klick zeigt das Training in der Erfassung."));
    LastGrid->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    LastGrid->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    LastGrid->widenToFit({{QStringLiteral("00.00.0000")}, {QStringLiteral("Radfahren")}, {QStringLiteral("999,9")},
                          {QStringLiteral("10:00 h")}, {QStringLiteral("5:00 min/km"), QStringLiteral("30,0 km/h")}});
    const int height = 2 * LastGrid->frameWidth() + (overview::kLastTrainings + 1) * LastGrid->defaultRowHeight() + 2;
    LastGrid->setFixedHeight(height);
    LastBox->layout()->addWidget(LastGrid);
    connect(LastGrid, &QAbstractItemView::clicked, this,
            [this](const QModelIndex& index) { LastGridClick(index.row() + LastGrid->firstDataRow()); });

    GoalBox = makeBox(SectionsWidget, QStringLiteral("GoalBox"), QStringLiteral("Jahresziel"));
    GoalBarView = new GoalBar(GoalBox);
    GoalBarView->setObjectName(QStringLiteral("GoalBarView"));
    GoalBarView->setToolTip(QStringLiteral("Gelaufen gegen geplant; der Strich zeigt das Soll von heute."));
    GoalLabel = makeLabel(GoalBox, QStringLiteral("GoalLabel"));
    GoalButton = new QPushButton(QStringLiteral("&Jahresziel…"), GoalBox);
    GoalButton->setObjectName(QStringLiteral("GoalButton"));
    GoalButton->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    GoalBox->layout()->addWidget(GoalBarView);
    GoalBox->layout()->addWidget(GoalLabel);
    GoalBox->layout()->addWidget(GoalButton);
    connect(GoalButton, &QPushButton::clicked, this, &OverviewPanel::GoalButtonClick);

    grid->addWidget(WeekBox, 0, 0);
    grid->addWidget(MonthBox, 0, 1);
    grid->addWidget(YearBox, 0, 2);
    grid->addWidget(LastBox, 1, 0, 1, 2);
    grid->addWidget(FormBox, 1, 2);
    grid->addWidget(ShoesBox, 2, 0);
    grid->addWidget(RaceBox, 2, 1);
    grid->addWidget(GoalBox, 2, 2);
    for (int c = 0; c < 3; ++c)
        grid->setColumnStretch(c, 1);
}

QDate OverviewPanel::today() const
{
    return m_today.isValid() ? m_today : QDate::currentDate();
}

void OverviewPanel::showPerson(int userId)
{
    m_userId = userId;
    refresh();
}

void OverviewPanel::refresh()
{
    const bool person = m_userId >= 0;
    HintLabel->setVisible(!person);
    SectionsWidget->setVisible(person);
    if (!person)
        return;
    m_standing.reset();
    guarded(this, [&] {
        overview::Standing standing = overview::readStanding(m_session.ZDatabase1, m_userId, today());
        show(overview::read(m_session.ZDatabase1, m_userId, today(), standing));
        m_standing = std::move(standing);
    });
}

void OverviewPanel::entriesChanged()
{
    if (m_userId < 0 || !m_standing || m_standing->day != today()) {
        refresh();
        return;
    }
    guarded(this, [&] { show(overview::read(m_session.ZDatabase1, m_userId, today(), *m_standing)); });
}

void OverviewPanel::show(const overview::Overview& o)
{
    WeekLabel->setText(periodText(o.week));
    MonthLabel->setText(periodText(o.month));
    YearLabel->setText(periodText(o.year));
    showLast(o.last);

    // Those over their maximum, then those near it: "Modell – 812,4 von 800 km".
    // The most worn ones; the count of the others, so that the panel keeps its height.
    QStringList over;
    QStringList near;
    const qsizetype shown = o.shoes.size() > kShoeLines ? kShoeLines - 1 : o.shoes.size();
    for (const overview::Shoe& s : o.shoes.first(shown))
        (s.over ? over : near) << s.model + QStringLiteral(" – ") + distanceText(s.km) + QStringLiteral(" von ")
                                      + QString::number(s.max) + QStringLiteral(" km");
    QStringList shoes;
    if (!over.isEmpty())
        shoes << QStringLiteral("Laufleistung überschritten:") << over;
    if (!near.isEmpty())
        shoes << QStringLiteral("Laufleistung bald erreicht:") << near;
    if (shown < o.shoes.size())
        shoes << QStringLiteral("und %1 weitere").arg(o.shoes.size() - shown);
    ShoesLabel->setText(shoes.isEmpty() ? QStringLiteral("Alle Schuhe unter ihrer Laufleistung.")
                                        : shoes.join(QLatin1Char('\n')));

    if (o.form.known)
        FormLabel->setText(QStringLiteral("Fitness: %1\nErmüdung: %2\nForm: %3\n\n")
                               .arg(fixedText(o.form.fitness, 1), fixedText(o.form.fatigue, 1),
                                    fixedText(o.form.form, 1))
                           + o.form.sentence);
    else
        FormLabel->setText(o.form.sentence);

    if (o.race) {
        const Races::Race& r = o.race->race;
        QStringList lines{r.name, dateText(r.date) + QStringLiteral(", ") + daysLeftText(o.race->daysLeft)};
        if (r.km > 0.0)
            lines << QStringLiteral("Strecke: ") + distanceText(r.km) + QStringLiteral(" km");
        lines << QStringLiteral("Zielzeit: ")
                     + (r.goalSeconds > 0 ? raceTimeText(r.goalSeconds) : QStringLiteral("keine"));
        lines << QStringLiteral("Prognose: ")
                     + (o.race->predictedSeconds > 0.0 ? raceTimeText(o.race->predictedSeconds)
                                                       : QStringLiteral("keine"));
        RaceLabel->setText(lines.join(QLatin1Char('\n')));
    } else {
        RaceLabel->setText(QStringLiteral("Kein Wettkampf geplant."));
    }
    showGoals(o.goals);
}

void OverviewPanel::showLast(const QList<overview::Training>& last)
{
    LastGrid->clearRows();
    m_lastIds.clear();
    for (const overview::Training& t : last) {
        const int row = int(m_lastIds.size()) + LastGrid->firstDataRow();
        LastGrid->setCells(0, row, dateText(t.date));
        LastGrid->setCells(1, row, sportName(t.sport));
        LastGrid->setCellToolTip(1, row, sportName(t.sport));
        LastGrid->setCells(2, row, distanceText(t.km));
        LastGrid->setCells(3, row, MinutesToDuration(t.minutes));
        LastGrid->setCells(4, row, t.pace);
        m_lastIds << t.entryId;
        if (m_lastIds.size() < overview::kLastTrainings)
            LastGrid->addRow();
    }
}

void OverviewPanel::showGoals(const QList<overview::Goal>& goals)
{
    GoalBarView->setVisible(!goals.isEmpty());
    if (goals.isEmpty()) {
        GoalBarView->setValues(0.0, 0.0, 0.0);
        GoalLabel->setText(QStringLiteral("Kein Jahresziel für %1.\nMit „Jahresziel…“ legen Sie eines fest.")
                               .arg(today().year()));
        return;
    }
    const overview::Goal& first = goals.first();
    GoalBarView->setValues(first.done, first.planned, first.due);
    QStringList lines;
    for (const overview::Goal& g : goals)
        lines << (g.sport.isEmpty() ? QString() : g.sport + QStringLiteral(": ")) + goalLine(g);
    GoalLabel->setText(lines.join(QLatin1Char('\n')));
}

void OverviewPanel::LastGridClick(int row)
{
    const qsizetype index = row - LastGrid->firstDataRow();
    if (index >= 0 && index < m_lastIds.size())
        Q_EMIT entryChosen(m_lastIds[index]);
}

void OverviewPanel::GoalButtonClick()
{
    if (m_userId < 0)
        return;
    GoalDialog dialog(m_session, m_userId, today().year(), this);
    if (dialog.exec() == QDialog::Accepted)
        refresh();
}
