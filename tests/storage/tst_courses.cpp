#include "backup.h"
#include "courses.h"
#include "datafiles.h"
#include "entries.h"
#include "persons.h"
#include "schemacheck.h"
#include "session.h"
#include "storageerror.h"
#include "testsupport.h"

#include <QTest>
#include <QtEndian>

#include <cmath>
#include <memory>

using course::kNone;

namespace {

// An hour or more of a run as a watch records it: a sample a second, moving
// along a curved track, distance rising, heart rate, altitude and cadence
// changing, with the noise of the sensors.
course::Course realisticCourse(int seconds)
{
    course::Course c;
    c.start = QDateTime(QDate(2026, 5, 3), QTime(6, 30), Qt::UTC);
    double lat = 48.137154, lon = 11.576124, distance = 0.0, altitude = 519.0;
    quint32 noise = 12345;
    const auto jitter = [&] {
        noise = noise * 1103515245u + 12345u;
        return double((noise >> 16) % 1000) / 1000.0 - 0.5;
    };
    c.samples.reserve(seconds);
    for (int t = 0; t < seconds; ++t) {
        const double speed = 3.2 + 0.4 * std::sin(t / 300.0) + 0.1 * jitter();
        const double heading = t / 900.0;
        lat += speed * std::cos(heading) / 111320.0;
        lon += speed * std::sin(heading) / 74500.0;
        distance += speed;
        altitude += 0.05 * std::sin(t / 120.0) + 0.02 * jitter();
        course::Sample s;
        s.seconds = t;
        s.latitude = lat;
        s.longitude = lon;
        s.distance = distance;
        s.altitude = altitude;
        s.heartRate = std::round(140 + 15 * std::sin(t / 600.0) + 2 * jitter());
        s.cadence = std::round(172 + 4 * jitter());
        s.speed = speed;
        c.samples.append(s);
    }
    return c;
}

// Equal to the stored precision of each column, NaN for NaN.
bool sameSample(const course::Sample& a, const course::Sample& b)
{
    const auto same = [](double x, double y, double step) {
        return std::isnan(x) ? std::isnan(y) : std::abs(x - y) <= step / 2 + 1e-9;
    };
    return same(a.seconds, b.seconds, 0.01) && same(a.latitude, b.latitude, 1e-7)
           && same(a.longitude, b.longitude, 1e-7) && same(a.distance, b.distance, 0.01)
           && same(a.altitude, b.altitude, 0.01) && same(a.heartRate, b.heartRate, 1)
           && same(a.cadence, b.cadence, 0.1) && same(a.speed, b.speed, 0.001) && same(a.power, b.power, 1);
}

Entries::Entry entryOf(int userId)
{
    Entries::Entry e;
    e.date = QStringLiteral("03.05.2026");
    e.time = QStringLiteral("06:30");
    e.category = QStringLiteral("Laufen");
    e.userId = userId;
    e.duration = QStringLiteral("1:00");
    e.units.append({QStringLiteral("1"), QStringLiteral("11.5"), QStringLiteral("1:00:00"), QStringLiteral("-1"), {}});
    return e;
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

} // namespace

class TestCourses : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        skipWithoutTestServer();
        m_dir = std::make_unique<TestFolder>();
        m_session = std::make_unique<Session>();
        datafiles::openStorage(*m_session, m_dir->path());
    }
    void cleanup()
    {
        m_session.reset();
        m_dir.reset();
    }

    // Values come back to their stored precision, NaN as NaN, also across
    // the date line and for values beyond a column's range; a stored course
    // is replaced by the next one, and an empty one takes it away.
    void storedCoursesReadBackToTheirPrecision()
    {
        course::Course c;
        c.start = QDateTime(QDate(2026, 1, 2), QTime(9, 15, 30, 250), Qt::UTC);
        course::Sample a{0.0, 47.1234567, 179.9999999, 0.0, -12.34, 61, 85.5, 2.345, 250};
        course::Sample b{1.5, kNone, -179.9999999, 3.21, kNone, kNone, kNone, kNone, kNone};
        course::Sample c3{2.25, -89.9999999, kNone, kNone, 8848.86, 254, 0, 0, 1200};
        course::Sample d{kNone, 47.5, 11.0, 10.07, 510, 300 /* no heart rate */, -5 /* none */, 1e9, kNone};
        c.samples = {a, b, c3, d};
        const std::optional<course::Course> decoded =
            Courses::decode(Courses::encode(c), 1, int(c.samples.size()));
        QVERIFY(decoded);
        QCOMPARE(decoded->start, c.start);
        QCOMPARE(decoded->samples.size(), 4);
        for (int i = 0; i < 3; ++i)
            QVERIFY2(sameSample(decoded->samples[i], c.samples[i]), qPrintable(QString::number(i)));
        const course::Sample& out = decoded->samples[3];
        QVERIFY(std::isnan(out.seconds) && std::isnan(out.heartRate) && std::isnan(out.cadence)
                && std::isnan(out.speed));
        QCOMPARE(out.distance, 10.07);
        const std::optional<course::Course> none = Courses::decode(Courses::encode(course::Course{}), 1, 0);
        QVERIFY(none && none->isEmpty() && !none->start.isValid());

        Database& db = m_session->ZDatabase1;
        const QString id = Entries::insert(db, entryOf(1));
        QVERIFY(!Courses::read(db, id));
        Courses::store(db, id, c);
        const std::optional<course::Course> read = Courses::read(db, id);
        QVERIFY(read && read->samples.size() == 4 && sameSample(read->samples[1], b));
        const course::Course hour = realisticCourse(3600);
        Courses::store(db, id, hour);
        QCOMPARE(Courses::read(db, id)->samples.size(), 3600);
        QCOMPARE(scalar(*m_session, "SELECT COUNT(*) FROM verlauf"), "1");
        Courses::store(db, id, course::Course{});
        QVERIFY(!Courses::hasCourse(db, id));
        // no course of an entry that is not there
        QVERIFY(errorOf([&] { Courses::store(db, "999", hour); }).contains("nicht mehr vorhanden"));
        QCOMPARE(scalar(*m_session, "SELECT COUNT(*) FROM verlauf"), "0");
    }

    // An hour of one-second samples stays small; ten hours come back whole;
    // courses stored within one import's transaction are all there.
    void sizeAndManyCourses()
    {
        const course::Course hour = realisticCourse(3600);
        const QByteArray bytes = Courses::encode(hour);
        QVERIFY2(bytes.size() < 30000, qPrintable(QString::number(bytes.size())));

        Database& db = m_session->ZDatabase1;
        const QString id = Entries::insert(db, entryOf(1));
        const course::Course tenHours = realisticCourse(36000);
        Courses::store(db, id, tenHours);
        const std::optional<course::Course> read = Courses::read(db, id);
        QCOMPARE(read->samples.size(), 36000);
        QVERIFY(sameSample(read->samples[35999], tenHours.samples[35999]));

        QList<Entries::Entry> entries(20, entryOf(1));
        {
            Transaction transaction(db);
            for (const QString& entry : Entries::insertMany(db, entries))
                Courses::store(db, entry, hour);
            transaction.commit();
        }
        QCOMPARE(Courses::entriesWithCourse(db, 1).size(), 21);
        QVERIFY(Courses::entriesWithCourse(db, 2).isEmpty());
    }

    // Bytes that are no course, cut off, of another count or version are
    // refused; a damaged stored course is an error, never a course.
    void refusedBytes()
    {
        const course::Course c = realisticCourse(100);
        const QByteArray good = Courses::encode(c);
        QVERIFY(Courses::decode(good, 1, 100));
        QByteArray garbage(200, '\x5a');
        QByteArray hugeLength = good;
        qToBigEndian(quint32(0x7ffffff0), hugeLength.data());
        QByteArray flipped = good;
        flipped[good.size() / 2] = char(flipped[good.size() / 2] ^ 0xff);
        const QByteArray ofNothing = qCompress(QByteArray(16 + 29 * 100, '\0'));
        for (const QByteArray& bytes : {QByteArray(), good.left(3), good.left(good.size() - 5), garbage, hugeLength,
                                        flipped, ofNothing})
            QVERIFY(!Courses::decode(bytes, 1, 100));
        QVERIFY(!Courses::decode(good, 1, 99));
        QVERIFY(!Courses::decode(good, 1, -1));
        QVERIFY(!Courses::decode(good, 2, 100));

        Database& db = m_session->ZDatabase1;
        const QString id = Entries::insert(db, entryOf(1));
        Courses::store(db, id, c);
        db.execute("UPDATE verlauf SET Anzahl = 101");
        QVERIFY(errorOf([&] { Courses::read(db, id); }).contains("beschädigt"));
        db.execute("UPDATE verlauf SET Version = 2");
        QVERIFY(errorOf([&] { Courses::read(db, id); }).contains("neueren Version"));
    }

    // A course goes with its entry and with its person's diary; changing
    // the entry keeps it.
    void deletedWithEntryAndPerson()
    {
        Database& db = m_session->ZDatabase1;
        Persons::insert(db, {"Muster", "Max", "01.02.1980", 0, 70.0, "50", "190"});
        Persons::insert(db, {"Muster", "Erika", "01.02.1982", 1, 60.0, "52", "185"});
        const QList<Persons::Listed> persons = Persons::list(db);
        const int max = persons[1].id.toInt(), erika = persons[0].id.toInt();
        const QStringList ofMax = Entries::insertMany(db, {entryOf(max), entryOf(max), entryOf(max)});
        const QString ofErika = Entries::insert(db, entryOf(erika));
        for (const QString& id : ofMax + QStringList{ofErika})
            Courses::store(db, id, realisticCourse(60));

        Entries::Entry changed = entryOf(max);
        changed.notes = QStringLiteral("geändert");
        QVERIFY(Entries::update(db, ofMax[0], changed));
        QVERIFY(Courses::hasCourse(db, ofMax[0]));
        QVERIFY(Entries::remove(db, ofMax[1]));
        QVERIFY(!Courses::hasCourse(db, ofMax[1]));
        QCOMPARE(Courses::entriesWithCourse(db, max), (QSet<QString>{ofMax[0], ofMax[2]}));

        QVERIFY(Persons::remove(db, QString::number(max)));
        QCOMPARE(scalar(*m_session, "SELECT COUNT(*) FROM verlauf"), "1");
        QVERIFY(Courses::hasCourse(db, ofErika));
    }

    // A backup holds the courses and gives them back; one made before the
    // diary had courses restores too, and gets the table at the restore.
    void backupAndRestore()
    {
        if (testServer().configured)
            QSKIP("a diary on a server is restored by its administrator");
        Database& db = m_session->ZDatabase1;
        const QString id = Entries::insert(db, entryOf(1));
        const course::Course c = realisticCourse(600);
        Courses::store(db, id, c);
        QCOMPARE(datafiles::schemaFaults(db), QStringList());
        const QString diary = datafiles::databasePath(m_dir->path());
        const QString with = m_dir->file("mit.fbk");
        QCOMPARE(backupDiary(diary, with).entries, 1);

        db.execute("DROP TABLE verlauf");
        const QString without = m_dir->file("ohne.fbk");
        backupDiary(diary, without);
        QCOMPARE(inspectBackup(without).entries, 1);
        m_session->ZDatabase1.disconnect();

        restoreDiary(without, diary);
        db.connect(diary);
        QVERIFY(!Courses::hasCourse(db, id));
        Courses::store(db, id, c);
        db.disconnect();

        restoreDiary(with, diary);
        db.connect(diary);
        const std::optional<course::Course> read = Courses::read(db, id);
        QVERIFY(read && read->samples.size() == 600 && sameSample(read->samples[599], c.samples[599]));

        // a course table of another shape is no table of this diary
        db.execute("DROP TABLE verlauf");
        db.execute("CREATE TABLE verlauf (MainID INTEGER NOT NULL PRIMARY KEY, Version SMALLINT NOT NULL, "
                   "Anzahl INTEGER NOT NULL, Daten BLOB SUB_TYPE TEXT NOT NULL)");
        QCOMPARE(datafiles::schemaFaults(db),
                 QStringList{"Spalte VERLAUF.DATEN ist BLOB SUB_TYPE 1 statt BLOB SUB_TYPE 0"});
    }

private:
    std::unique_ptr<TestFolder> m_dir;
    std::unique_ptr<Session> m_session;
};

QTEST_MAIN(TestCourses)
#include "tst_courses.moc"
