#include "backup.h"
#include "datafiles.h"
#include "diarygenerator.h"
#include "session.h"
#include "storageerror.h"
#include "testsupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QScopeGuard>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <cstdio>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

const QStringList kTables = {"users", "main", "units", "schuhe", "bereiche", "strecken"};

// Every row of every table, and each generator's value, as text.
QStringList contents(Database& db)
{
    QStringList out;
    for (const QString& table : kTables) {
        const ResultSet rows = db.select("SELECT * FROM " + table + " ORDER BY ID");
        for (const ResultRow& row : rows.rows) {
            QStringList fields;
            for (const FieldValue& field : row)
                fields << (field.isNull() ? QStringLiteral("<null>") : field.asString());
            out << table + ": " + fields.join('|');
        }
    }
    const ResultSet gens = db.select("SELECT TRIM(RDB$GENERATOR_NAME) FROM RDB$GENERATORS WHERE RDB$SYSTEM_FLAG = 0");
    for (const ResultRow& row : gens.rows)
        out << row[0].asString() + " = "
                   + db.select("SELECT gen_id(" + row[0].asString() + ", 0) FROM RDB$DATABASE").rows[0][0].asString();
    return out;
}

QStringList entriesOf(const QString& folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::NoDotAndDotDot, QDir::Name);
}

QString errorOf(const std::function<void()>& work)
{
    try {
        work();
    } catch (const StorageError& e) {
        return e.message();
    }
    return {};
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
}

} // namespace

class TestBackup : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString m_folder; // the program folder of the diary
    QString m_diary;
    GeneratedDiary m_generated;
    QStringList m_rows;

    // A diary of a few years, made once and shared by the tests after the first.
    void makeDiary()
    {
        if (!m_diary.isEmpty())
            return;
        m_folder = m_dir.filePath("programm/");
        QDir().mkpath(m_folder);
        Session s;
        datafiles::openStorage(s, m_folder);
        m_generated = generateDiary(s.ZDatabase1, DiarySpec{3, 5, QDate(2022, 1, 1)});
        m_rows = contents(s.ZDatabase1);
        m_diary = datafiles::databasePath(m_folder);
    }

private Q_SLOTS:
    void initTestCase()
    {
        initTestEnvironment();
        ::umask(022); // as most desktops have it
    }

    // First, while this process has not used the engine yet: the engine is
    // used in a child of it, as a full disk refuses the backup's writes. It
    // says so, names the folder and leaves no file.
    void fullDiskLeavesNoBackup()
    {
        const QString folder = m_dir.filePath("voll/");
        const QString target = m_dir.filePath("voll.fbk");
        const pid_t child = ::fork();
        QVERIFY(child >= 0);
        if (child == 0) {
            int code = 3;
            try {
                // The diary stays open, as in the program: the engine then
                // maps its lock file before the disk is full (it would not
                // notice that the file cannot grow).
                Session s;
                QDir().mkpath(folder);
                datafiles::openStorage(s, folder);
                generateDiary(s.ZDatabase1, DiarySpec{2, 3, QDate(2020, 1, 1)});
                std::signal(SIGXFSZ, SIG_IGN);
                const rlimit limit{64 * 1024, 64 * 1024};
                ::setrlimit(RLIMIT_FSIZE, &limit);
                backupDiary(datafiles::databasePath(folder), target);
                code = 1;
            } catch (const StorageError& e) {
                const QString expected = "Die Datensicherung konnte nicht erstellt werden: Auf dem Datenträger des "
                                         "Ordners " + QDir::toNativeSeparators(m_dir.path()) + " ist kein Platz mehr frei.";
                code = e.message() == expected ? 0 : 2;
                if (code)
                    std::fprintf(stderr, "%s\n", qPrintable(e.message()));
            }
            ::_exit(code);
        }
        int status = 0;
        QCOMPARE(::waitpid(child, &status, 0), child);
        QVERIFY2(WIFEXITED(status), qPrintable(QString::number(WTERMSIG(status))));
        QCOMPARE(WEXITSTATUS(status), 0);
        QVERIFY(!QFileInfo::exists(target));
        QVERIFY(!QFileInfo::exists(partialBackupPath(target)));
    }

    // A restore into a full disk, and the check of a backup with the
    // temporary folder full, say so and name the folder, not that the
    // backup were damaged; the diary stays as it was. A small disk of its
    // own needs the right to mount one.
    void fullDiskDuringRestore()
    {
        makeDiary();
        const QString good = m_dir.filePath("gut-voll.fbk");
        backupDiary(m_diary, good);
        const QString disk = m_dir.filePath("kleine-platte");
        QDir().mkpath(disk);
        if (QProcess::execute("mount", {"-t", "tmpfs", "-o", "size=300k", "tmpfs", disk}) != 0)
            QSKIP("a small disk cannot be mounted here");
        const auto unmount = qScopeGuard([&] { QProcess::execute("umount", {disk}); });
        const QString diary = disk + "/Database/data.fdb";
        QDir().mkpath(disk + "/Database");
        writeFile(diary, "das bisherige Tagebuch");
        const QString restored = errorOf([&] { restoreDiary(good, diary); });
        QVERIFY2(restored.contains("Auf dem Datenträger des Ordners " + QDir::toNativeSeparators(disk + "/Database")
                                   + " ist kein Platz mehr frei"),
                 qPrintable(restored));
        QCOMPARE(readBytes(diary), QByteArray("das bisherige Tagebuch"));
        QCOMPARE(entriesOf(disk + "/Database"), QStringList{"data.fdb"});

        const QByteArray tmp = qgetenv("TMPDIR");
        qputenv("TMPDIR", QFile::encodeName(disk));
        const QString inspected = errorOf([&] { inspectBackup(good); });
        const QString backedUp = errorOf([&] { backupDiary(m_diary, m_dir.filePath("neu-voll.fbk")); });
        qputenv("TMPDIR", tmp);
        for (const QString& error : {inspected, backedUp})
            QVERIFY2(error.contains("Für die Prüfung der Datensicherung ist auf dem Datenträger des vorläufigen Ordners")
                         && !error.contains("beschädigt"),
                     qPrintable(error));
        QVERIFY(!QFileInfo::exists(m_dir.filePath("neu-voll.fbk")));
    }

    void roundTrip()
    {
        makeDiary();
        const QString target = m_dir.filePath("Sicherung.fbk");
        writeFile(target, "eine ältere Sicherung"); // replaced only by a checked backup
        const QDateTime before = QDateTime::currentDateTime().addSecs(-1);
        const BackupInfo made = backupDiary(m_diary, target);
        QCOMPARE(made.persons, m_generated.userIds.size());
        QCOMPARE(made.entries, m_generated.entries);
        QVERIFY(!QFileInfo::exists(partialBackupPath(target)));
        QCOMPARE(fileMode(target), 0600);

        const BackupInfo inspected = inspectBackup(target);
        QCOMPARE(inspected.persons, made.persons);
        QCOMPARE(inspected.entries, made.entries);
        QVERIFY2(inspected.made >= before && inspected.made <= QDateTime::currentDateTime(),
                 qPrintable(inspected.made.toString()));

        {
            Database db;
            db.connect(m_diary);
            db.execute("DELETE FROM units");
            db.execute("DELETE FROM main WHERE ID > 10");
            db.execute("UPDATE users SET Name = 'Geändert'");
        }
        const QByteArray changed = readBytes(m_diary);
        const QDate today(2026, 12, 8);
        writeFile(m_diary + ".vor-Wiederherstellung-2026-12-08", "belegt");
        const QString kept = restoreDiary(target, m_diary, today);
        QCOMPARE(kept, m_diary + ".vor-Wiederherstellung-2026-12-08-2");
        QCOMPARE(readBytes(kept), changed);
        QVERIFY(!QFileInfo::exists(restoredDiaryPath(m_diary)));

        Session s;
        datafiles::openStorage(s, m_folder);
        QCOMPARE(contents(s.ZDatabase1), m_rows);
        QFile::remove(kept);
        QFile::remove(m_diary + ".vor-Wiederherstellung-2026-12-08");
    }

    // Files that are no sound backup are refused with their reason, and a
    // restore from them leaves the diary and its folder exactly as they were.
    void refusals()
    {
        makeDiary();
        const QString good = m_dir.filePath("gut.fbk");
        backupDiary(m_diary, good);
        const QByteArray bytes = readBytes(good);

        const QString text = m_dir.filePath("text.fbk");
        writeFile(text, "Datum;Strecke\n01.01.2024;10,0\n");
        const QString cut = m_dir.filePath("abgeschnitten.fbk");
        writeFile(cut, bytes.left(bytes.size() / 2));
        const QString newer = m_dir.filePath("neuer.fbk");
        QByteArray future = bytes;
        QCOMPARE(int(future[1]), 2); // the format's number follows
        future[3] = char(future[3] + 1);
        writeFile(newer, future);

        // a database of another program, backed up by the same engine
        const QString foreignDb = m_dir.filePath("fremd.fdb");
        {
            Database db;
            db.create(foreignDb);
            db.execute("CREATE TABLE kunden (ID INTEGER NOT NULL PRIMARY KEY)");
        }
        const QString foreign = m_dir.filePath("fremd.fbk");
        QVERIFY(errorOf([&] { backupDiary(foreignDb, foreign); }).contains("keine Datensicherung des Programms"));
        QVERIFY(!QFileInfo::exists(foreign));

        const QString folder = QFileInfo(m_diary).absolutePath();
        const QByteArray diary = readBytes(m_diary);
        const QStringList files = entriesOf(folder);
        const struct
        {
            QString file;
            QString reason;
        } cases[] = {{text, "keine Datensicherung des Programms"},
                     {cut, "beschädigt oder unvollständig"},
                     {newer, "stammt von einer neueren Version"}};
        for (const auto& c : cases) {
            const QString inspected = errorOf([&] { inspectBackup(c.file); });
            QVERIFY2(inspected.contains(c.reason), qPrintable(c.file + ": " + inspected));
            const QString restored = errorOf([&] { restoreDiary(c.file, m_diary); });
            QVERIFY2(restored.contains(c.reason), qPrintable(c.file + ": " + restored));
            QCOMPARE(readBytes(m_diary), diary);
            QCOMPARE(entriesOf(folder), files);
        }
    }

    // A backup of a database whose tables differ from the diary's is refused
    // before it is offered, and a restore of it leaves the diary as it was;
    // additions that change nothing of what the program stores are allowed.
    void backupsOfOtherTablesAreRefused()
    {
        makeDiary();
        const auto backupOf = [&](const QString& name, const QStringList& statements, bool asDiary) {
            const QString folder = m_dir.filePath(name + "/");
            QDir().mkpath(folder);
            QString path = folder + "db.fdb";
            if (asDiary) {
                Session s;
                datafiles::openStorage(s, folder);
                path = datafiles::databasePath(folder);
            } else {
                Database db;
                db.create(path);
            }
            {
                Database db;
                db.connect(path);
                for (const QString& sql : statements)
                    db.execute(sql);
            }
            const QString backup = m_dir.filePath(name + ".fbk");
            backupDiary(path, backup);
            return backup;
        };
        const QStringList refused = {
            backupOf("fremd", {"CREATE TABLE main (x INTEGER)", "CREATE TABLE users (y VARCHAR(10))",
                               "INSERT INTO main VALUES (1)", "INSERT INTO users VALUES ('a')"},
                     false),
            backupOf("pflicht", {"ALTER TABLE main ADD pflicht INTEGER NOT NULL"}, true),
            backupOf("trigger", {"CREATE TRIGGER leeren FOR main AFTER INSERT AS BEGIN "
                                 "DELETE FROM main WHERE ID <> NEW.ID; END"},
                     true),
            backupOf("bedingung", {"ALTER TABLE units ADD CONSTRAINT kurz CHECK (strecke < 5)"}, true),
            backupOf("typ", {"ALTER TABLE main ALTER COLUMN Notizen TYPE VARCHAR(300)"}, true),
        };
        const QString folder = QFileInfo(m_diary).absolutePath();
        const QByteArray diary = readBytes(m_diary);
        const QStringList files = entriesOf(folder);
        for (const QString& backup : refused) {
            const QString inspected = errorOf([&] { inspectBackup(backup); });
            const QString restored = errorOf([&] { restoreDiary(backup, m_diary); });
            for (const QString& error : {inspected, restored})
                QVERIFY2(error.contains("ist keine Datensicherung dieses Tagebuchs"), qPrintable(backup + ": " + error));
            QCOMPARE(readBytes(m_diary), diary);
            QCOMPARE(entriesOf(folder), files);
        }
        try {
            inspectBackup(refused[1]);
        } catch (const StorageError& e) {
            QCOMPARE(e.detail(), "zusätzliche Spalte MAIN.PFLICHT muss gefüllt sein und hat keinen Vorgabewert");
        }

        const QString added = backupOf("ergaenzt",
                                       {"ALTER TABLE main ADD frei INTEGER",
                                        "ALTER TABLE main ADD mitwert INTEGER DEFAULT 0 NOT NULL",
                                        "CREATE TABLE notizen (ID INTEGER NOT NULL PRIMARY KEY, text VARCHAR(40))",
                                        "CREATE INDEX ix_wetter ON main (Wetter)"},
                                       true);
        QCOMPARE(inspectBackup(added).persons, 0);
    }

    // Once a day, and the old ones thinned out.
    void automaticBackups()
    {
        makeDiary();
        const QString folder = m_dir.filePath("Sicherungen");
        QDir().mkpath(folder);
        const QDate today(2026, 12, 8);
        for (int i = 1; i <= 30; ++i)
            writeFile(folder + "/" + automaticBackupName(today.addDays(-i)), "alt");
        const QString made = automaticBackup(m_diary, folder, today);
        QCOMPARE(made, folder + "/" + automaticBackupName(today));
        QCOMPARE(inspectBackup(made).entries, m_generated.entries);
        QCOMPARE(fileMode(made), 0600);
        QCOMPARE(fileMode(folder), 0700);
        QCOMPARE(entriesOf(folder).size(), 11);
        QVERIFY(automaticBackup(m_diary, folder, today).isEmpty());
        QCOMPARE(entriesOf(folder).size(), 11);
    }

    // Run by itself against the tests' database server: the backup is made
    // and checked there, and a restore there is refused.
    void onServer()
    {
        if (!testServer().configured)
            QSKIP("only against the tests' database server");
        TestFolder folder;
        Session s;
        datafiles::openStorage(s, folder.path());
        const GeneratedDiary diary = generateDiary(s.ZDatabase1, DiarySpec{1, 9, QDate(2024, 1, 1)});
        const QString connection = datafiles::resolveAlias(folder.path(), datafiles::kAlias);
        const QString target = testServer().dataFolder + "/Sicherung-" + QFileInfo(connection).baseName() + ".fbk";
        const BackupInfo made = backupDiary(connection, target);
        QCOMPARE(made.persons, diary.userIds.size());
        QCOMPARE(made.entries, diary.entries);
        QVERIFY(QFileInfo::exists(target)); // the tests' server runs on this machine
        QVERIFY(!QFileInfo::exists(target + ".pruefung.fdb"));
        QVERIFY(errorOf([&] { restoreDiary(target, connection); }).contains("Datenbankserver"));
    }

    void rotation()
    {
        const QDate today(2026, 12, 8); // a Tuesday
        QStringList names;
        for (int i = 0; i < 60; ++i)
            names << "/home/x/Sicherungen/" + automaticBackupName(today.addDays(-i));
        names << "Notizen.txt" << automaticBackupName(today) + ".teil" << automaticBackupName(today.addDays(3));
        const QStringList removed = backupsToRemove(names, today);
        QStringList kept = names;
        for (const QString& name : removed)
            kept.removeOne(name);

        QStringList expected;
        for (int i = 0; i < 7; ++i)
            expected << "/home/x/Sicherungen/" + automaticBackupName(today.addDays(-i));
        // the Sundays of the four weeks before the one of 2 December
        for (const QDate& sunday : {QDate(2026, 11, 29), QDate(2026, 11, 22), QDate(2026, 11, 15), QDate(2026, 11, 8)})
            expected << "/home/x/Sicherungen/" + automaticBackupName(sunday);
        expected << "Notizen.txt" << automaticBackupName(today) + ".teil" << automaticBackupName(today.addDays(3));
        QCOMPARE(kept, expected);
        QVERIFY(backupsToRemove(kept, today).isEmpty());

        // Someone away for months keeps the backups from before.
        QStringList old;
        for (int i = 100; i < 120; ++i)
            old << automaticBackupName(today.addDays(-i));
        const QStringList oldRemoved = backupsToRemove(old, today);
        for (const QString& newest : old.mid(0, 7))
            QVERIFY(!oldRemoved.contains(newest));
        QCOMPARE(oldRemoved.size(), 20 - 7 - 2); // the rest lies in two earlier weeks
    }
};

QTEST_GUILESS_MAIN(TestBackup)
#include "tst_backup.moc"
