#include "courses.h"
#include "datafiles.h"
#include "fitwriter.h"
#include "diaryimport.h"
#include "session.h"
#include "sqltext.h"
#include "testsupport.h"
#include "textforms.h"
#include "trainingfiles.h"

#include <QDir>
#include <QTest>

#include <memory>

using exchange::Activity;
using exchange::DiaryImport;
using exchange::FileTrainings;
using exchange::ImportedEntry;
using exchange::ImportSummary;
using exchange::Lap;
using exchange::Sport;
using exchange::TrackPoint;
using exchange::ZoneAdvice;
using Training = exchange::Session;

namespace {

QDateTime utc(int y, int mo, int d, int h, int mi, int s = 0)
{
    return QDateTime(QDate(y, mo, d), QTime(h, mi, s), Qt::UTC);
}

Lap lap(double metres, double seconds, std::optional<int> pulse)
{
    Lap l;
    l.distanceMeters = metres;
    l.timerSeconds = seconds;
    l.elapsedSeconds = seconds + 7;
    l.averageHeartRate = pulse;
    return l;
}

} // namespace

class TestDiaryImport : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void sessionsBecomeEntriesAndLapsUnits();
    void filesTheDiaryCannotHoldAreRefused();
    void storesEachTrainingOnceWithItsUnits();
    void shortTrainingsAndTheUsualValues();
    void valuesNoTrainingHas();
    void aFileIsStoredWholeOrNotAtAll();
    void cancelKeepsWhatWasStored();
    void foldersAndUnusableFiles();
    void coursesAreStoredAndCompleted();
    void summaryListsTheNewBestTimes();

private:
    Database& db() { return m_session->ZDatabase1; }
    QString value(const QString& sql) { return scalar(*m_session, sql); }
    QString file(const QString& name, const QByteArray& bytes)
    {
        const QString path = m_dir->file(name);
        writeFile(path, bytes);
        return path;
    }

    std::unique_ptr<TestFolder> m_dir;
    std::unique_ptr<Session> m_session;
    int m_user = -1;
};

void TestDiaryImport::init()
{
    m_dir = std::make_unique<TestFolder>();
    m_session = std::make_unique<Session>();
    datafiles::openStorage(*m_session, m_dir->path());
    m_session->ZDatabase1.execute(QStringLiteral(
        "INSERT INTO users (ID, Name, Vorname, GebDatum, Geschlecht, Gewicht, Ruhepuls, Maxpuls) "
        "VALUES (gen_id(Gen_Users,1), 'Muster', 'Max', '01.01.1980', '0', '72.5', 48, 190)"));
    m_user = value(QStringLiteral("SELECT MAX(ID) FROM users")).toInt();
}

void TestDiaryImport::cleanup()
{
    m_session.reset();
    m_dir.reset();
}

// A multisport file: one entry per sport without the transition; units in
// lap order with the distance unrounded, the pulse and the one fitting zone.
void TestDiaryImport::sessionsBecomeEntriesAndLapsUnits()
{
    const ZoneAdvice zones = ZoneAdvice::read(db(), m_user);
    Training run;
    run.start = utc(2024, 2, 29, 23, 30, 40); // 00:30 on 1 March in Berlin
    run.sport = Sport::Running;
    run.timerSeconds = 36000 + 29.6; // ten hours are possible
    run.laps = {lap(1234.56, 299.6, 135), lap(1000, 280, std::nullopt), lap(0, 0.4, 140), lap(800, 250, 175)};
    Training change;
    change.sport = Sport::Transition;
    change.start = run.start.addSecs(3600);
    Training ride;
    ride.sport = Sport::Other;
    ride.sportName = QStringLiteral("99");
    ride.start = utc(2024, 3, 1, 9, 0);
    // No laps: one unit along the points (0.01 degrees of latitude apart).
    for (int i = 0; i < 11; ++i) {
        TrackPoint p;
        p.time = ride.start.addSecs(60 * i);
        p.latitude = 50.0 + 0.01 * i;
        p.longitude = 8.0;
        p.heartRate = i == 10 ? 0 : i < 5 ? 120 : 130; // 0: the sensor lost contact
        ride.track << p;
    }
    Activity activity;
    activity.sessions = {run, change, ride};

    qputenv("TZ", "Europe/Berlin");
    const FileTrainings got = exchange::trainingsOf(activity, zones, QDate(2026, 1, 1));
    qunsetenv("TZ");
    QVERIFY2(got.ok(), qPrintable(got.reason));
    QCOMPARE(got.entries.size(), 2);
    const ImportedEntry& e = got.entries[0];
    QCOMPARE(e.date, QDate(2024, 3, 1));
    QCOMPARE(e.time, QTime(0, 30));
    QCOMPARE(e.sport, QStringLiteral("Laufen"));
    QCOMPARE(e.durationText(), QStringLiteral("10:00"));
    QCOMPARE(e.units.size(), 3); // the closing lap of nothing is left out
    QCOMPARE(e.units[0].km, 1.23456);
    QCOMPARE(e.units[0].seconds, 300);
    QCOMPARE(e.units[0].pulse, 135);
    QCOMPARE(e.units[0].zone, QStringLiteral("extensiver DL")); // 71 %
    QCOMPARE(e.units[1].pulse, -1);
    QCOMPARE(e.units[1].zone, QString());
    QCOMPARE(e.units[2].zone, QString()); // 92 %: three zones fit, none is advised

    const ImportedEntry& r = got.entries[1];
    QCOMPARE(r.sport, QStringLiteral("Sonstiges"));
    QCOMPARE(r.units.size(), 1);
    QVERIFY(qAbs(r.units[0].km - 11.119) < 0.01);
    QCOMPARE(r.units[0].seconds, 600);
    QCOMPARE(r.units[0].pulse, 125);
    QCOMPARE(r.durationText(), QStringLiteral("0:10"));
}

void TestDiaryImport::filesTheDiaryCannotHoldAreRefused()
{
    const ZoneAdvice zones;
    Training future;
    future.sport = Sport::Running;
    future.start = utc(2030, 1, 1, 8, 0);
    Training endless = future;
    endless.start = utc(2020, 1, 1, 8, 0);
    endless.timerSeconds = 100 * 3600;
    Training change;
    change.sport = Sport::Transition;
    change.start = endless.start;
    Training undated;
    undated.sport = Sport::Running;
    undated.laps = {lap(1000, 300, 140)};
    Training noTime = future; // a device's "no time"
    noTime.start = QDateTime::fromSecsSinceEpoch(-2147483648LL, Qt::UTC);
    Training young = future;
    young.start = utc(1979, 12, 31, 10, 0);
    Training untimed = endless; // a lap of 0xFFFFFFFE cm: too fast in any time an entry holds
    untimed.timerSeconds.reset();
    untimed.laps = {Lap()};
    untimed.laps[0].distanceMeters = 42949672.94;
    for (const auto& [sessions, words] :
         {std::pair{QList<Training>{future}, QStringLiteral("Zukunft")},
          std::pair{QList<Training>{endless}, QStringLiteral("99:59")},
          std::pair{QList<Training>{change}, QStringLiteral("nur Wechsel")},
          std::pair{QList<Training>{undated}, QStringLiteral("ohne Datum")},
          std::pair{QList<Training>{noTime}, QStringLiteral("kein gültiges Datum (13.12.1901)")},
          std::pair{QList<Training>{young}, QStringLiteral("kein gültiges Datum (31.12.1979, vor dem Geburtsdatum 01.01.1980)")},
          std::pair{QList<Training>{untimed}, QStringLiteral("eine Runde von 42949,7 km, schneller als 100 km/h")},
          std::pair{QList<Training>{}, QStringLiteral("kein Training")}}) {
        Activity activity;
        activity.sessions = sessions;
        const FileTrainings got = exchange::trainingsOf(activity, zones, QDate(2026, 1, 1), QDate(1980, 1, 1));
        QVERIFY(got.entries.isEmpty() || !got.ok());
        QVERIFY2(got.reason.contains(words), qPrintable(got.reason));
    }
    const QString gpx = file(QStringLiteral("ohne-zeit.gpx"),
                             "<gpx><trk><trkseg><trkpt lat=\"50\" lon=\"8\"><time>1901-12-13T20:45:52Z</time></trkpt>"
                             "<trkpt lat=\"50.1\" lon=\"8\"><time>1901-12-13T21:45:52Z</time></trkpt></trkseg></trk></gpx>");
    QVERIFY(exchange::readTrainingFile(gpx, zones).reason.startsWith(
        QStringLiteral("Die Datei enthält kein gültiges Datum (13.12.1901)")));
}

// Stored as the editor stores an entry; a training already in the diary,
// also one twice in the same batch, is counted and not stored again.
void TestDiaryImport::storesEachTrainingOnceWithItsUnits()
{
    const QDateTime start = QDateTime(QDate(2025, 6, 1), QTime(7, 5, 30)).toUTC();
    const QString a = file(QStringLiteral("a.tcx"), tcxFile(start, {{1234.56, 299.6, 135}, {800, 240, 0}}));
    const QString copy = file(QStringLiteral("kopie.tcx"), tcxFile(start, {{1234.56, 299.6, 135}, {800, 240, 0}}));
    const QString b = file(QStringLiteral("b.tcx"),
                           tcxFile(start.addDays(1), {{20000, 2400, 140}}, QStringLiteral("Biking")));
    const QString bad = file(QStringLiteral("kaputt.tcx"), tcxFile(start, {{1000, 300, 0}}).left(200));

    DiaryImport import(db(), m_user);
    const ImportSummary summary = import.importFiles({a, copy, b, bad});
    QCOMPARE(summary.taken, 2);
    QCOMPARE(summary.present, 1);
    QCOMPARE(summary.refused.size(), 1);
    QCOMPARE(summary.refused[0].first, QStringLiteral("kaputt.tcx"));
    QCOMPARE(summary.sports, QStringList({QStringLiteral("Laufen"), QStringLiteral("Radfahren")}));
    QVERIFY(summary.text().contains(QStringLiteral("Übernommen: 2 Trainings\nSchon vorhanden: 1 Training\n"
                                                   "Abgelehnt: 1 Datei\n\nkaputt.tcx: ")));

    const QString id = summary.storedIds.first();
    QCOMPARE(value(QStringLiteral("SELECT Datum || ' ' || Uhrzeit || ' ' || TRIM(Kategorie) || ' ' || TRIM(Dauer) "
                                  "|| ' ' || Ruhepuls || ' ' || Gewicht || ' ' || UserID FROM main WHERE ID = ")
                   + quoted(id)),
             QStringLiteral("2025-06-01 07:05:00.0000 Laufen 0:09 -1 -1.000000000000000 %1").arg(m_user));
    QCOMPARE(value(QStringLiteral("SELECT LIST(SubID || '|' || Strecke || '|' || Zeit || '|' || Puls || '|' || "
                                  "TRIM(Bereich), ';') FROM (SELECT * FROM units WHERE MainID = ")
                   + quoted(id) + QStringLiteral(" ORDER BY SubID)")),
             QStringLiteral("1|1.234560000000000|00:05:00.0000|135|extensiver DL;2|0.8000000000000000|00:04:00.0000|-1|"));

    // A second import of the same files finds every training there.
    DiaryImport again(db(), m_user);
    const ImportSummary second = again.importFiles({a, b});
    QCOMPARE(second.taken, 0);
    QCOMPARE(second.present, 2);
    QCOMPARE(value(QStringLiteral("SELECT COUNT(*) FROM main")), QStringLiteral("2"));

    // A walk of two tracks, taken before as an entry a track (09:00, 0:20),
    // is found by its first track and not stored once more as one entry.
    QString gpx = QStringLiteral("<gpx version=\"1.1\">");
    for (int i = 0; i < 2; ++i) {
        const QDateTime from = QDateTime(QDate(2025, 6, 5), QTime(9 + i, 0)).toUTC();
        gpx += QStringLiteral("<trk><trkseg><trkpt lat=\"50\" lon=\"8\"><time>%1</time></trkpt>"
                              "<trkpt lat=\"50.01\" lon=\"8\"><time>%2</time></trkpt></trkseg></trk>")
                   .arg(from.toString(Qt::ISODate), from.addSecs(1200).toString(Qt::ISODate));
    }
    m_session->ZDatabase1.execute(QStringLiteral("INSERT INTO main (ID, Datum, Uhrzeit, Kategorie, UserID, Dauer) "
                                              "VALUES (gen_id(Gen_Main,1), '05.06.2025', '09:00', 'Gehen', ")
                               + quoted(m_user) + QStringLiteral(", '0:20')"));
    DiaryImport walk(db(), m_user);
    const ImportSummary walked = walk.importFiles({file(QStringLiteral("walk.gpx"), (gpx + "</gpx>").toUtf8())});
    QCOMPARE(walked.taken, 0);
    QCOMPARE(walked.present, 1);
}

// A watch started by mistake is left out and counted; the person's weight
// and resting pulse of today go only to trainings of the last 14 days.
void TestDiaryImport::shortTrainingsAndTheUsualValues()
{
    const auto daysAgo = [](int days) { return QDateTime(QDate::currentDate().addDays(-days), QTime(7, 0)).toUTC(); };
    const QString recent = file(QStringLiteral("a.tcx"), tcxFile(daysAgo(14), {{5000, 1500, 0}}));
    const QString old = file(QStringLiteral("b.tcx"), tcxFile(daysAgo(15), {{5000, 1500, 0}}));
    const QString mistake = file(QStringLiteral("c.tcx"), tcxFile(daysAgo(1), {{90, 50, 0}}));
    const QString indoor = file(QStringLiteral("d.tcx"), tcxFile(daysAgo(2), {{0, 1800, 0}}));
    const QString unborn = file(QStringLiteral("e.tcx"), tcxFile(utc(1979, 6, 1, 8, 0), {{5000, 1500, 0}}));
    DiaryImport import(db(), m_user);
    const ImportSummary summary = import.importFiles({recent, old, mistake, indoor, unborn});
    QCOMPARE(summary.taken, 3);
    QCOMPARE(summary.tooShort, 1);
    QCOMPARE(summary.refused.size(), 1);
    QVERIFY(summary.refused[0].second.contains(QStringLiteral("vor dem Geburtsdatum 01.01.1980")));
    QVERIFY2(summary.text().contains(QStringLiteral("\nNicht übernommen, zu kurz: 1 Training")), qPrintable(summary.text()));
    QCOMPARE(value(QStringLiteral("SELECT LIST(Ruhepuls || ' ' || Gewicht, ';') FROM (SELECT * FROM main ORDER BY Datum)")),
             QStringLiteral("-1 -1.000000000000000;48 72.50000000000000;48 72.50000000000000"));
}

// A lap faster than anyone goes (on foot 100 km/h, else 200 km/h; a lap of
// a second and some metres says nothing) and points years apart refuse the
// file; a time of 0 and values that are no numbers count as none: the time
// comes from the points, a lap of nothing usable is too short; -0 km is 0.
void TestDiaryImport::valuesNoTrainingHas()
{
    const QDateTime start = utc(2025, 6, 1, 7, 0);
    const auto gpx = [&](const QString& name, const QString& from, const QString& to, const QString& lat) {
        return file(name, QStringLiteral("<gpx><trk><trkseg><trkpt lat=\"50\" lon=\"8\"><time>%1</time></trkpt>"
                                         "<trkpt lat=\"%3\" lon=\"8\"><time>%2</time></trkpt></trkseg></trk></gpx>")
                              .arg(from, to, lat)
                              .toUtf8());
    };
    QStringList files{
        file(QStringLiteral("lauf.fit"), fitActivity(start, {{300, 42949672.94, 140}})), // 0xFFFFFFFE cm
        file(QStringLiteral("rad.fit"), fitActivity(start.addDays(1), {{300, 12500, 140}}, 2)), // 150 km/h
        file(QStringLiteral("lauf2.fit"), fitActivity(start.addDays(6), {{300, 1000, 140}, {1, 40, 140}})),
        file(QStringLiteral("rad2.fit"), fitActivity(start.addDays(2), {{300, 25000, 140}}, 2)),
        gpx(QStringLiteral("jahre.gpx"), QStringLiteral("1995-05-01T08:00:00Z"), QStringLiteral("2024-05-01T08:00:00Z"),
            QStringLiteral("50.1")),
        gpx(QStringLiteral("sprung.gpx"), QStringLiteral("2025-05-01T08:00:00Z"), QStringLiteral("2025-05-01T08:05:00Z"),
            QStringLiteral("-50")),
        file(QStringLiteral("null.tcx"),
             tcxFile(start.addDays(3), {{1000, 300, 0}})
                 .replace("<TotalTimeSeconds>300.000</TotalTimeSeconds><DistanceMeters>1000.000",
                          "<TotalTimeSeconds>0</TotalTimeSeconds><DistanceMeters>-0")
                 .replace("<Intensity>",
                          "<Track><Trackpoint><Time>2025-06-04T07:00:00Z</Time></Trackpoint>"
                          "<Trackpoint><Time>2025-06-04T07:30:00Z</Time></Trackpoint></Track><Intensity>")),
        file(QStringLiteral("minus.tcx"), tcxFile(start.addDays(5), {{-0.0, 600, 0}}))};
    for (const double garbage : {qQNaN(), qInf(), -1.0, 1e300})
        files << file(QStringLiteral("unsinn%1.tcx").arg(files.size()), tcxFile(start.addDays(4), {{garbage, garbage, 0}}));
    DiaryImport import(db(), m_user);
    const ImportSummary summary = import.importFiles(files);
    QCOMPARE(summary.taken, 4);
    QCOMPARE(summary.tooShort, 4);
    QVERIFY2(summary.text().contains(QStringLiteral(
                 "\n\nlauf.fit: Die Datei enthält eine Runde von 42949,7 km, schneller als 100 km/h; ist die Datei "
                 "beschädigt?\nrad2.fit: Die Datei enthält eine Runde von 25,0 km, schneller als 200 km/h")),
             qPrintable(summary.text()));
    QCOMPARE(summary.refused.size(), 4);
    QVERIFY2(summary.refused[2].second.contains(QStringLiteral("dauert länger als 99:59 Stunden")),
             qPrintable(summary.refused[2].second));
    QVERIFY2(summary.refused[3].second.contains(QStringLiteral("ein Training von 11119,5 km, schneller als 200 km/h")),
             qPrintable(summary.refused[3].second));
    QCOMPARE(value(QStringLiteral("SELECT LIST(TRIM(Dauer) || ' ' || Strecke || ' ' || Zeit, ';') FROM (SELECT "
                                  "Dauer, Strecke, Zeit FROM main JOIN units ON units.MainID = main.ID WHERE "
                                  "Datum BETWEEN '03.06.2025' AND '06.06.2025' ORDER BY Datum)")),
             QStringLiteral("0:30 0.000000000000000 00:30:00.0000;0:10 0.000000000000000 00:10:00.0000"));
}

// The diary refuses a unit: nothing of the file stays, the import ends
// there and says so; the files before it stay stored.
void TestDiaryImport::aFileIsStoredWholeOrNotAtAll()
{
    m_session->ZDatabase1.execute(QStringLiteral("CREATE EXCEPTION too_far 'zu weit'"));
    m_session->ZDatabase1.execute(QStringLiteral("CREATE TRIGGER units_check FOR units BEFORE INSERT AS BEGIN "
                                              "IF (NEW.Strecke > 50) THEN EXCEPTION too_far; END"));
    const QDateTime start = utc(2025, 6, 1, 7, 0);
    const QString good = file(QStringLiteral("1.tcx"), tcxFile(start, {{1000, 300, 0}}));
    const QString refused = file(QStringLiteral("2.tcx"), tcxFile(start.addDays(1), {{1000, 300, 0}, {60000, 9000, 0}}));
    const QString after = file(QStringLiteral("3.tcx"), tcxFile(start.addDays(2), {{1000, 300, 0}}));
    DiaryImport import(db(), m_user);
    const ImportSummary summary = import.importFiles({good, refused, after});
    QCOMPARE(summary.taken, 1);
    QCOMPARE(summary.filesDone, 1);
    QVERIFY(summary.failure.startsWith(QStringLiteral("2.tcx: ")));
    QVERIFY(summary.text().contains(QStringLiteral("nach 1 von 3 Dateien wegen eines Fehlers beendet")));
    QCOMPARE(value(QStringLiteral("SELECT COUNT(*) FROM main")), QStringLiteral("1"));
    QCOMPARE(value(QStringLiteral("SELECT COUNT(*) FROM units")), QStringLiteral("1"));
}

void TestDiaryImport::cancelKeepsWhatWasStored()
{
    QStringList files;
    for (int i = 0; i < 4; ++i)
        files << file(QStringLiteral("t%1.fit").arg(i), fitActivity(utc(2025, 1, 1 + i, 8, 0), {{1500, 5000, 150}}));
    DiaryImport import(db(), m_user);
    QList<int> told;
    const ImportSummary summary = import.importFiles(files, [&](int done, int total, const QString&) {
        told << done << total;
        return done < 2;
    });
    QCOMPARE(told, QList<int>({0, 4, 1, 4, 2, 4}));
    QVERIFY(summary.cancelled);
    QCOMPARE(summary.taken, 2);
    QVERIFY(summary.text().startsWith(QStringLiteral("Die Übernahme wurde nach 2 von 4 Dateien abgebrochen")));
    QCOMPARE(value(QStringLiteral("SELECT COUNT(*) FROM main")), QStringLiteral("2"));
    QCOMPARE(value(QStringLiteral("SELECT MIN(Strecke) || ' ' || MIN(Zeit) || ' ' || MAX(Dauer) FROM units JOIN main "
                                  "ON main.ID = units.MainID")),
             QStringLiteral("5.000000000000000 00:25:00.0000 0:25 "));
}

// A folder gives its watch files, also in subfolders and in capitals; a
// file of nothing, of anything else, or far too large is refused unread.
void TestDiaryImport::foldersAndUnusableFiles()
{
    QDir(m_dir->path()).mkpath(QStringLiteral("uhr/2024"));
    file(QStringLiteral("uhr/2024/B.FIT"), QByteArray());
    file(QStringLiteral("uhr/a.gpx"), "<gpx/>");
    file(QStringLiteral("uhr/notiz.txt"), "Hallo");
    const QString loose = file(QStringLiteral("lose.txt"), "Hallo");
    QCOMPARE(exchange::trainingFiles({m_dir->file(QStringLiteral("uhr")), loose}),
             QStringList({m_dir->file(QStringLiteral("uhr/2024/B.FIT")), m_dir->file(QStringLiteral("uhr/a.gpx")),
                          loose}));

    QFile huge(m_dir->file(QStringLiteral("riesig.fit")));
    QVERIFY(huge.open(QIODevice::WriteOnly));
    QVERIFY(huge.resize(200LL * 1024 * 1024)); // sparse: nothing is written
    huge.close();
    const ZoneAdvice zones;
    for (const auto& [path, words] :
         {std::pair{m_dir->file(QStringLiteral("uhr/2024/B.FIT")), QStringLiteral("leer")},
          std::pair{loose, QStringLiteral("keine Trainingsdatei")},
          std::pair{huge.fileName(), QStringLiteral("200 MB zu groß")},
          std::pair{m_dir->file(QStringLiteral("fehlt.fit")), QStringLiteral("gibt es nicht")}}) {
        const FileTrainings got = exchange::readTrainingFile(path, zones);
        QVERIFY2(got.reason.contains(words), qPrintable(got.reason));
    }
}

// The course goes with its entry; a training in the diary without a course
// gets the one a later file has, once, and the summary says so.
void TestDiaryImport::coursesAreStoredAndCompleted()
{
    const QDateTime start = QDateTime(QDate::currentDate().addDays(-3), QTime(7, 5)).toUTC();
    const QString fitted = file(QStringLiteral("uhr.fit"), fitActivity(start, {{120, 400, 140}, {60, 250, 150}}));
    const QString bare = file(QStringLiteral("ohne.tcx"), tcxFile(start.addDays(1), {{2000, 600, 0}}));
    const QString later = file(QStringLiteral("spaeter.fit"), fitActivity(start.addDays(1), {{600, 2000, 145}}));

    DiaryImport import(db(), m_user);
    ImportSummary summary = import.importFiles({fitted, bare});
    QCOMPARE(summary.storedIds.size(), 2);
    const std::optional<course::Course> stored = Courses::read(db(), summary.storedIds[0]);
    QVERIFY(stored);
    QCOMPARE(stored->start, start);
    QCOMPARE(stored->samples.size(), 180);
    const course::Sample& s = stored->samples[125];
    QCOMPARE(s.seconds, 125.0);
    QCOMPARE(s.heartRate, 150.0);
    QVERIFY(qAbs(s.altitude - sampleAltitude(5)) < 0.01); // the sixth second of the second lap
    QCOMPARE(s.cadence, double(sampleCadence(5)));
    QVERIFY(qAbs(s.distance - (400.0 + 6 * 250.0 / 60.0)) < 0.01);
    QVERIFY(course::recorded(s.latitude) && course::recorded(s.longitude));
    QVERIFY(!Courses::hasCourse(db(), summary.storedIds[1])); // the file has no samples
    QVERIFY(!summary.text().contains(QStringLiteral("Verlauf")));

    summary = DiaryImport(db(), m_user).importFiles({later, fitted, later});
    QCOMPARE(summary.taken, 0);
    QCOMPARE(summary.present, 3);
    QCOMPARE(summary.coursesAdded, 1);
    QVERIFY2(summary.text().contains(QStringLiteral("Schon vorhanden: 3 Trainings\nVerlauf ergänzt: 1")),
             qPrintable(summary.text()));
    const std::optional<course::Course> added = Courses::read(db(), import.presentId(
        exchange::readTrainingFile(later, {}).entries.first()));
    QVERIFY(added);
    QCOMPARE(added->samples.size(), 600);
}

// A batch that beats the best time over a distance lists it once, with the
// best it beat; an import that beats nothing lists none.
void TestDiaryImport::summaryListsTheNewBestTimes()
{
    const QDateTime start = QDateTime(QDate::currentDate().addDays(-10), QTime(7, 5)).toUTC();
    const QString first = file(QStringLiteral("erst.fit"), fitActivity(start, {{300, 1100, 140}}));
    const QString faster = file(QStringLiteral("schnell.fit"), fitActivity(start.addDays(2), {{240, 1100, 150}}));
    const QString fastest = file(QStringLiteral("schneller.fit"), fitActivity(start.addDays(3), {{230, 1100, 150}}));
    const ImportSummary once = DiaryImport(db(), m_user).importFiles({first});
    QVERIFY(once.newBests.isEmpty());
    const ImportSummary summary = DiaryImport(db(), m_user).importFiles({faster, fastest});
    QCOMPARE(summary.newBests.size(), 2); // 400 m and 1 km
    QVERIFY2(summary.text().endsWith(QStringLiteral("\nNeue Bestzeit über 1 km: 3:29 (bisher 4:33 vom ")
                                     + dateText(start.toLocalTime().date()) + QLatin1Char(')')),
             qPrintable(summary.text()));
}

QTEST_GUILESS_MAIN(TestDiaryImport)
#include "tst_diaryimport.moc"
