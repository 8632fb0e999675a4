#include "tform9.h"

#include "coursecurves.h"
#include "routemap.h"
#include "screenfit.h"
#include "stringgrid.h"
#include "workingwindow.h"

#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QSplitter>
#include <QVBoxLayout>

#include <cmath>

using course::Channel;

namespace {

QString clock(double seconds)
{
    const qint64 s = std::llround(std::max(0.0, seconds));
    if (s >= 3600)
        return QStringLiteral("%1:%2:%3").arg(s / 3600).arg(s / 60 % 60, 2, 10, QLatin1Char('0'))
            .arg(s % 60, 2, 10, QLatin1Char('0'));
    return QStringLiteral("%1:%2").arg(s / 60).arg(s % 60, 2, 10, QLatin1Char('0'));
}

QString decimal(double value, int decimals)
{
    return QLocale(QLocale::German).toString(value, 'f', decimals);
}

// Pace in min/km, or km/h for cycling, of a distance in a time.
QString tempo(double metres, double seconds, bool cycling)
{
    if (!(metres > 0.0) || !(seconds > 0.0))
        return {};
    if (cycling)
        return decimal(metres / seconds * 3.6, 1) + QStringLiteral(" km/h");
    return clock(seconds / (metres / 1000.0)) + QStringLiteral(" /km");
}

QLabel* wrappingLabel(QWidget* parent, const QString& name)
{
    auto* label = new QLabel(parent);
    label->setObjectName(name);
    label->setWordWrap(true);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}

} // namespace

bool TForm9::isCycling(const QString& sport)
{
    const QString s = sport.toLower();
    return s.contains(QLatin1String("rad")) || s.contains(QLatin1String("bike"))
           || s.contains(QLatin1String("cycl"));
}

TForm9::TForm9(Session& session, const course::Course& course, const QList<Entries::Unit>& laps,
               const QList<training::Zone>& zones, int maxPulse, const QString& sport, QWidget* parent)
    : QWidget(parent, workingWindowFlags()), m_session(session), m_course(course),
      m_analysis(course::analyse(course)), m_cycling(isCycling(sport))
{
    ScreenFit::keepOnScreen(this);
    setObjectName(QStringLiteral("TForm9"));
    setWindowTitle(QStringLiteral("Trainingsverlauf"));
    setAttribute(Qt::WA_DeleteOnClose);

    ComboBox1 = new QComboBox(this);
    ComboBox1->setObjectName(QStringLiteral("ComboBox1"));
    ComboBox1->addItems({QStringLiteral("über die Strecke"), QStringLiteral("über die Zeit")});
    ComboBox1->setToolTip(QStringLiteral("Die Kurven über die Strecke oder über die Zeit zeigen"));
    SaveButton = new QPushButton(QStringLiteral("Kurven speichern..."), this);
    SaveButton->setObjectName(QStringLiteral("SaveButton"));
    SaveButton->setToolTip(QStringLiteral("Die Kurven als Grafik (PNG, SVG) oder PDF speichern"));
    GpxButton = new QPushButton(QStringLiteral("Als GPX speichern..."), this);
    GpxButton->setObjectName(QStringLiteral("GpxButton"));
    GpxButton->setToolTip(QStringLiteral("Den Verlauf als GPX-Datei speichern"));
    GpxButton->setEnabled(m_analysis.hasPositions);

    QList<Channel> channels;
    const Channel pace = m_cycling ? Channel::Speed : Channel::Pace;
    for (const Channel c : {pace, Channel::HeartRate, Channel::Altitude, Channel::Cadence})
        if (course::hasChannel(m_analysis, c))
            channels.append(c);
    Curves = new CourseCurves(this);
    Curves->setObjectName(QStringLiteral("Curves"));
    Curves->setCourse(&m_analysis, channels);
    Curves->setMinimumHeight(std::max<int>(260, int(channels.size()) * 95 + 40));
    Route = new RouteMap(this);
    Route->setObjectName(QStringLiteral("Route"));
    Route->setCourse(&m_analysis);
    CursorLabel = wrappingLabel(this, QStringLiteral("CursorLabel"));
    CursorLabel->setMinimumHeight(fontMetrics().height() * 2 + 4);
    CursorLabel->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    SplitsGrid = new StringGrid(this);
    SplitsGrid->setObjectName(QStringLiteral("SplitsGrid"));
    SplitsGrid->setColumns({QStringLiteral("km"), QStringLiteral("Zeit"), QStringLiteral("Tempo"),
                            QStringLiteral("Ø HF"), QStringLiteral("Anstieg")},
                           {44, 60, 80, 48, 60});
    SplitsGrid->setStretchColumn(4);
    LapsGrid = new StringGrid(this);
    LapsGrid->setObjectName(QStringLiteral("LapsGrid"));
    LapsGrid->setColumns({QStringLiteral("Runde"), QStringLiteral("km"), QStringLiteral("Zeit"),
                          QStringLiteral("Tempo"), QStringLiteral("Puls"), QStringLiteral("Bereich")},
                         {50, 50, 60, 80, 44, 60});
    LapsGrid->setStretchColumn(5);
    TotalsLabel = wrappingLabel(this, QStringLiteral("TotalsLabel"));
    TotalsLabel->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    auto* top = new QHBoxLayout;
    top->addWidget(new QLabel(QStringLiteral("Kurven"), this));
    top->addWidget(ComboBox1);
    top->addStretch(1);
    top->addWidget(SaveButton);
    top->addWidget(GpxButton);

    auto* curvesBox = new QWidget(this);
    auto* curvesLayout = new QVBoxLayout(curvesBox);
    curvesLayout->setContentsMargins(0, 0, 0, 0);
    curvesLayout->addWidget(Curves, 1);
    curvesLayout->addWidget(CursorLabel);
    const auto box = [this](const QString& title, QWidget* inside) {
        auto* group = new QGroupBox(title, this);
        auto* l = new QVBoxLayout(group);
        l->addWidget(inside);
        return group;
    };
    // The route with the totals below it beside the curves.
    auto* side = new QWidget(this);
    auto* sideLayout = new QVBoxLayout(side);
    sideLayout->setContentsMargins(0, 0, 0, 0);
    sideLayout->addWidget(Route, 1);
    sideLayout->addWidget(box(QStringLiteral(" Summen "), TotalsLabel));
    auto* upper = new QSplitter(Qt::Horizontal, this);
    upper->addWidget(curvesBox);
    upper->addWidget(side);
    upper->setStretchFactor(0, 3);
    upper->setStretchFactor(1, 2);

    auto* lower = new QHBoxLayout;
    lower->addWidget(box(QStringLiteral(" Kilometer "), SplitsGrid), 1);
    lower->addWidget(box(QStringLiteral(" Runden "), LapsGrid), 1);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(upper, 3);
    layout->addLayout(lower, 2);
    resize(1100, 760);

    fillSplits();
    fillLaps(laps);
    fillTotals(zones, maxPulse);
    CursorLabel->setText(QStringLiteral("Zeigen Sie mit der Maus auf die Kurven, um die Werte einer Stelle zu sehen."));

    connect(ComboBox1, &QComboBox::currentIndexChanged, this, &TForm9::ComboBox1Change);
    connect(Curves, &CourseCurves::cursorMoved, this, &TForm9::CurvesCursorMoved);
    connect(SaveButton, &QPushButton::clicked, this, &TForm9::SaveButtonClick);
    connect(GpxButton, &QPushButton::clicked, this, &TForm9::GpxButtonClick);
}

void TForm9::ComboBox1Change()
{
    Curves->setAxis(ComboBox1->currentIndex() == 1 ? course::Axis::Time : course::Axis::Distance);
}

void TForm9::CurvesCursorMoved(int index)
{
    const QString text = cursorText(index);
    CursorLabel->setText(text);
    Curves->setToolTip(text);
    Route->setCursorPoint(index);
}

QString TForm9::cursorText(int index) const
{
    if (index < 0 || index >= m_analysis.points.size())
        return {};
    const course::Point& p = m_analysis.points[index];
    QStringList parts{QStringLiteral("%1 km").arg(decimal(p.distance / 1000.0, 2)), clock(p.seconds)};
    const double pace = course::channelValue(p, Channel::Pace);
    if (m_cycling && course::recorded(p.speed))
        parts << QStringLiteral("%1 km/h").arg(decimal(p.speed * 3.6, 1));
    else if (!m_cycling && course::recorded(pace))
        parts << QStringLiteral("Tempo %1 /km").arg(clock(pace * 60.0));
    if (course::recorded(p.heartRate))
        parts << QStringLiteral("HF %1").arg(std::lround(p.heartRate));
    if (course::recorded(p.altitude))
        parts << QStringLiteral("Höhe %1 m").arg(std::lround(p.altitude));
    if (course::recorded(p.cadence))
        parts << QStringLiteral("Kadenz %1").arg(std::lround(p.cadence));
    return parts.join(QStringLiteral("  ·  "));
}

void TForm9::fillSplits()
{
    const QList<course::Split> splits = course::splits(m_analysis);
    SplitsGrid->setGridRowCount(int(splits.size()) + 1);
    double at = 0.0;
    for (int i = 0; i < splits.size(); ++i) {
        const course::Split& s = splits[i];
        at += s.metres;
        const int row = i + 1;
        SplitsGrid->setCells(0, row, s.metres >= 1000.0 ? QString::number(s.number) : decimal(at / 1000.0, 2));
        SplitsGrid->setCells(1, row, clock(s.seconds));
        SplitsGrid->setCells(2, row, tempo(s.metres, s.seconds, m_cycling));
        SplitsGrid->setCells(3, row, course::recorded(s.heartRate) ? QString::number(std::lround(s.heartRate)) : QString());
        SplitsGrid->setCells(4, row, m_analysis.hasAltitude ? QStringLiteral("%1 m").arg(std::lround(s.gain)) : QString());
    }
}

void TForm9::fillLaps(const QList<Entries::Unit>& laps)
{
    LapsGrid->setGridRowCount(int(laps.size()) + 1);
    for (int i = 0; i < laps.size(); ++i) {
        const Entries::Unit& u = laps[i];
        const int row = i + 1;
        const double km = QString(u.distance).replace(QLatin1Char(','), QLatin1Char('.')).toDouble();
        const QTime time = QTime::fromString(u.time.rightJustified(8, QLatin1Char('0')), QStringLiteral("hh:mm:ss"));
        const double seconds = time.isValid() ? time.msecsSinceStartOfDay() / 1000.0 : 0.0;
        LapsGrid->setCells(0, row, QString::number(i + 1));
        LapsGrid->setCells(1, row, km > 0.0 ? decimal(km, 2) : QString());
        LapsGrid->setCells(2, row, seconds > 0.0 ? clock(seconds) : QString());
        LapsGrid->setCells(3, row, tempo(km * 1000.0, seconds, m_cycling));
        LapsGrid->setCells(4, row, u.pulse.toInt() > 0 ? u.pulse : QString());
        LapsGrid->setCells(5, row, u.zone.trimmed());
    }
}

void TForm9::fillTotals(const QList<training::Zone>& zones, int maxPulse)
{
    const course::Totals t = course::totals(m_analysis);
    QStringList lines;
    lines << QStringLiteral("Strecke: %1 km").arg(decimal(t.distance / 1000.0, 2))
          << QStringLiteral("Dauer: %1").arg(clock(t.elapsedSeconds))
          << QStringLiteral("Zeit in Bewegung: %1").arg(clock(t.movingSeconds));
    if (m_analysis.hasAltitude)
        lines << QStringLiteral("Anstieg: %1 m, Abstieg: %2 m").arg(std::lround(t.gain)).arg(std::lround(t.loss));
    if (!m_analysis.hasHeartRate) {
        lines << QStringLiteral("Keine Herzfrequenz aufgezeichnet");
    } else if (maxPulse <= 0) {
        lines << QStringLiteral("Kein Maximalpuls eingetragen: keine Zeit in den Bereichen");
    } else {
        // Zones without pulse limits hold no heart rate and are not listed.
        QList<course::Zone> plain;
        for (const training::Zone& z : zones)
            if (z.minHF > 0 || z.maxHF > 0)
                plain.append(course::Zone{z.name, z.minHF, z.maxHF});
        const course::ZoneTimes times = course::timeInZones(m_analysis, plain, maxPulse);
        lines << QStringLiteral("Zeit in den Bereichen (max. Puls %1):").arg(maxPulse);
        for (qsizetype i = 0; i < plain.size(); ++i)
            lines << QStringLiteral("  %1: %2").arg(plain[i].name, clock(times.seconds[i]));
        if (times.outside > 0.0)
            lines << QStringLiteral("  außerhalb der Bereiche: %1").arg(clock(times.outside));
    }
    TotalsLabel->setText(lines.join(QLatin1Char('\n')));
}
