#include "diarygenerator.h"

#include "database.h"
#include "sqltext.h"
#include "textforms.h"

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
            m_db.execute(QStringLiteral("INSERT INTO bereiche (ID, TrBereich, minHF, maxHF) VALUES "
                                        "(gen_id(Gen_Bereich,1), ")
                         + quoted(QString::fromUtf8(zone.name)) + QLatin1Char(',') + quoted(zone.minHF)
                         + QLatin1Char(',') + quoted(zone.maxHF) + QLatin1Char(')'));
        }
        for (const Person& p : kPersons) {
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
                if (!m_dice.chance(kPersons[i].trainingChance))
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
        const Person& p = kPersons[person];
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
        const QString time = m_dice.chance(0.03)
                                 ? QStringLiteral("NULL")
                                 : quoted(timeText(QTime(m_dice.between(firstHour, lastHour), m_dice.between(0, 3) * 15)));

        const int entryId = insertReturningId(
            QStringLiteral("INSERT INTO main (ID, Datum, Uhrzeit, Wetter, Schuhe, Ruhepuls, Kategorie, Notizen, "
                           "Befinden, UserID, Gewicht, Dauer) VALUES (gen_id(Gen_Main,1), ")
            + quoted(dateText(day)) + QLatin1Char(',') + time + QLatin1Char(',') + quoted(m_dice.pick(kWeather))
            + QLatin1Char(',') + quoted(shoe) + QLatin1Char(',')
            + quoted(m_dice.chance(0.15) ? -1 : p.restPulse + m_dice.between(-3, 3)) + QLatin1Char(',')
            + quoted(category) + QLatin1Char(',') + quoted(m_dice.pick(kNotes)) + QLatin1Char(',')
            + quoted(m_dice.pick(kFeeling)) + QLatin1Char(',') + quoted(m_result.userIds[person]) + QLatin1Char(',')
            + quoted(m_dice.chance(0.1) ? QStringLiteral("-1") : decimal(weight, 1)) + QLatin1Char(',')
            + quoted(duration) + QStringLiteral(") RETURNING ID"));
        ++m_result.entries;

        int sub = 0;
        for (const Unit& unit : units) {
            m_db.execute(QStringLiteral("INSERT INTO units (ID, MainID, SubID, strecke, Zeit, Puls, Bereich) VALUES "
                                        "(gen_id(Gen_Units,1), ")
                         + quoted(entryId) + QLatin1Char(',') + quoted(++sub) + QLatin1Char(',')
                         + quoted(decimal(unit.km, 2)) + QLatin1Char(',')
                         + quoted(timeText(QTime(0, 0).addSecs(std::min(unit.seconds, 86399)))) + QLatin1Char(',')
                         + quoted(unit.pulse) + QLatin1Char(',') + quoted(unit.zone) + QLatin1Char(')'));
            ++m_result.units;
        }
    }

    Database& m_db;
    const DiarySpec& m_spec;
    Dice m_dice;
    GeneratedDiary m_result;
    QList<ShoeRack> m_racks;
};

} // namespace

GeneratedDiary generateDiary(Database& db, const DiarySpec& spec)
{
    return Writer(db, spec).run();
}
