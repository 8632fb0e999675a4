#include "csvexport.h"
#include "goals.h"
#include "races.h"
#include "datafiles.h"
#include "diarygenerator.h"
#include "session.h"
#include "sqltext.h"
#include "storageerror.h"
#include "testsupport.h"
#include "textforms.h"

#include <QDir>
#include <QTest>

#include <sys/stat.h>

#include <memory>

using exchange::CsvExport;
using exchange::exportDiary;
using exchange::exportPlans;
using exchange::PlansExport;

namespace {

// A strict reader of RFC 4180 with ";": the byte-order mark leads, lines
// end with CRLF (inside quotes anything goes), quotes inside a quoted field
// are doubled. Empty with a warning when the file breaks a rule.
QList<QStringList> readCsv(const QString& path)
{
    const QByteArray bytes = readBytes(path);
    const QString text = QString::fromUtf8(bytes.mid(3));
    const auto fault = [&](const char* what, qsizetype at) {
        qWarning("%s: %s at %lld", qPrintable(path), what, static_cast<long long>(at));
        return QList<QStringList>();
    };
    if (!bytes.startsWith("\xEF\xBB\xBF"))
        return fault("no byte-order mark", 0);
    QList<QStringList> rows;
    QStringList row;
    QString field;
    bool inQuotes = false;
    bool wasQuoted = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        const QChar next = i + 1 < text.size() ? text[i + 1] : QChar();
        if (inQuotes) {
            if (c != u'"')
                field += c;
            else if (next == u'"')
                field += text[++i];
            else
                inQuotes = false;
        } else if (c == u'"') {
            if (!field.isEmpty() || wasQuoted)
                return fault("stray quote", i);
            inQuotes = wasQuoted = true;
        } else if (c == u';' || (c == u'\r' && next == u'\n')) {
            row << field;
            field.clear();
            wasQuoted = false;
            if (c == u'\r') {
                rows << row;
                row.clear();
                ++i;
            }
        } else if (c == u'\r' || c == u'\n' || wasQuoted) {
            return fault("line end without CRLF or text after a closing quote", i);
        } else {
            field += c;
        }
    }
    if (inQuotes || !field.isEmpty() || !row.isEmpty())
        return fault("last line without CRLF", text.size());
    return rows;
}

const QStringList kEntryHeader{"Datum", "Uhrzeit", "Sportart", "Dauer", "Strecke (km)", "Wetter",
                               "Schuhe", "Ruhepuls", "Gewicht (kg)", "Befinden", "Notizen"};
const QStringList kUnitHeader{"Datum", "Uhrzeit", "Nr.", "Strecke (km)", "Zeit", "Tempo", "Puls", "Trainingsart"};

} // namespace

class TestCsvExport : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void everyFieldComesBackAsStored();
    void emptyPeriodAndFailuresLeaveNoHalfFile();
    void generatedDiaryExportedWhole();
    void racesAndGoalsInFilesOfTheirOwn();

private:
    Database& db() { return m_session->ZDatabase1; }
    QString value(const QString& sql) { return scalar(*m_session, sql); }
    // A row with a new ID from the table's generator; returns the ID.
    QString add(const QString& table, const QString& columns, const QStringList& values)
    {
        QStringList quotedValues;
        for (const QString& v : values)
            quotedValues << quoted(v);
        return db()
            .select(QStringLiteral("INSERT INTO %1 (ID, %2) VALUES (gen_id(Gen_%1,1), %3) RETURNING ID")
                        .arg(table, columns, quotedValues.join(QLatin1Char(','))))
            .rows[0][0]
            .asString();
    }
    QString addEntry(int user, const QStringList& fields)
    {
        return add(QStringLiteral("Main"),
                   QStringLiteral("UserID, Datum, Uhrzeit, Kategorie, Dauer, Wetter, Schuhe, Ruhepuls, Gewicht, "
                                  "Befinden, Notizen"),
                   QStringList{QString::number(user)} + fields);
    }
    void addUnit(const QString& entryId, const QStringList& fields)
    {
        add(QStringLiteral("Units"), QStringLiteral("MainID, SubID, strecke, Zeit, Puls, Bereich"),
            QStringList{entryId} + fields);
    }

    std::unique_ptr<TestFolder> m_dir;
    std::unique_ptr<Session> m_session;
    int m_user = -1;
    QString m_entriesPath;
    QString m_unitsPath;
};

void TestCsvExport::init()
{
    m_dir = std::make_unique<TestFolder>();
    m_session = std::make_unique<Session>();
    datafiles::openStorage(*m_session, m_dir->path());
    m_user = add(QStringLiteral("Users"), QStringLiteral("Name, Vorname, GebDatum, Geschlecht"),
                 {"Muster", "Max", "01.01.1980", "0"})
                 .toInt();
    m_entriesPath = m_dir->file(QStringLiteral("Einträge.csv"));
    m_unitsPath = m_dir->file(QStringLiteral("Einheiten.csv"));
}

void TestCsvExport::cleanup()
{
    m_session.reset();
    m_dir.reset();
}

// Hostile texts come back field for field; the period takes its first and
// last day and nothing outside it, nor another person's entries.
void TestCsvExport::everyFieldComesBackAsStored()
{
    const QString hostile = QStringLiteral("Lauf; \"schnell\"\r\nzweite Zeile\nÄÖÜß 5 €");
    const QString first = addEntry(m_user, {"01.03.2024", "07:05:00", "=1+2", "1:30", "  führend", "Schuh \"X\";2",
                                            "48", "72.25", hostile, "\"Zitat\""});
    const QString last = addEntry(m_user, {"31.03.2024", "18:00:00", "Radfahren", "0:45", "", "", "-1", "-1", "",
                                           "eins\ndrei"});
    addEntry(m_user, {"15.03.2024", "12:00:00", "Schwimmen", "0:30", "", "", "0", "-1", "", ""});
    addUnit(first, {"1", "5", "00:25:30", "150", "extensiver DL"});
    addUnit(first, {"2", "1.23456", "00:06:00", "-1", "Tempo; \"hart\""});
    addUnit(last, {"1", "10.1", "00:45:00", "130", ""});
    addUnit(last, {"2", "0.2", "00:00:00", "-1", " Auslaufen"}); // 10.1 + 0.2 is 10.2999...
    const QStringList outside{"Laufen", "1:00", "", "", "50", "70", "", ""};
    addUnit(addEntry(m_user, QStringList{"29.02.2024", "23:59:00"} + outside), {"1", "10", "01:00:00", "140", ""});
    addUnit(addEntry(m_user, QStringList{"01.04.2024", "00:00:00"} + outside), {"1", "10", "01:00:00", "140", ""});
    const int other = add(QStringLiteral("Users"), QStringLiteral("Name, Vorname, GebDatum, Geschlecht"),
                          {"Andere", "Anna", "01.01.1990", "1"})
                          .toInt();
    addEntry(other, QStringList{"10.03.2024", "10:00:00"} + outside);

    const CsvExport done =
        exportDiary(db(), m_user, QDate(2024, 3, 1), QDate(2024, 3, 31), m_entriesPath, m_unitsPath);
    QCOMPARE(done.entries, 3);
    QCOMPARE(done.units, 4);
    QCOMPARE(done.entriesFile, m_entriesPath);
    QCOMPARE(done.unitsFile, m_unitsPath);
    QCOMPARE(readCsv(m_entriesPath),
             QList<QStringList>({kEntryHeader,
                                 {"01.03.2024", "07:05:00", "=1+2", "1:30", "6,23456", "  führend", "Schuh \"X\";2",
                                  "48", "72,25", hostile, "\"Zitat\""},
                                 {"15.03.2024", "12:00:00", "Schwimmen", "0:30", "0", "", "", "", "", "", ""},
                                 {"31.03.2024", "18:00:00", "Radfahren", "0:45", "10,3", "", "", "", "", "",
                                  "eins\ndrei"}}));
    QCOMPARE(readCsv(m_unitsPath),
             QList<QStringList>(
                 {kUnitHeader,
                  {"01.03.2024", "07:05:00", "1", "5", "00:25:30", "5:06 min/km", "150", "extensiver DL"},
                  {"01.03.2024", "07:05:00", "2", "1,23456", "00:06:00", "4:52 min/km", "", "Tempo; \"hart\""},
                  {"31.03.2024", "18:00:00", "1", "10,1", "00:45:00", "13,5 km/h", "130", ""},
                  {"31.03.2024", "18:00:00", "2", "0,2", "00:00:00", "", "", " Auslaufen"}}));
    // Blanks at the ends are quoted, so that no reader trims them; nothing
    // is put in front of "=1+2".
    QVERIFY(readBytes(m_entriesPath)
                .contains("\r\n01.03.2024;07:05:00;=1+2;1:30;6,23456;\"  führend\";\"Schuh \"\"X\"\";2\";"));
}

// Header lines only for an empty period; a failed export puts nothing in
// place and leaves a file that was there as it was.
void TestCsvExport::emptyPeriodAndFailuresLeaveNoHalfFile()
{
    addUnit(addEntry(m_user, {"01.03.2024", "07:05:00", "Laufen", "1:30", "", "", "48", "72", "", ""}),
            {"1", "5", "00:25:30", "150", ""});
    const CsvExport empty =
        exportDiary(db(), m_user, QDate(2024, 3, 2), QDate(2024, 12, 31), m_entriesPath, m_unitsPath);
    QCOMPARE(empty.entries + empty.units, 0);
    QCOMPARE(readCsv(m_entriesPath), QList<QStringList>{kEntryHeader});
    QCOMPARE(readCsv(m_unitsPath), QList<QStringList>{kUnitHeader});
    QCOMPARE(exportDiary(db(), m_user, QDate(), QDate(), m_entriesPath, m_unitsPath).entries, 1); // open ends

    const QByteArray before = readBytes(m_entriesPath);
    addEntry(m_user, {"02.03.2024", "07:05:00", "Laufen", "1:30", "", "", "48", "72", "", ""});
    const QString missingFolder = m_dir->file(QStringLiteral("fehlt/Einheiten.csv"));
    for (const QString& units : {missingFolder, m_entriesPath}) {
        QVERIFY_THROWS_EXCEPTION(StorageError, exportDiary(db(), m_user, QDate(), QDate(), m_entriesPath, units));
        QCOMPARE(readBytes(m_entriesPath), before);
    }
    QVERIFY(!QFile::exists(missingFolder));
    QCOMPARE(QDir(m_dir->path()).entryList({QStringLiteral("*.csv*")}, QDir::Files),
             QStringList({QStringLiteral("Einheiten.csv"), QStringLiteral("Einträge.csv")}));
}

// A generated diary of a few years: every entry and unit of its busiest
// person, and the kilometres of both files agree with the database's.
void TestCsvExport::generatedDiaryExportedWhole()
{
    DiarySpec spec;
    spec.years = 3;
    const int user = generateDiary(db(), spec).busiestUser;
    ::umask(022);
    const CsvExport done = exportDiary(db(), user, QDate(), QDate(), m_entriesPath, m_unitsPath);
    // Only its owner may read the export, unless it goes into a folder
    // others may write into.
    QCOMPARE(fileMode(m_entriesPath), 0600);
    QCOMPARE(fileMode(m_unitsPath), 0600);
    const QString shared = m_dir->file(QStringLiteral("gemeinsam"));
    QVERIFY(QDir().mkdir(shared) && QFile::setPermissions(shared, QFile::permissions(shared) | QFile::WriteGroup));
    exportDiary(db(), user, QDate(), QDate(), shared + "/e.csv", shared + "/u.csv");
    QCOMPARE(fileMode(shared + "/e.csv"), 0644);

    const QString units = QStringLiteral(" FROM units u JOIN main m ON m.ID = u.MainID WHERE m.UserID = ")
                          + quoted(user);
    QCOMPARE(QString::number(done.entries),
             value(QStringLiteral("SELECT COUNT(*) FROM main m WHERE m.UserID = ") + quoted(user)));
    QCOMPARE(QString::number(done.units), value(QStringLiteral("SELECT COUNT(*)") + units));
    QVERIFY(done.units > done.entries);
    const double stored = parseDecimal(value(QStringLiteral("SELECT SUM(u.strecke)") + units));
    for (const auto& [path, fields, kmField] : {std::tuple{m_entriesPath, kEntryHeader.size(), 4},
                                                std::tuple{m_unitsPath, kUnitHeader.size(), 3}}) {
        const QList<QStringList> rows = readCsv(path);
        QCOMPARE(rows.size(), 1 + (path == m_entriesPath ? done.entries : done.units));
        double km = 0.0;
        for (const QStringList& row : rows.mid(1)) {
            QCOMPARE(row.size(), fields);
            km += parseDecimal(row[kmField]);
        }
        QVERIFY2(qAbs(km - stored) < 0.01, qPrintable(QStringLiteral("%1 km, stored %2").arg(km).arg(stored)));
    }
}

QTEST_GUILESS_MAIN(TestCsvExport)

// The person's races, planned ones too, and goals, each in a file of its
// own; another person's stay out.
void TestCsvExport::racesAndGoalsInFilesOfTheirOwn()
{
    Races::insert(db(), {QString(), m_user, QDate(2027, 4, 11), QStringLiteral("Lauf; \"am See\""), 21.1, 5400,
                         QStringLiteral("Ziel: unter 1:30")});
    Races::insert(db(), {QString(), m_user, QDate(2025, 9, 7), QStringLiteral("Stadtlauf"), 10, 0, {}});
    Races::insert(db(), {QString(), m_user + 1, QDate(2025, 9, 7), QStringLiteral("fremd"), 5, 0, {}});
    Goals::set(db(), m_user, {2026, QString(), 2000});
    Goals::set(db(), m_user, {2026, QStringLiteral("Laufen"), 1500.5});
    const QString races = m_dir->file(QStringLiteral("Wettkämpfe.csv"));
    const QString goals = m_dir->file(QStringLiteral("Ziele.csv"));
    const PlansExport done = exportPlans(db(), m_user, races, goals);
    QCOMPARE(done.races, 2);
    QCOMPARE(done.goals, 2);
    QCOMPARE(readCsv(races),
             (QList<QStringList>{{"Datum", "Wettkampf", "Strecke (km)", "Zielzeit", "Notizen"},
                                 {"07.09.2025", "Stadtlauf", "10", "", ""},
                                 {"11.04.2027", "Lauf; \"am See\"", "21,1", "1:30:00", "Ziel: unter 1:30"}}));
    QCOMPARE(readCsv(goals), (QList<QStringList>{{"Jahr", "Sportart", "Strecke (km)"},
                                                 {"2026", "alle Sportarten", "2000"},
                                                 {"2026", "Laufen", "1500,5"}}));
    QVERIFY_THROWS_EXCEPTION(StorageError, exportPlans(db(), m_user, races, races));
}

#include "tst_csvexport.moc"
