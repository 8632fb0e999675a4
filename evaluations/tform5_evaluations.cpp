// The evaluations of the statistics window: the pies of the shares and of
// the shoes, the distance and weight per day, week or month.

#include "tform5.h"

#include "chart.h"
#include "dateedit.h"
#include "diarycalc.h"
#include "session.h"
#include "textforms.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHash>
#include <QRandomGenerator>

namespace {

QRandomGenerator& colourGenerator()
{
    static QRandomGenerator generator(QRandomGenerator::global()->generate());
    return generator;
}

// Red, green and blue each from 0 to 254, such that black text reads on
// the colour and it stands apart from the one before.
QColor randomColour(const QColor& previous = QColor())
{
    return chart::readableColour(colourGenerator(), previous);
}

QString fmt(double value)
{
    return distanceText(value);
}

// The sport in a title: "Laufen " before "vom ...", nothing for all sports.
QString sportPart(const QString& sport)
{
    return sport.isEmpty() ? QString() : sport + QLatin1Char(' ');
}

void addSlice(chart::Chart& c, double value, const QString& label)
{
    c.pie.append(chart::Slice{value, label, randomColour(c.pie.isEmpty() ? QColor() : c.pie.constLast().colour)});
}

// A point line: label, second label and value part.
struct PointLine
{
    QString key() const { return first + QLatin1Char(';') + second; }
    QString first;
    QString second;
    QString value;
};

PointLine splitPointLine(const QString& line)
{
    const int a = int(line.indexOf(QLatin1Char(';')));
    const int b = int(line.indexOf(QLatin1Char(';'), a + 1));
    return PointLine{line.left(a), line.mid(a + 1, b - a - 1), line.mid(b + 1)};
}

// The kilometres of all entries, in whole metres.
double sumOf(const EntryKm& km)
{
    qint64 metres = 0;
    for (const double d : km)
        metres += distanceMetres(d);
    return double(metres) / 1000.0;
}

// What the zones or sports leave of the total, as far as it is more than
// the rounding noise of the sums.
bool leavesRest(double rest, double total)
{
    return rest > total * 1e-9;
}

} // namespace

void TForm5::seedColours(quint32 seed)
{
    colourGenerator().seed(seed);
}

void TForm5::ShowPie()
{
    m_pieMode = true;
    chart().pieMode = true;
    const QDate from = FromDate1->date();
    const QDate to = TilDate1->date();
    switch (ComboBox3->currentIndex()) {
    case 1:
        pieZones(from, to);
        break;
    case 2:
        pieSportsDistance(from, to);
        break;
    case 3:
        pieSportsTime(from, to);
        break;
    case 6:
        pieShoes();
        break;
    default:
        break;
    }
    RxSlider1Change();
}

void TForm5::pieZones(const QDate& from, const QDate& to)
{
    chart::Chart& c = chart();
    QStringList zoneLines;
    GetZoneList(m_session.ZDatabase1, zoneLines);
    const QString chosen = sport();
    QStringList entries;
    if (chosen.isEmpty())
        GetEntriesOfPeriod(m_session.ZDatabase1, entries, m_userId, from, to);
    else
        GetEntriesOfCategory(m_session.ZDatabase1, entries, m_userId, chosen, from, to);
    // Sums in full precision, each formatted once: the total and the zones'
    // kilometres agree with those of the distance chart of the same period.
    const double total = sumOf(EntryDistances(m_session.ZDatabase1, m_userId, from, to, chosen));
    if (!(total > 0))
        return;
    const QHash<QString, EntryKm> byZone = EntryDistancesByZone(m_session.ZDatabase1, m_userId, from, to, chosen);
    double assigned = 0.0;
    for (const QString& line : zoneLines) {
        const QString zone = splitZoneLine(line).value(1);
        const double km = sumOf(byZone.value(zone));
        const double share = km / total * 100.0;
        if (share > 0)
            addSlice(c, share, fmt(share) + QStringLiteral("% ") + zone + QStringLiteral(" (") + fmt(km)
                                   + QStringLiteral(" km)"));
        assigned += km;
    }
    if (assigned > 0) {
        const double rest = total - assigned;
        const double share = rest / total * 100.0;
        if (leavesRest(rest, total))
            addSlice(c, share, fmt(share) + QStringLiteral("% nicht zugeordnet (") + fmt(rest) + QStringLiteral(" km)"));
    }
    c.foot = QStringList{entryCountText(entries.size()),
                         fmt(total) + QStringLiteral(" km im gewählten Zeitraum")};
    c.title = QStringList{QStringLiteral("Prozentualer Anteil der Trainingsbereiche ")
                          + (chosen.isEmpty() ? QString() : QLatin1Char('(') + chosen + QStringLiteral(") "))
                          + QStringLiteral("vom ") + periodText(from, to)};
}

void TForm5::pieSportsDistance(const QDate& from, const QDate& to)
{
    chart::Chart& c = chart();
    QStringList categories;
    GetCategoryList(m_session.ZDatabase1, categories);
    const EntryKm km = EntryDistances(m_session.ZDatabase1, m_userId, from, to);
    const double total = sumOf(km);
    int count = 0;
    int withoutKm = 0;
    double assigned = 0.0;
    for (const QString& category : categories) {
        QStringList entries;
        GetEntriesOfCategory(m_session.ZDatabase1, entries, m_userId, category, from, to);
        count += int(entries.size());
        if (entries.isEmpty())
            continue;
        double sum = 0.0;
        for (const QString& id : entries) {
            double d = km.value(id.toLongLong(), 0.0);
            if (d == 0.0) {
                d = 0.1;
                ++withoutKm;
            }
            sum += d;
        }
        const double share = total > 0 ? sum / total * 100.0 : 0.0;
        if (share > 0)
            addSlice(c, share, fmt(share) + QStringLiteral("% ") + category + QStringLiteral(" (") + fmt(sum)
                                   + QStringLiteral(" km)"));
        assigned += sum;
    }
    if (assigned > 0 && total > 0) {
        const double rest = total - assigned;
        const double share = rest / total * 100.0;
        if (leavesRest(rest, total))
            addSlice(c, share, fmt(share) + QStringLiteral("% nicht zugeordnet (") + fmt(rest) + QStringLiteral(" km)"));
    }
    c.foot = QStringList{entryCountText(count),
                         fmt(total) + QStringLiteral(" km im gewählten Zeitraum")};
    if (withoutKm == 1) {
        c.foot << QStringLiteral("Im gewählten Zeitraum wurde 1 Trainingseinheit ohne Kilometerangaben gefunden.")
               << QStringLiteral("Diese Trainingseinheit wurde mit je 0,1 km im Diagramm berücksichtigt.");
    } else if (withoutKm > 1) {
        c.foot << QStringLiteral("Im gewählten Zeitraum wurden ") + QString::number(withoutKm)
                          + QStringLiteral(" Trainingseinheiten ohne Kilometerangaben gefunden.")
               << QStringLiteral("Diese Trainingseinheiten wurden mit je 0,1 km im Diagramm berücksichtigt.");
    }
    c.title = QStringList{QStringLiteral("Prozentualer Anteil der trainierten Sportarten am Gesamtumfang"),
                          QStringLiteral("vom ") + periodText(from, to)};
}

void TForm5::pieSportsTime(const QDate& from, const QDate& to)
{
    chart::Chart& c = chart();
    QStringList categories;
    GetCategoryList(m_session.ZDatabase1, categories);
    const int totalMinutes = GetTotalDuration(m_session.ZDatabase1, from, to, m_userId);
    // The durations of the period's entries in one read.
    const QHash<qint64, int> minutes = GetEntryMinutes(m_session.ZDatabase1, m_userId, from, to);
    int count = 0;
    for (const QString& category : categories) {
        QStringList entries;
        GetEntriesOfCategory(m_session.ZDatabase1, entries, m_userId, category, from, to);
        count += int(entries.size());
        if (entries.isEmpty())
            continue;
        int sum = 0;
        for (const QString& id : entries)
            sum += minutes.value(id.toLongLong(), 0);
        const double share = totalMinutes >= 1 ? double(sum) / totalMinutes * 100.0 : 0.0;
        if (share > 0)
            addSlice(c, share, fmt(share) + QStringLiteral("% ") + category + QStringLiteral(" (")
                                   + MinutesToDuration(sum) + QLatin1Char(')'));
    }
    c.title = QStringList{QStringLiteral("Prozentualer Anteil der trainierten Sportarten am Gesamtzeitaufwand"),
                          QStringLiteral("vom ") + periodText(from, to)};
    c.foot = QStringList{entryCountText(count),
                         QStringLiteral("Gesamtzeitaufwand: ") + MinutesToDuration(totalMinutes)};
}

void TForm5::pieShoes()
{
    chart::Chart& c = chart();
    QStringList shoes;
    GetShoeList(m_session.ZDatabase1, shoes, m_userId);
    double all = 0.0;
    for (const QString& shoe : shoes) {
        const double km = ShoeDistance(m_session.ZDatabase1, m_userId, shoe);
        all += km;
        if (km > 0)
            addSlice(c, km,
                     (shoe.isEmpty() ? QStringLiteral("ohne Zuordnung ") : shoe + QLatin1Char(' ')) + fmt(km)
                         + QStringLiteral(" km "));
    }
    c.foot = QStringList{fmt(all) + QStringLiteral(" km gesamt")};
    c.title = QStringList{QStringLiteral("Nutzung der Laufschuhe über den gesamten Trainingszeitraum")};
}

void TForm5::DataBar()
{
    m_pieMode = false;
    const QDate from = FromDate1->date();
    const QDate to = TilDate1->date();
    const bool weight = ComboBox3->currentIndex() == 5;
    const bool weekly = BitCheckBox2->checkState() == Qt::Checked;
    const bool monthly = BitCheckBox3->checkState() == Qt::Checked;

    QStringList points;
    QStringList title;
    if (weekly) {
        GetWeekList(points, from, to);
    } else if (monthly) {
        const int months = (to.year() - from.year()) * 12 + to.month() - from.month() + 1;
        int month = from.month();
        int year = from.year();
        for (int i = 0; i < months; ++i) {
            points << QString::number(month) + QLatin1Char(';') + QString::number(year) + QStringLiteral(";0");
            if (++month == 13) {
                month = 1;
                ++year;
            }
        }
    }
    // Week and month keys are each listed once. Their sums are kept in full
    // precision and formatted once at the end.
    QHash<QString, int> lineOfKey;
    for (int i = 0; i < points.size(); ++i)
        lineOfKey.insert(splitPointLine(points.at(i)).key(), i);
    QList<double> sums(points.size(), 0.0);
    QList<int> counts(points.size(), 0);

    // The kilometres by the zone filter, for all entries of the period at once.
    const int zoneIndex = ComboBox1->currentIndex();
    const QString zoneFilter = ComboBox1->currentText();
    // The weights are the person's whatever the sport; the kilometres are
    // those of the chosen sport.
    const QString chosen = weight ? QString() : sport();
    EntryKm km;
    if (zoneIndex <= 0)
        km = EntryDistances(m_session.ZDatabase1, m_userId, from, to, chosen);
    else if (zoneIndex == ComboBox1->count() - 1)
        km = EntryDistancesOfZone(m_session.ZDatabase1, m_userId, from, to, QString(), chosen);
    else
        km = EntryDistancesOfZone(m_session.ZDatabase1, m_userId, from, to, zoneFilter, chosen);

    const QList<EntryWeight> rows = GetEntryWeights(m_session.ZDatabase1, m_userId, from, to, chosen);
    const int entries = int(rows.size());
    double total = 0.0;
    for (const EntryWeight& row : rows) {
        const qint64 id = row.id;
        const double d = km.value(id, 0.0);
        total += d;
        const QDate& date = row.date;
        const int y = date.year();
        const int m = date.month();
        // The editor stores an empty weight as -1: only weights above 0
        // are weighings, for a day's point as for an average.
        const FieldValue& weightField = row.weight;
        const double kg = weightField.isNull() ? 0.0 : weightField.asFloat();
        if (weight && !weekly && !monthly) {
            if (kg > 0)
                points << dateText(date) + QLatin1Char(';') + QString::number(y) + QLatin1Char(';')
                              + weightField.asString();
            continue;
        }
        if (!weekly && !monthly) {
            points << QString::asprintf("%2.2d.%2.2d.%2.2d", date.day(), m, y >= 2000 ? y - 2000 : y - 1900)
                          + QStringLiteral(";2008;") + fmt(d);
            continue;
        }
        const QString key = weekly ? QString::number(GetWeekNumber(date)) + QLatin1Char(';')
                                         + QString::number(GetWeekYear(date))
                                   : QString::number(m) + QLatin1Char(';') + QString::number(y);
        const int index = lineOfKey.value(key, -1);
        if (index < 0)
            continue;
        if (!weight) {
            sums[index] += d;
        } else if (kg > 0) {
            sums[index] += kg;
            ++counts[index];
        }
    }

    if (weekly || monthly) {
        // Weeks and months without a weighing give no weight point; in the
        // distance they are points of 0.
        for (int i = int(points.size()) - 1; i >= 0; --i) {
            PointLine p = splitPointLine(points.at(i));
            if (weight && counts[i] == 0) {
                points.removeAt(i);
                continue;
            }
            p.value = fmt(weight ? sums[i] / counts[i] : sums[i]);
            points[i] = p.first + QLatin1Char(';') + p.second + QLatin1Char(';') + p.value;
        }
    }

    if (weight) {
        title << QStringLiteral("Gewichtsstatistik vom ") + periodText(from, to)
              << (weekly    ? QStringLiteral("wöchentliche Durchschnittswerte")
                  : monthly ? QStringLiteral("monatliche Durchschnittswerte")
                            : QStringLiteral("tägliche Auswertung"));
    } else {
        title << QStringLiteral("Trainingskilometer ") + sportPart(chosen) + QStringLiteral("vom ") + periodText(from, to)
              << zoneFilter
                     + (weekly    ? QStringLiteral(" - Wochenauswertung")
                        : monthly ? QStringLiteral(" - Monatsauswertung")
                                  : QStringLiteral(" - tägliche Auswertung"));
    }
    title << QString() << QString();
    ShowGraph(points, entries, title, total);
    RxSlider1Change();
}

void TForm5::ShowGraph(const QStringList& points, int entries, const QStringList& title, double km)
{
    chart::Chart& c = chart();
    const QColor colour = randomColour();
    const bool weight = ComboBox3->currentIndex() == 5;
    const bool weekly = BitCheckBox2->checkState() == Qt::Checked;
    const bool monthly = BitCheckBox3->checkState() == Qt::Checked;
    c.axisFormat = weight ? QStringLiteral("##0 kg") : QStringLiteral("###0 km");
    // The values carry one decimal (point lines): every mark shows it.
    c.markFormat = weight ? QStringLiteral("#00.0 kg") : QStringLiteral("###0.0 km");
    const bool bars = ComboBox2->currentIndex() == 0;
    double largest = 0.0;
    for (int i = 0; i < points.size(); ++i) {
        const PointLine p = splitPointLine(points.at(i));
        const double v = parseDecimal(p.value);
        const QString label = weekly    ? QStringLiteral("KW ") + p.first + QStringLiteral(" / ") + p.second
                              : monthly ? p.first + QStringLiteral(" / ") + p.second
                                        : p.first;
        (bars ? c.bars : c.line).append(chart::Point{double(i), v, label, colour});
        largest = i == 0 ? v : qMax(largest, v);
    }
    c.title = title;
    c.axisMaximum = largest * 1.1 == 0 ? 100.0 : largest * 1.1;
    c.axisMinimum = weight ? double(qRound(c.axisMaximum * 0.66)) : 0.0;
    c.foot = QStringList{entryCountText(entries),
                         fmt(km) + QStringLiteral(" km im gewählten Trainingsbereich und Zeitraum")};
}
