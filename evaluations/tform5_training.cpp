// The evaluations of the statistics window that follow the training over
// the calendar: training load with fitness, fatigue and form, the pace of
// a sport, and the kilometres per week or month by sport.

#include "tform5.h"

#include "chart.h"
#include "diarycalc.h"
#include "diarytraining.h"
#include "session.h"
#include "textforms.h"

#include <QComboBox>

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

QString periodLine(const QDate& from, const QDate& to)
{
    return QStringLiteral("vom ") + periodText(from, to);
}

// The axis of a calendar chart: from a little below the lowest value (0 at
// most when low is 0 or more) to a little above the highest; 0..100 for a
// chart without values.
void scaleAxis(chart::Chart& c, double low, double high)
{
    if (!(high > low)) {
        c.axisMinimum = std::min(0.0, low);
        c.axisMaximum = high > 0 ? high * 1.1 : 100.0;
        return;
    }
    c.axisMinimum = low < 0 ? low * 1.1 : 0.0;
    c.axisMaximum = high > 0 ? high * 1.1 : 0.0;
    if (!(c.axisMaximum > c.axisMinimum))
        c.axisMaximum = c.axisMinimum + 100.0;
}

// One value per slot.
chart::Series makeSeries(chart::Series::Kind kind, const QString& name, const QColor& colour)
{
    chart::Series s;
    s.kind = kind;
    s.name = name;
    s.colour = colour;
    return s;
}

const QColor kLoadColour(150, 150, 170);
const QColor kFitnessColour(20, 70, 200);
const QColor kFatigueColour(200, 30, 60);
const QColor kFormColour(0, 130, 50);
const QColor kPaceColour(200, 90, 0);
const QColor kMedianColour(20, 70, 200);

QString oneDecimal(double value)
{
    // "-0,0" reads as a sign without a value.
    return fixedText(std::abs(value) < 0.05 ? 0.0 : value, 1);
}

} // namespace

void TForm5::trainingLoad(const QDate& from, const QDate& to)
{
    chart::Chart& c = chart();
    const training::LoadSeries load = training::trainingLoad(m_session.ZDatabase1, m_userId, from, to);
    c.title = QStringList{QStringLiteral("Trainingsbelastung (Fitness, Ermüdung, Form)"), periodLine(from, to)};
    if (!load.pulsesKnown) {
        c.foot = QStringList{QStringLiteral("Für die Trainingsbelastung werden Ruhepuls und maximaler Puls der Person "
                                            "gebraucht."),
                             QStringLiteral("Tragen Sie beide in der Benutzerverwaltung ein.")};
        c.messageOnly = true;
        return;
    }
    const int days = int(load.days.size());
    chart::Series bars = makeSeries(chart::Series::Kind::Bars, QStringLiteral("Tagesbelastung"), kLoadColour);
    chart::Series fitness = makeSeries(chart::Series::Kind::Line, QStringLiteral("Fitness"), kFitnessColour);
    chart::Series fatigue = makeSeries(chart::Series::Kind::Line, QStringLiteral("Ermüdung"), kFatigueColour);
    chart::Series form = makeSeries(chart::Series::Kind::Line, QStringLiteral("Form"), kFormColour);
    double low = 0.0;
    double lines = 0.0;
    double loads = 0.0;
    for (int i = 0; i < days; ++i) {
        const training::DayLoad& d = load.days[i];
        bars.values.append(QPointF(i, d.load));
        fitness.values.append(QPointF(i, d.fitness));
        fatigue.values.append(QPointF(i, d.fatigue));
        form.values.append(QPointF(i, d.form));
        low = std::min({low, d.form, d.fitness, d.fatigue});
        lines = std::max({lines, d.fitness, d.fatigue, d.form});
        loads = std::max(loads, d.load);
    }
    // The lines take at least half the height: a day of a far higher load
    // reaches the top (its value is in the tooltip).
    const double high = lines > 0 ? std::max(lines, std::min(loads, 2 * lines)) : loads;
    c.slots = days;
    // Fitness, the measure that matters most, is drawn last, over the others.
    c.series = QList<chart::Series>{bars, fatigue, form, fitness};
    c.axisLabels = chart::dayLabels(from, days);
    c.slotNames = chart::dayNames(from, days);
    c.axisFormat = QStringLiteral("###0");
    // One decimal for every value, as in the foot.
    c.markFormat = QStringLiteral("###0.0");
    scaleAxis(c, low, high);

    const QDate today = QDate::currentDate();
    const QDate shown = today >= from && today <= to ? today : to;
    const training::DayLoad now = load.valuesOn(shown);
    c.foot = QStringList{(shown == today ? QStringLiteral("Heute (") : QStringLiteral("Am "))
                             + dateText(shown) + (shown == today ? QStringLiteral("): ") : QStringLiteral(": "))
                             + QStringLiteral("Fitness ") + oneDecimal(now.fitness) + QStringLiteral(", Ermüdung ")
                             + oneDecimal(now.fatigue) + QStringLiteral(", Form ") + oneDecimal(now.form),
                         QStringLiteral("Belastung je Tag aus Dauer und Puls (TRIMP),"),
                         QStringLiteral("Fitness über 42, Ermüdung über 7 Tage gemittelt.")};
    const int withoutIntensity = int(std::lround(load.minutesWithoutIntensity));
    if (withoutIntensity > 0)
        c.foot << QStringLiteral("Trainingszeit ohne Puls und Bereich, nicht gezählt: ") + MinutesToDuration(withoutIntensity);
}

void TForm5::paceTrend(const QDate& from, const QDate& to)
{
    chart::Chart& c = chart();
    // For all sports the sport trained most: paces of different sports
    // do not belong on one axis.
    QString chosen = sport();
    const bool commonest = chosen.isEmpty();
    // One read of the period, with the lead-in of the medians, for the
    // choice of the sport and its paces.
    const QList<training::UnitRow> rows = training::readPaceUnits(m_session.ZDatabase1, m_userId, from, to);
    if (commonest)
        chosen = training::commonestSport(rows, from);
    c.title = QStringList{QStringLiteral("Tempo-Entwicklung") + (chosen.isEmpty() ? QString() : QLatin1Char(' ') + chosen),
                          periodLine(from, to)};
    const QList<training::PacePoint> points =
        chosen.isEmpty() ? QList<training::PacePoint>() : training::paceTrend(rows, chosen, from);
    if (points.isEmpty()) {
        c.foot = QStringList{QStringLiteral("Im gewählten Zeitraum gibt es keine Trainingseinheit mit Strecke und Zeit"
                                            " in ihren Trainingsinhalten.")};
        c.messageOnly = true;
        return;
    }
    const bool speed = training::speedSport(chosen);
    const int days = int(from.daysTo(to)) + 1;
    chart::Series dots = makeSeries(chart::Series::Kind::Dots, speed ? QStringLiteral("Geschwindigkeit")
                                                                   : QStringLiteral("Tempo"),
                                   kPaceColour);
    chart::Series median = makeSeries(chart::Series::Kind::Line, QStringLiteral("Median über 28 Tage"), kMedianColour);
    double low = std::numeric_limits<double>::max();
    double high = std::numeric_limits<double>::lowest();
    for (const training::PacePoint& p : points) {
        const double x = double(from.daysTo(p.date));
        dots.values.append(QPointF(x, p.value));
        median.values.append(QPointF(x, p.median));
        low = std::min(low, p.value);
        high = std::max(high, p.value);
    }
    c.slots = days;
    c.series = QList<chart::Series>{dots, median};
    c.axisLabels = chart::dayLabels(from, days);
    c.slotNames = chart::dayNames(from, days);
    if (speed) {
        c.valueText = [](double kmh) { return fixedText(kmh, 1) + QStringLiteral(" km/h"); };
    } else {
        c.valueText = [](double minutes) {
            const qint64 seconds = std::llround(minutes * 60.0);
            return paceText(seconds / 60, int(seconds % 60));
        };
    }
    // The paces lie close together: the axis spans them with a margin.
    const double margin = std::max((high - low) * 0.1, high * 0.05);
    c.axisMinimum = std::max(0.0, std::floor(low - margin));
    c.axisMaximum = std::ceil(high + margin);
    if (!(c.axisMaximum > c.axisMinimum))
        c.axisMaximum = c.axisMinimum + 1.0;
    c.axisStep = speed ? 1.0 : 0.5;

    c.foot = QStringList{entryCountText(points.size()) + QStringLiteral(" mit Strecke und Zeit, ")
                             + (speed ? QStringLiteral("Geschwindigkeit in km/h") : QStringLiteral("Tempo in min/km")),
                         QStringLiteral("Die Linie ist der gleitende Median über 28 Tage.")};
    if (commonest)
        c.foot << QStringLiteral("Bei \"alle Sportarten\" zeigt das Diagramm die häufigste Sportart des Zeitraums.");
}

void TForm5::kmBySport(const QDate& from, const QDate& to, bool monthly)
{
    chart::Chart& c = chart();
    const QString chosen = sport();
    const training::SportKm km = training::kmBySport(m_session.ZDatabase1, m_userId, from, to,
                                                     monthly ? training::Bucket::Month : training::Bucket::Week,
                                                     chosen);
    c.title = QStringList{(monthly ? QStringLiteral("Kilometer pro Monat nach Sportart")
                                   : QStringLiteral("Kilometer pro Woche nach Sportart"))
                              + (chosen.isEmpty() ? QString() : QStringLiteral(": ") + chosen),
                          periodLine(from, to)};
    const int slots = int(km.slots.size());
    QList<chart::Series> stacks;
    QList<double> totals(km.sports.size(), 0.0);
    QList<double> stackHeights(slots, 0.0);
    for (int s = 0; s < km.sports.size(); ++s) {
        const QString& name = km.sports[s];
        chart::Series stack = makeSeries(chart::Series::Kind::Stacked,
                                        name.isEmpty() ? QStringLiteral("ohne Sportart") : name,
                                        chart::fixedColour(name));
        for (int i = 0; i < slots; ++i) {
            const double value = km.slots[i].km.value(s, 0.0);
            stack.values.append(QPointF(i, value));
            totals[s] += value;
            stackHeights[i] += value;
        }
        stacks.append(stack);
    }
    c.slots = slots;
    c.series = stacks;
    if (slots > 0) {
        const QDate first = km.slots.constFirst().first;
        c.axisLabels = monthly ? chart::monthLabels(first, slots) : chart::weekLabels(first, slots);
        c.slotNames = monthly ? chart::monthNames(first, slots) : chart::weekNames(first, slots);
    }
    c.axisFormat = QStringLiteral("###0 km");
    c.markFormat = QStringLiteral("###0.0 km");
    scaleAxis(c, 0.0, stackHeights.isEmpty() ? 0.0 : *std::max_element(stackHeights.cbegin(), stackHeights.cend()));

    double all = 0.0;
    QStringList perSport;
    for (int s = 0; s < km.sports.size(); ++s) {
        all += totals[s];
        perSport << stacks[s].name + QLatin1Char(' ') + distanceText(totals[s]) + QStringLiteral(" km");
    }
    const QString count = QString::number(slots)
                          + (monthly ? (slots == 1 ? QStringLiteral(" Monat") : QStringLiteral(" Monate"))
                                     : (slots == 1 ? QStringLiteral(" Woche") : QStringLiteral(" Wochen")));
    c.foot = QStringList{distanceText(all) + QStringLiteral(" km im gewählten Zeitraum (") + count + QLatin1Char(')')};
    // The chart breaks the line where it is wider than the chart.
    if (!perSport.isEmpty())
        c.foot << perSport.join(QStringLiteral(", "));
}
