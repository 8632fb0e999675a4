#include "csvexport.h"
#include "datafiles.h"
#include "diarygenerator.h"
#include "session.h"
#include "sqltext.h"
#include "storageerror.h"
#include "testsupport.h"
#include "textforms.h"

#include <QDir>
#include <QTest>

#include <memory>

using exchange::CsvExport;
using exchange::exportDiary;

namespace {

// A strict reader of RFC 4180 with ";": lines end with CRLF only (inside
// quotes anything goes), a quote inside a quoted field is doubled, and a
// quote anywhere else is a fault. The byte-order mark must lead the file.
QList<QStringList> readCsv(const QString& path, QString* fault)
{
    const QByteArray bytes = readBytes(path);
    if (!bytes.startsWith("\xEF\xBB\xBF")) {
        *fault = QStringLiteral("no byte-order mark");
        return {};
    }
    const QString text = QString::fromUtf8(bytes.mid(3));
    QList<QStringList> rows;
    QStringList row;
    QString field;
    bool quoted = false;
    bool wasQuoted = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (quoted) {
            if (c != QLatin1Char('"'))
                field += c;
            else if (i + 1 < text.size() && text[i + 1] == QLatin1Char('"'))
                field += text[++i];
            else
                quoted = false;
        } else if (c == QLatin1Char('"')) {
            if (!field.isEmpty() || wasQuoted) {
                *fault = QStringLiteral("stray quote at %1").arg(i);
                return {};
            }
            quoted = wasQuoted = true;
        } else if (c == QLatin1Char(';') || c == QLatin1Char('\r')) {
            if (c == QLatin1Char('\r') && (i + 1 >= text.size() || text[i + 1] != QLatin1Char('\n'))) {
                *fault = QStringLiteral("lone CR at %1").arg(i);
                return {};
            }
            row << field;
            field.clear();
            wasQuoted = false;
            if (c == QLatin1Char('\r')) {
                rows << row;
                row.clear();
                ++i;
            }
        } else if (c == QLatin1Char('\n')) {
            *fault = QStringLiteral("line end without CR at %1").arg(i);
            return {};
        } else {
            if (wasQuoted) {
                *fault = QStringLiteral("text after a closing quote at %1").arg(i);
                return {};
            }
            field += c;
        }
    }
    if (quoted || !field.isEmpty() || !row.isEmpty())
        *fault = QStringLiteral("the last line has no CRLF");
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

private:
    Database& db() { return m_session->ZDatabase1; }
    QString value(const QString& sql) { return scalar(*m_session, sql); }
    int addUser(const QString& name);
    QString addEntry(int user, const QStringList& fields);
    void addUnit(const QString& entryId, const QStringList& fields);
    QList<QStringList> read(const QString& path)
    {
        QString fault;
        const QList<QStringList> rows = readCsv(path, &fault);
        if (!fault.isEmpty())
            qWarning("%s: %s", qPrintable(path), qPrintable(fault));
        return fault.isEmpty() ? rows : QList<QStringList>();
    }

    std::unique_ptr<TestFolder> m_dir;
    std::unique_ptr<Session> m_session;
};

void TestCsvExport::init()
{
    m_dir = std::make_unique<TestFolder>();
    m_session = std::make_unique<Session>();
    datafiles::openStorage(*m_session, m_dir->path());
}

void TestCsvExport::cleanup()
{
    m_session.reset();
    m_dir.reset();
}

int TestCsvExport::addUser(const QString& name)
{
    db().execute(QStringLiteral("INSERT INTO users (ID, Name, Vorname, GebDatum, Geschlecht, Gewicht, Ruhepuls, "
                                "Maxpuls) VALUES (gen_id(Gen_Users,1), ")
                 + quoted(name) + QStringLiteral(", 'Max', '01.01.1980', '0', '72.5', 48, 190)"));
    return value(QStringLiteral("SELECT MAX(ID) FROM users")).toInt();
}

// fields: Datum, Uhrzeit, Kategorie, Dauer, Wetter, Schuhe, Ruhepuls, Gewicht, Befinden, Notizen
QString TestCsvExport::addEntry(int user, const QStringList& fields)
{
    QStringList values;
    for (const QString& f : fields)
        values << quoted(f);
    return db()
        .select(QStringLiteral("INSERT INTO main (ID, Datum, Uhrzeit, Kategorie, Dauer, Wetter, Schuhe, Ruhepuls, "
                               "Gewicht, Befinden, Notizen, UserID) VALUES (gen_id(Gen_Main,1), ")
                + values.join(QLatin1Char(',')) + QLatin1Char(',') + quoted(user) + QStringLiteral(") RETURNING ID"))
        .rows[0][0]
        .asString();
}

// fields: SubID, strecke, Zeit, Puls, Bereich
void TestCsvExport::addUnit(const QString& entryId, const QStringList& fields)
{
    QStringList values;
    for (const QString& f : fields)
        values << quoted(f);
    db().execute(QStringLiteral("INSERT INTO units (ID, MainID, SubID, strecke, Zeit, Puls, Bereich) VALUES "
                                "(gen_id(Gen_Units,1), ")
                 + quoted(entryId) + QLatin1Char(',') + values.join(QLatin1Char(',')) + QLatin1Char(')'));
}

// Hostile texts come back field for field; the period takes its first and
// last day and nothing outside it, nor another person's entries.
void TestCsvExport::everyFieldComesBackAsStored()
{
    const int user = addUser(QStringLiteral("Muster"));
    const int other = addUser(QStringLiteral("Andere"));
    const QString hostile = QStringLiteral("Lauf; \"schnell\"\r\nzweite Zeile\nÄÖÜß 5 €");
    const QString first = addEntry(user, {"01.03.2024", "07:05:00", "=1+2", "1:30", "  führend", "Schuh \"X\";2",
                                          "48", "72.25", hostile, "\"Zitat\""});
    const QString last = addEntry(user, {"31.03.2024", "18:00:00", "Radfahren", "0:45", "", "", "-1", "-1",
                                         "", "eins\ndrei"});
    const QString none = addEntry(user, {"15.03.2024", "12:00:00", "Schwimmen", "0:30", "", "", "0", "-1", "", ""});
    addUnit(first, {"1", "5", "00:25:30", "150", "extensiver DL"});
    addUnit(first, {"2", "1.23456", "00:06:00", "-1", "Tempo; \"hart\""});
    addUnit(last, {"1", "10.1", "00:45:00", "130", ""});
    addUnit(last, {"2", "0.2", "00:00:00", "-1", " Auslaufen"});
    const QString before = addEntry(user, {"29.02.2024", "23:59:00", "Laufen", "1:00", "", "", "50", "70", "", ""});
    const QString after = addEntry(user, {"01.04.2024", "00:00:00", "Laufen", "1:00", "", "", "50", "70", "", ""});
    addUnit(before, {"1", "10", "01:00:00", "140", ""});
    addUnit(after, {"1", "10", "01:00:00", "140", ""});
    addEntry(other, {"10.03.2024", "10:00:00", "Laufen", "1:00", "", "", "50", "70", "", ""});

    const QString entriesPath = m_dir->file(QStringLiteral("Einträge.csv"));
    const QString unitsPath = m_dir->file(QStringLiteral("Einheiten.csv"));
    const CsvExport done = exportDiary(db(), user, QDate(2024, 3, 1), QDate(2024, 3, 31), entriesPath, unitsPath);
    QCOMPARE(done.entries, 3);
    QCOMPARE(done.units, 4);
    QCOMPARE(done.entriesFile, entriesPath);
    QCOMPARE(done.unitsFile, unitsPath);

    const QList<QStringList> entries = read(entriesPath);
    QCOMPARE(entries.size(), 4);
    QCOMPARE(entries[0], kEntryHeader);
    QCOMPARE(entries[1], QStringList({"01.03.2024", "07:05:00", "=1+2", "1:30", "6,23456", "  führend",
                                      "Schuh \"X\";2", "48", "72,25", hostile, "\"Zitat\""}));
    QCOMPARE(entries[2], QStringList({"15.03.2024", "12:00:00", "Schwimmen", "0:30", "0", "", "", "", "", "", ""}));
    QCOMPARE(entries[3], QStringList({"31.03.2024", "18:00:00", "Radfahren", "0:45", "10,3", "", "", "", "", "",
                                      "eins\ndrei"}));

    const QList<QStringList> units = read(unitsPath);
    QCOMPARE(units.size(), 5);
    QCOMPARE(units[0], kUnitHeader);
    QCOMPARE(units[1],
             QStringList({"01.03.2024", "07:05:00", "1", "5", "00:25:30", "5:06 min/km", "150", "extensiver DL"}));
    QCOMPARE(units[2], QStringList({"01.03.2024", "07:05:00", "2", "1,23456", "00:06:00", "4:52 min/km", "",
                                    "Tempo; \"hart\""}));
    QCOMPARE(units[3], QStringList({"31.03.2024", "18:00:00", "1", "10,1", "00:45:00", "4:27 min/km", "130", ""}));
    QCOMPARE(units[4], QStringList({"31.03.2024", "18:00:00", "2", "0,2", "00:00:00", "", "", " Auslaufen"}));

    // A spreadsheet reads "=1+2" as the user typed it only when nothing
    // was put in front of it; the raw bytes show how each field went out.
    const QByteArray raw = readBytes(entriesPath);
    QVERIFY(raw.contains("\r\n01.03.2024;07:05:00;=1+2;1:30;6,23456;\"  führend\";\"Schuh \"\"X\"\";2\";"));
}

// Header lines only for an empty period; a failed export puts nothing in
// place and leaves a file that was there as it was.
void TestCsvExport::emptyPeriodAndFailuresLeaveNoHalfFile()
{
    const int user = addUser(QStringLiteral("Muster"));
    const QString id = addEntry(user, {"01.03.2024", "07:05:00", "Laufen", "1:30", "", "", "48", "72", "", ""});
    addUnit(id, {"1", "5", "00:25:30", "150", ""});
    const QString entriesPath = m_dir->file(QStringLiteral("e.csv"));
    const QString unitsPath = m_dir->file(QStringLiteral("u.csv"));

    const CsvExport empty = exportDiary(db(), user, QDate(2024, 3, 2), QDate(2024, 12, 31), entriesPath, unitsPath);
    QCOMPARE(empty.entries, 0);
    QCOMPARE(empty.units, 0);
    QCOMPARE(read(entriesPath), QList<QStringList>{kEntryHeader});
    QCOMPARE(read(unitsPath), QList<QStringList>{kUnitHeader});
    // Open ends: the whole diary.
    QCOMPARE(exportDiary(db(), user, QDate(), QDate(), entriesPath, unitsPath).entries, 1);

    const QByteArray before = readBytes(entriesPath);
    const QString missingFolder = m_dir->file(QStringLiteral("fehlt/u.csv"));
    for (const QString& units : {missingFolder, entriesPath}) {
        try {
            exportDiary(db(), user, QDate(), QDate(), entriesPath, units);
            QFAIL("the export did not fail");
        } catch (const StorageError& e) {
            QVERIFY2(e.message().startsWith(QStringLiteral("Die")), qPrintable(e.message()));
        }
        QCOMPARE(readBytes(entriesPath), before);
    }
    QVERIFY(!QFile::exists(missingFolder));
    QCOMPARE(QDir(m_dir->path()).entryList({QStringLiteral("*.csv*")}, QDir::Files),
             QStringList({QStringLiteral("e.csv"), QStringLiteral("u.csv")}));
}

// A generated diary of a few years: every entry and unit of its busiest
// person, and the kilometres of both files agree with the database's.
void TestCsvExport::generatedDiaryExportedWhole()
{
    DiarySpec spec;
    spec.years = 3;
    const GeneratedDiary diary = generateDiary(db(), spec);
    const int user = diary.busiestUser;
    const QString entriesPath = m_dir->file(QStringLiteral("e.csv"));
    const QString unitsPath = m_dir->file(QStringLiteral("u.csv"));
    const CsvExport done = exportDiary(db(), user, QDate(), QDate(), entriesPath, unitsPath);

    const QString ofUser = QStringLiteral(" WHERE m.UserID = ") + quoted(user);
    QCOMPARE(QString::number(done.entries), value(QStringLiteral("SELECT COUNT(*) FROM main m") + ofUser));
    QCOMPARE(QString::number(done.units),
             value(QStringLiteral("SELECT COUNT(*) FROM units u JOIN main m ON m.ID = u.MainID") + ofUser));
    const QList<QStringList> entries = read(entriesPath);
    const QList<QStringList> units = read(unitsPath);
    QCOMPARE(entries.size(), done.entries + 1);
    QCOMPARE(units.size(), done.units + 1);
    QVERIFY(done.units > done.entries);

    double entryKm = 0.0;
    for (qsizetype i = 1; i < entries.size(); ++i) {
        QCOMPARE(entries[i].size(), kEntryHeader.size());
        entryKm += parseDecimal(entries[i][4]);
    }
    double unitKm = 0.0;
    for (qsizetype i = 1; i < units.size(); ++i) {
        QCOMPARE(units[i].size(), kUnitHeader.size());
        unitKm += parseDecimal(units[i][3]);
    }
    const double stored =
        parseDecimal(value(QStringLiteral("SELECT SUM(u.strecke) FROM units u JOIN main m ON m.ID = u.MainID") + ofUser));
    QVERIFY2(qAbs(entryKm - stored) < 0.01 && qAbs(unitKm - stored) < 0.01,
             qPrintable(QStringLiteral("%1 %2 %3").arg(entryKm).arg(unitKm).arg(stored)));
}

QTEST_GUILESS_MAIN(TestCsvExport)
#include "tst_csvexport.moc"
