#include "diarygenerator.h"

#include "database.h"
#include "entries.h"
#include "sqltext.h"
#include "textforms.h"
#include "zones.h"

#include <QStringList>
#include <QTime>

#include <algorithm>
#include <cmath>
#include <random>

namespace {

// Draws from one seeded engine with plain arithmetic, so the same seed
// gives the same diary with every standard library.
class Dice
{
public:
    explicit Dice(quint32 seed) : m_engine(seed) {}

    double unit() { return double(m_engine()) / 4294967296.0; } // [0, 1)
    bool chance(double p) { return unit() < p; }
    int between(int low, int high) { return low + int(unit() * (high - low + 1)); } // both included
    double range(double low, double high) { return low + unit() * (high - low); }
    template <typename T>
    const T& pick(const QList<T>& items)
    {
        return items[between(0, int(items.size()) - 1)];
    }

private:
    std::mt19937 m_engine;
};

struct Person
{
    const char* name;
    const char* firstName;
    const char* birthday;
    int sex;
    double weight;
    int restPulse;
    int maxPulse;
    double trainingChance;      // of a training on a day
    double runShare, bikeShare; // the rest is swimming
};

const Person kPersons[] = {
    {"Müller", "Jürgen", "14.03.1968", 0, 78.0, 48, 185, 0.60, 0.80, 0.15},
    {"Weiß", "Käthe", "02.11.1979", 1, 61.0, 54, 192, 0.27, 0.60, 0.15},
    {"Schäfer", "Björn", "30.07.1990", 0, 83.0, 58, 197, 0.11, 0.50, 0.50},
};

// The members of a club beyond the three: the three's ways of training
// under other names.
const char* const kFamilyNames[] = {"Becker", "Hoffmann", "Schröder", "Koch", "Bauer", "Richter", "Klein", "Wolf",
                                    "Neumann", "Schwarz", "Zimmermann", "Braun", "Krüger", "Hofmann", "Hartmann",
                                    "Lange", "Schmitt", "Werner", "Schmitz", "Krause"};
const char* const kFirstNames[] = {"Anna", "Lukas", "Jörg", "Sören", "Maria", "Hans", "Grete", "Uwe", "Lena", "Özlem"};

Person personAt(int i)
{
    Person p = kPersons[i % 3];
    if (i >= 3) {
        p.name = kFamilyNames[i % 20];
        p.firstName = kFirstNames[(i / 20) % 10];
    }
    return p;
}

const QList<QString> kShoeModels = {
    QStringLiteral("Asphaltjäger"), QStringLiteral("Trail Gämse"), QStringLiteral("Wolke Süd"),
    QStringLiteral("Tempo Flügel"), QStringLiteral("Dauerläufer Öko"),
};
const QList<QString> kWeather = {
    QStringLiteral("sonnig"), QStringLiteral("bewölkt"), QStringLiteral("Regen"), QStringLiteral("Schnee"),
    QStringLiteral("schwül"), QStringLiteral("windig, kühl"), QStringLiteral("Nieselregen"), QString(),
};
const QList<QString> kFeeling = {
    QStringLiteral("gut"), QStringLiteral("müde Beine"), QStringLiteral("locker und frisch"),
    QStringLiteral("schwer, Wadenkrämpfe"), QStringLiteral("sehr gut"), QString(),
};
const QList<QString> kNotes = {
    QStringLiteral("Runde um den See"), QStringLiteral("Intervalle auf der Bahn, 5×1000 m"),
    QStringLiteral("mit dem Lauftreff, Tempo gemäßigt"), QStringLiteral("Hügel über den Grünzug"),
    QStringLiteral("Wettkampf: Stadtlauf, Platz 12"), QString(), QString(), QString(),
};
const QList<QString> kZones = {
    QStringLiteral("Einlaufen / Auslaufen"), QStringLiteral("regenerativer DL"), QStringLiteral("extensiver DL"),
    QStringLiteral("mittelintensiver DL"), QStringLiteral("intensiver DL"), QStringLiteral("Tempodauerlauf 1"),
    QStringLiteral("Wiederholungsläufe"), QStringLiteral("Schwellenläufe"), QStringLiteral("Bergläufe"),
};

struct OwnZone
{
    const char* name;
    int minHF;
    int maxHF;
};
const OwnZone kOwnZones[] = {{"Schwellenläufe", 84, 88}, {"Bergläufe", 75, 85}, {"Koppeltraining", 0, 0}};

QString decimal(double value, int decimals)
{
    return QString::number(value, 'f', decimals);
}

// One person's running shoes: a new pair when the worn one has done its distance.
struct ShoeRack
{
    QString current;
    double worn = 0.0;
    double lifetime = 0.0;
};

class Writer
{
public:
    Writer(Database& db, const DiarySpec& spec) : m_db(db), m_spec(spec), m_dice(spec.seed) {}

    GeneratedDiary run()
    {
        Transaction transaction(m_db);
        for (const OwnZone& zone : kOwnZones) {
            Zones::insert(m_db, {QString::fromUtf8(zone.name), zone.minHF, zone.maxHF});
        }
        for (int i = 0; i < std::max(1, m_spec.persons); ++i)
            m_people << personAt(i);
        for (const Person& p : std::as_const(m_people)) {
            m_result.userIds << insertReturningId(
                QStringLiteral("INSERT INTO users (ID, Name, Vorname, GebDatum, Geschlecht, Gewicht, Ruhepuls, "
                               "Maxpuls) VALUES (gen_id(Gen_Users,1), ")
                + quoted(QString::fromUtf8(p.name)) + QLatin1Char(',') + quoted(QString::fromUtf8(p.firstName))
                + QLatin1Char(',') + quoted(QString::fromLatin1(p.birthday)) + QLatin1Char(',') + quoted(p.sex)
                + QLatin1Char(',') + quoted(decimal(p.weight, 1)) + QLatin1Char(',') + quoted(p.restPulse)
                + QLatin1Char(',') + quoted(p.maxPulse) + QStringLiteral(") RETURNING ID"));
        }
        m_racks.resize(m_result.userIds.size());
        QList<int> counts(m_result.userIds.size(), 0);

        const QDate end = m_spec.firstDay.addYears(m_spec.years);
        for (QDate day = m_spec.firstDay; day < end; day = day.addDays(1)) {
            for (int i = 0; i < m_result.userIds.size(); ++i) {
                if (!m_dice.chance(m_people[i].trainingChance))
                    continue;
                // Now and then a second training on the same day: one in
                // the morning, one in the evening.
                if (m_dice.chance(0.04)) {
                    addTraining(i, day, 6, 12);
                    addTraining(i, day, 15, 20);
                    counts[i] += 2;
                } else {
                    addTraining(i, day, 6, 20);
                    ++counts[i];
                }
            }
        }
        Entries::insertMany(m_db, m_entries);
        transaction.commit();
        const auto busiest = std::max_element(counts.cbegin(), counts.cend()) - counts.cbegin();
        m_result.busiestUser = m_result.userIds.value(int(busiest), -1);
        return m_result;
    }

private:
    int insertReturningId(const QString& sql)
    {
        const ResultSet r = m_db.select(sql);
        return int(r.rows.at(0).at(0).asInteger());
    }

    QString shoeFor(int person)
    {
        ShoeRack& rack = m_racks[person];
        if (rack.current.isEmpty() || rack.worn >= rack.lifetime) {
            rack.current = m_dice.pick(kShoeModels) + QLatin1Char(' ') + QString::number(++m_result.shoes);
            rack.worn = 0.0;
            rack.lifetime = m_dice.range(600.0, 1100.0);
            const int limit = m_dice.chance(0.8) ? 800 : 0;
            const int before = m_dice.chance(0.2) ? m_dice.between(10, 120) : 0;
            m_db.execute(QStringLiteral("INSERT INTO schuhe (ID, modell, MaxLeistung, prevLeistung, UserID) VALUES "
                                        "(gen_id(Gen_Schuhe,1), ")
                         + quoted(rack.current) + QLatin1Char(',') + quoted(limit) + QLatin1Char(',') + quoted(before)
                         + QLatin1Char(',') + quoted(m_result.userIds[person]) + QLatin1Char(')'));
        }
        return rack.current;
    }

    void addTraining(int person, const QDate& day, int firstHour, int lastHour)
    {
        const Person& p = m_people[person];
        const double sport = m_dice.unit();
        const bool run = sport < p.runShare;
        const bool bike = !run && sport < p.runShare + p.bikeShare;
        const QString category = run ? QStringLiteral("Laufen") : bike ? QStringLiteral("Radfahren")
                                                                       : QStringLiteral("Schwimmen");

        // One to five units: a single run, or warming up, the main part(s) and cooling down.
        const double u = m_dice.unit();
        const int unitCount = u < 0.25 ? 1 : u < 0.40 ? 2 : u < 0.75 ? 3 : u < 0.87 ? 4 : 5;
        struct Unit
        {
            double km;
            int seconds;
            int pulse;
            QString zone;
        };
        QList<Unit> units;
        int totalSeconds = 0;
        double totalKm = 0.0;
        for (int k = 0; k < unitCount; ++k) {
            const bool edge = unitCount >= 3 && (k == 0 || k == unitCount - 1);
            double km = run    ? (edge ? m_dice.range(1.0, 3.0) : m_dice.range(1.0, 22.0))
                        : bike ? m_dice.range(8.0, 60.0)
                               : m_dice.range(0.2, 1.5);
            // Most distances with one decimal, some measured to the metre.
            km = m_dice.chance(0.2) ? std::round(km * 100.0) / 100.0 : std::round(km * 10.0) / 10.0;
            const double pace = run ? m_dice.range(240.0, 400.0) : bike ? m_dice.range(100.0, 180.0)
                                                                        : m_dice.range(90.0, 150.0) * 10.0;
            const int seconds = int(km * pace);
            const int pulse = m_dice.chance(0.1) ? -1 : m_dice.between(110, p.maxPulse - 5);
            const QString zone = edge ? kZones.first() : m_dice.chance(0.15) ? QString() : m_dice.pick(kZones);
            units << Unit{km, seconds, pulse, zone};
            totalSeconds += seconds;
            totalKm += km;
        }

        QString shoe;
        if (run) {
            shoe = shoeFor(person);
            m_racks[person].worn += totalKm;
        }
        const int minutes = std::min(totalSeconds / 60, 9 * 60 + 59);
        const QString duration = QString::number(minutes / 60) + QLatin1Char(':')
                                 + QStringLiteral("%1").arg(minutes % 60, 2, 10, QLatin1Char('0'));
        const double years = day.daysTo(m_spec.firstDay) / -365.25;
        const double weight = p.weight + 2.5 * std::sin(years * 1.3 + person) + m_dice.range(-0.8, 0.8);
        // The values are drawn in the order in which the diaries generated
        // so far drew them, so that a seed keeps giving its diary.
        QString time;
        if (!m_dice.chance(0.03)) {
            const int minute = m_dice.between(0, 3) * 15;
            time = timeText(QTime(m_dice.between(firstHour, lastHour), minute));
        }
        Entries::Entry entry;
        entry.date = dateText(day);
        entry.time = time;
        entry.shoe = shoe;
        entry.category = category;
        entry.userId = m_result.userIds[person];
        entry.duration = duration;
        entry.weight = m_dice.chance(0.1) ? QStringLiteral("-1") : decimal(weight, 1);
        entry.feeling = m_dice.pick(kFeeling);
        entry.notes = m_dice.pick(kNotes);
        entry.restPulse = QString::number(m_dice.chance(0.15) ? -1 : p.restPulse + m_dice.between(-3, 3));
        entry.weather = m_dice.pick(kWeather);
        int sub = 0;
        for (const Unit& unit : units)
            entry.units.append({QString::number(++sub), decimal(unit.km, 2),
                                timeText(QTime(0, 0).addSecs(std::min(unit.seconds, 86399))),
                                QString::number(unit.pulse), unit.zone});
        m_result.units += int(units.size());
        ++m_result.entries;
        m_entries.append(entry);
    }

    Database& m_db;
    const DiarySpec& m_spec;
    Dice m_dice;
    GeneratedDiary m_result;
    QList<Person> m_people;
    QList<ShoeRack> m_racks;
    QList<Entries::Entry> m_entries; // written at the end, all at once
};

} // namespace

GeneratedDiary generateDiary(Database& db, const DiarySpec& spec)
{
    return Writer(db, spec).run();
}
