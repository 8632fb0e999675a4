#include "coursefrom.h"
#include "diaryimport.h"
#include "fitreader.h"
#include "fitwriter.h"

#include <QRandomGenerator>
#include <QTest>

#include <array>

using exchange::readFit;
using exchange::Sport;

namespace {

const QDateTime kStart(QDate(2025, 3, 9), QTime(6, 59, 50), Qt::UTC);

// A file of a session with the given laps in either byte order, with
// developer fields, a field of an odd size and invalid values.
QByteArray handMade(bool bigEndian, int fileType = 4)
{
    FitWriter w(bigEndian);
    const quint32 start = FitWriter::fitTime(kStart);
    w.define(0, 0, {{0, 1, fit::Enum}, {4, 4, fit::UInt32}});
    w.data(0, {quint64(fileType), start});
    // lap: start, elapsed, timer, distance, an odd-sized field, avg and max HR
    w.define(7, 19, {{2, 4, fit::UInt32}, {7, 4, fit::UInt32}, {8, 4, fit::UInt32}, {9, 4, fit::UInt32},
                     {40, 3, fit::UInt16}, {15, 1, fit::UInt8}, {16, 1, fit::UInt8}},
             {2, 5});
    w.data(7, {start, 301500, 299600, 123456, 0, 141, 155});
    w.data(7, {start + 300, 0xFFFFFFFF, 280000, 0xFFFFFFFF, 0, 0xFF, 0xFF});
    w.define(1, 18, {{2, 4, fit::UInt32}, {5, 1, fit::Enum}, {8, 4, fit::UInt32}, {9, 4, fit::UInt32},
                     {16, 1, fit::UInt8}});
    w.data(1, {start, 1, 579600, 0xFFFFFFFF, 150});
    return w.file(true, true);
}

} // namespace

class TestFitReader : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void readsARecordedActivity();
    void byteOrderDeveloperFieldsAndInvalidValues();
    void multisportChainsAndLapsAtTheEnd();
    void multisportLapsGoByTheirStart();
    void recordsCarryEveryValue();
    void multisportRecordsGoToTheSessionOfTheirTime();
    void longRunsOfCompressedTimestamps();
    void filesOfOtherKindsAreRefused();
    void damagedFilesAreRefusedWithoutHarm();
    void manyLapsReadQuickly();
};

// Samples with compressed timestamps between full ones, laps and session.
void TestFitReader::readsARecordedActivity()
{
    const auto read = readFit(fitActivity(kStart, {{300, 1234.56, 141}, {280, 1000, 0}, {320, 1000, 170}}));
    QVERIFY2(read.ok(), qPrintable(read.reason));
    QCOMPARE(read.activity->sessions.size(), 1);
    const exchange::Session& s = read.activity->sessions.first();
    QCOMPARE(s.start, kStart);
    QCOMPARE(s.sport, Sport::Running);
    QCOMPARE(*s.timerSeconds, 900.0);
    QCOMPARE(*s.distanceMeters, 3234.56);
    QCOMPARE(s.laps.size(), 3);
    QCOMPARE(*s.laps[0].distanceMeters, 1234.56);
    QCOMPARE(*s.laps[0].averageHeartRate, 141);
    QVERIFY(!s.laps[1].averageHeartRate);
    QCOMPARE(s.laps[2].start, kStart.addSecs(580));
    QCOMPARE(s.track.size(), 900);
    for (int i = 0; i < s.track.size(); i += 7)
        QCOMPARE(s.track[i].time, kStart.addSecs(i)); // also across the rollover of the 5-bit offset
    QVERIFY(!s.track[400].heartRate);
    QVERIFY(qAbs(*s.track.last().latitude - (50.0 + 3234.56 / 111195.0)) < 1e-6);
    QCOMPARE(*s.track[37].altitude, sampleAltitude(37));
    QCOMPARE(*s.track[37].cadence, sampleCadence(37));
}

void TestFitReader::byteOrderDeveloperFieldsAndInvalidValues()
{
    for (bool bigEndian : {false, true}) {
        const auto read = readFit(handMade(bigEndian));
        QVERIFY2(read.ok(), qPrintable(read.reason));
        const exchange::Session& s = read.activity->sessions.first();
        QCOMPARE(s.laps.size(), 2);
        QCOMPARE(*s.laps[0].elapsedSeconds, 301.5);
        QCOMPARE(*s.laps[0].timerSeconds, 299.6);
        QCOMPARE(*s.laps[0].distanceMeters, 1234.56);
        QCOMPARE(*s.laps[0].maximumHeartRate, 155);
        QVERIFY(!s.laps[1].elapsedSeconds && !s.laps[1].distanceMeters && !s.laps[1].averageHeartRate);
        QCOMPARE(*s.laps[1].timerSeconds, 280.0);
        QVERIFY(!s.distanceMeters);
        QCOMPARE(*s.averageHeartRate, 150);
        QVERIFY(s.track.isEmpty());
    }
    // A 12-byte header, and a 14-byte one without its check sum.
    FitWriter w;
    w.define(0, 20, {{253, 4, fit::UInt32}, {3, 1, fit::UInt8}});
    w.data(0, {FitWriter::fitTime(kStart), 120});
    w.data(0, {FitWriter::fitTime(kStart) + 60, 130});
    for (const QByteArray& file : {w.file(false), w.file(true, false)}) {
        const auto read = readFit(file);
        QVERIFY2(read.ok(), qPrintable(read.reason)); // samples without a session make one
        QCOMPARE(*read.activity->sessions.first().elapsedSeconds, 60.0);
        QCOMPARE(*read.activity->sessions.first().averageHeartRate, 125);
    }
}

// A triathlon: sessions after all laps, their laps by index; two files
// chained, each counting its laps from 0; zero padding after the chain.
void TestFitReader::multisportChainsAndLapsAtTheEnd()
{
    const quint32 t = FitWriter::fitTime(kStart);
    FitWriter w;
    w.define(0, 0, {{0, 1, fit::Enum}});
    w.data(0, {4});
    w.define(1, 19, {{2, 4, fit::UInt32}, {9, 4, fit::UInt32}});
    for (int i = 0; i < 5; ++i)
        w.data(1, {t + 600u * i, quint64(100000 * (i + 1))});
    w.define(2, 18, {{2, 4, fit::UInt32}, {5, 1, fit::Enum}, {25, 2, fit::UInt16}, {26, 2, fit::UInt16}});
    w.data(2, {t, 5, 0, 1});
    w.data(2, {t + 600, 3, 1, 1});
    w.data(2, {t + 1200, 2, 2, 3});
    QByteArray file = w.file();
    const QByteArray second = fitActivity(kStart.addDays(1), {{60, 200, 100}});
    file += second + QByteArray(7, '\0');
    const auto read = readFit(file);
    QVERIFY2(read.ok(), qPrintable(read.reason));
    const auto& sessions = read.activity->sessions;
    QCOMPARE(sessions.size(), 4);
    QCOMPARE(sessions[0].sport, Sport::Swimming);
    QCOMPARE(sessions[1].sport, Sport::Transition);
    QCOMPARE(sessions[2].laps.size(), 3);
    QCOMPARE(*sessions[2].laps[2].distanceMeters, 5000.0);
    QCOMPARE(sessions[3].start, kStart.addDays(1));
    QCOMPARE(sessions[3].laps.size(), 1);
    QCOMPARE(*sessions[3].laps[0].distanceMeters, 200.0);

    // The transition names no laps, a session names fewer than the file
    // holds: each lap still goes to the session it was recorded in.
    FitWriter partly;
    partly.define(1, 19, {{2, 4, fit::UInt32}, {9, 4, fit::UInt32}});
    for (int i = 0; i < 6; ++i)
        partly.data(1, {t + 600u * i, quint64(100000 * (i + 1))});
    partly.define(2, 18, {{2, 4, fit::UInt32}, {5, 1, fit::Enum}, {25, 2, fit::UInt16}, {26, 2, fit::UInt16}});
    partly.data(2, {t, 5, 0, 1});
    partly.define(3, 18, {{2, 4, fit::UInt32}, {5, 1, fit::Enum}});
    partly.data(3, {t + 600, 3});
    partly.data(2, {t + 1200, 2, 2, 3});
    const auto mixed = readFit(partly.file());
    QVERIFY2(mixed.ok(), qPrintable(mixed.reason));
    QList<qsizetype> counts;
    for (const auto& session : mixed.activity->sessions)
        counts << session.laps.size();
    QCOMPARE(counts, QList<qsizetype>({1, 1, 4})); // the lap after the bike's range goes with it
}

// A triathlon whose laps come before its sessions, which name no laps: each
// lap goes to the session whose span holds its start (a lap after the
// bike's span to the bike); an entry per leg, of its laps.
void TestFitReader::multisportLapsGoByTheirStart()
{
    const quint32 t = FitWriter::fitTime(kStart);
    FitWriter w;
    w.define(0, 19, {{2, 4, fit::UInt32}, {7, 4, fit::UInt32}, {9, 4, fit::UInt32}});
    // start, seconds, metres of each lap: run, run, T1, bike, bike, closing lap, T2, run
    const QList<std::array<quint32, 3>> laps{{0, 600, 2500},    {600, 600, 2400},   {1200, 60, 100},
                                              {1260, 1800, 20000}, {3060, 1800, 19800}, {4870, 5, 30},
                                              {4880, 30, 50},   {4910, 1500, 5000}};
    for (const auto& [start, seconds, metres] : laps)
        w.data(0, {t + start, seconds * 1000ULL, metres * 100ULL});
    w.define(1, 18, {{2, 4, fit::UInt32}, {5, 1, fit::Enum}, {7, 4, fit::UInt32}});
    for (const auto& [start, sport, seconds] : QList<std::array<quint32, 3>>{
             {0, 1, 1200}, {1200, 3, 60}, {1260, 2, 3600}, {4880, 3, 30}, {4910, 1, 1500}})
        w.data(1, {t + start, sport, seconds * 1000ULL});
    const auto read = readFit(w.file());
    QVERIFY2(read.ok(), qPrintable(read.reason));
    QList<qsizetype> counts;
    for (const auto& session : read.activity->sessions)
        counts << session.laps.size();
    QCOMPARE(counts, QList<qsizetype>({2, 1, 3, 1, 1}));

    const auto got = exchange::trainingsOf(*read.activity, {}, kStart.date().addDays(1));
    QVERIFY2(got.ok(), qPrintable(got.reason));
    QList<double> km;
    for (const auto& entry : got.entries) {
        double sum = 0.0;
        for (const auto& unit : entry.units)
            sum += unit.km;
        km << qRound(sum * 1000.0) / 1000.0;
    }
    QCOMPARE(km, QList<double>({4.9, 39.83, 5.0}));
    QCOMPARE(got.entries[1].units.size(), 3);
    QCOMPARE(got.entries[1].sport, QStringLiteral("Radfahren"));
}

// Every value of a record in both byte orders; the enhanced speed and
// altitude before the plain ones; a record without position or values.
void TestFitReader::recordsCarryEveryValue()
{
    const quint32 t = FitWriter::fitTime(kStart);
    for (bool bigEndian : {false, true}) {
        FitWriter w(bigEndian);
        w.define(0, 20, {{253, 4, fit::UInt32}, {0, 4, fit::SInt32}, {1, 4, fit::SInt32}, {2, 2, fit::UInt16},
                         {3, 1, fit::UInt8}, {4, 1, fit::UInt8}, {5, 4, fit::UInt32}, {6, 2, fit::UInt16},
                         {7, 2, fit::UInt16}});
        // 47.5 and -8.25 degrees as semicircles; 1000 m; 3.5 m/s; 250 W
        w.data(0, {t, quint64(quint32(566697074)), quint64(quint32(-98426334)), 7500, 150, 88, 123456, 3500, 250});
        w.data(0, {t + 1, 0x7FFFFFFF, 0x7FFFFFFF, 0xFFFF, 0xFF, 0xFF, 0xFFFFFFFF, 0xFFFF, 0xFFFF});
        w.define(1, 20, {{253, 4, fit::UInt32}, {2, 2, fit::UInt16}, {6, 2, fit::UInt16}, {73, 4, fit::UInt32},
                         {78, 4, fit::UInt32}});
        w.data(1, {t + 2, 7500, 3500, 4250, 2502}); // the enhanced ones win: 4.25 m/s, 0.4 m
        const auto read = readFit(w.file());
        QVERIFY2(read.ok(), qPrintable(read.reason));
        const auto& track = read.activity->sessions.first().track;
        QCOMPARE(track.size(), 3);
        const exchange::TrackPoint& p = track[0];
        QVERIFY(qAbs(*p.latitude - 47.5) < 1e-7 && qAbs(*p.longitude + 8.25) < 1e-7);
        QCOMPARE(*p.altitude, 1000.0);
        QCOMPARE(*p.heartRate, 150);
        QCOMPARE(*p.cadence, 88);
        QCOMPARE(*p.distance, 1234.56);
        QCOMPARE(*p.speed, 3.5);
        QCOMPARE(*p.power, 250);
        const exchange::TrackPoint& none = track[1];
        QVERIFY(!none.latitude && !none.longitude && !none.altitude && !none.heartRate && !none.cadence
                && !none.distance && !none.speed && !none.power);
        QCOMPARE(none.time, kStart.addSecs(1));
        QCOMPARE(*track[2].speed, 4.25);
        QVERIFY(qAbs(*track[2].altitude - 0.4) < 1e-9);
    }
}

// Records of a multisport file go to the session whose span holds them: a
// short session within a long one takes only its own; records after a
// session's end go to the one that started last, those before all to the
// first. The courses count from their session's start.
void TestFitReader::multisportRecordsGoToTheSessionOfTheirTime()
{
    const quint32 t = FitWriter::fitTime(kStart);
    FitWriter w;
    w.define(0, 20, {{253, 4, fit::UInt32}, {3, 1, fit::UInt8}});
    for (int s = -10; s <= 1900; s += 10)
        w.data(0, {quint64(t + s), quint64(100 + (s + 10) / 10 % 100)});
    w.define(1, 18, {{2, 4, fit::UInt32}, {5, 1, fit::Enum}, {7, 4, fit::UInt32}});
    // run 0-1000, a drill 200-300 within it, bike from 1000 for 500 s
    w.data(1, {t, 1, 1000000});
    w.data(1, {t + 200, 10, 100000});
    w.data(1, {t + 1000, 2, 500000});
    const auto read = readFit(w.file());
    QVERIFY2(read.ok(), qPrintable(read.reason));
    const auto& sessions = read.activity->sessions;
    QCOMPARE(sessions.size(), 3);
    // run: -10 .. 190 and 310 .. 990; drill 200 .. 300; bike 1000 .. 1900
    QCOMPARE(sessions[0].track.size(), 21 + 69);
    QCOMPARE(sessions[1].track.size(), 11);
    QCOMPARE(sessions[2].track.size(), 91);
    QCOMPARE(sessions[0].track[21].time, kStart.addSecs(310));
    QCOMPARE(sessions[1].track.first().time, kStart.addSecs(200));
    QCOMPARE(sessions[1].track.last().time, kStart.addSecs(300));

    const course::Course bike = exchange::courseOf(sessions[2]);
    QCOMPARE(bike.start, kStart.addSecs(1000));
    QCOMPARE(bike.samples.size(), 91);
    QCOMPARE(bike.samples.first().seconds, 0.0);
    QCOMPARE(bike.samples.last().seconds, 900.0);
    QCOMPARE(exchange::courseOf(sessions[0]).samples.first().seconds, -10.0);
}

// Compressed timestamps count on from the one before, also over minutes.
void TestFitReader::longRunsOfCompressedTimestamps()
{
    FitWriter w;
    const quint32 t = FitWriter::fitTime(kStart) & ~0x1Fu;
    w.define(0, 20, {{253, 4, fit::UInt32}, {3, 1, fit::UInt8}});
    w.define(1, 20, {{3, 1, fit::UInt8}});
    w.data(0, {t, 100});
    for (quint32 s = 10; s <= 200; s += 10)
        w.compressed(1, (t + s) & 0x1F, {100});
    const auto read = readFit(w.file());
    QVERIFY2(read.ok(), qPrintable(read.reason));
    const auto& track = read.activity->sessions.first().track;
    QCOMPARE(track.size(), 21);
    for (int i = 0; i < track.size(); ++i)
        QCOMPARE(FitWriter::fitTime(track[i].time), t + 10u * i);
}

void TestFitReader::filesOfOtherKindsAreRefused()
{
    for (const auto& [type, words] : {std::pair{2, "Einstellungen"}, std::pair{5, "Trainingsplan"},
                                      std::pair{6, "Strecke"}, std::pair{9, "Gewicht"},
                                      std::pair{32, "Tagesaktivität"}, std::pair{44, "FIT-Dateityp 44"}}) {
        const auto read = readFit(handMade(false, type));
        QVERIFY(!read.ok());
        QVERIFY2(read.reason.contains(QString::fromUtf8(words)), qPrintable(read.reason));
    }
    FitWriter empty;
    empty.define(0, 0, {{0, 1, fit::Enum}});
    empty.data(0, {4});
    QVERIFY(readFit(empty.file()).reason.contains(QStringLiteral("kein Training")));
}

// Wrong check sums, cut at every byte, a header that claims 4 GB, records
// of no definition, random bytes: each refused with a reason, none read.
void TestFitReader::damagedFilesAreRefusedWithoutHarm()
{
    const QByteArray good = fitActivity(kStart, {{30, 100, 120}, {30, 100, 130}});
    QVERIFY(readFit(good).ok());
    auto refused = [](const QByteArray& bytes, const char* words) {
        const auto read = readFit(bytes);
        return !read.ok() && read.reason.contains(QString::fromUtf8(words));
    };
    QByteArray spoilt = good;
    spoilt[40] = char(spoilt[40] ^ 0x01);
    QVERIFY(refused(spoilt, "Prüfsumme falsch"));
    spoilt = good;
    spoilt[1] = char(spoilt[1] ^ 0x01);
    QVERIFY(refused(spoilt, "Prüfsumme des Kopfes"));
    for (int size = 1; size < good.size(); ++size)
        QVERIFY2(refused(good.left(size), "Die Datei"), qPrintable(QString::number(size)));
    QVERIFY(refused(good.left(good.size() - 1), "unvollständig"));
    QVERIFY(refused(QByteArray(), "leer"));
    spoilt = good;
    spoilt[4] = spoilt[5] = spoilt[6] = spoilt[7] = char(0xFF);
    spoilt[12] = spoilt[13] = 0; // a header without its own check sum
    QVERIFY(refused(spoilt, "unvollständig"));
    QVERIFY(refused(good + "Rest", "unbekannte Daten"));

    FitWriter w;
    w.define(0, 0, {{0, 1, fit::Enum}});
    w.data(3, {4});
    QVERIFY(refused(w.file(), "ohne Definition"));

    QRandomGenerator random(24);
    for (int round = 0; round < 300; ++round) {
        QByteArray noise(int(random.bounded(1, 4000)), Qt::Uninitialized);
        for (char& c : noise)
            c = char(random.bounded(256));
        if (round % 2 == 0) {
            // A valid header and check sum around noise: the records must be
            // walked without reading past them.
            noise = good.left(14) + noise;
            const quint32 size = quint32(noise.size() - 14);
            for (int i = 0; i < 4; ++i)
                noise[4 + i] = char((size >> (8 * i)) & 0xFF);
            const quint16 head = exchange::fitCrc(noise.constData(), 12);
            noise[12] = char(head & 0xFF);
            noise[13] = char(head >> 8);
            const quint16 crc = exchange::fitCrc(noise.constData(), noise.size());
            noise.append(char(crc & 0xFF)).append(char(crc >> 8));
        }
        const auto read = readFit(noise);
        QVERIFY(read.ok() || !read.reason.isEmpty());
    }
}

// 70,000 laps, and sessions that name laps the file does not hold.
void TestFitReader::manyLapsReadQuickly()
{
    FitWriter w;
    const quint32 t = FitWriter::fitTime(kStart);
    w.define(0, 0, {{0, 1, fit::Enum}});
    w.data(0, {4});
    w.define(1, 19, {{2, 4, fit::UInt32}, {9, 4, fit::UInt32}});
    for (int i = 0; i < 70000; ++i)
        w.data(1, {t + quint64(i), 100});
    w.define(2, 18, {{2, 4, fit::UInt32}, {25, 2, fit::UInt16}, {26, 2, fit::UInt16}});
    w.data(2, {t, 65000, 65535});
    const auto read = readFit(w.file());
    QVERIFY2(read.ok(), qPrintable(read.reason));
    QCOMPARE(read.activity->sessions.first().laps.size(), 70000);

    // Sessions that each name all laps get each lap once; a file of more
    // sessions than any device records is refused.
    for (int i = 0; i < 1000; ++i)
        w.data(2, {t, 0, 65535});
    const auto many = readFit(w.file());
    QVERIFY(!many.ok());
    QVERIFY2(many.reason.contains(QStringLiteral("mehr als 1000 Einheiten")), qPrintable(many.reason));
    FitWriter fewer;
    fewer.define(0, 19, {{9, 4, fit::UInt32}});
    for (int i = 0; i < 65535; ++i)
        fewer.data(0, {100});
    fewer.define(2, 18, {{2, 4, fit::UInt32}, {25, 2, fit::UInt16}, {26, 2, fit::UInt16}});
    for (int i = 0; i < 500; ++i)
        fewer.data(2, {t, 0, 65535});
    const auto shared = readFit(fewer.file());
    QVERIFY2(shared.ok(), qPrintable(shared.reason));
    qsizetype lapsRead = 0;
    for (const auto& session : shared.activity->sessions)
        lapsRead += session.laps.size();
    QCOMPARE(lapsRead, 65535);
}

QTEST_GUILESS_MAIN(TestFitReader)
#include "tst_fitreader.moc"
