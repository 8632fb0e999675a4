#include "activityfile.h"
#include "gpxreader.h"
#include "tcxreader.h"
#include "trackmath.h"
#include "xmlvalues.h"

#include <QStringEncoder>
#include <QTest>

#include <tuple>

using namespace exchange;

class TestXmlReaders : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void tcxLapsPointsAndTotals();
    void tcxActivitiesSportsAndPrefixes();
    void gpxVersionsHeartRateAndGaps();
    void gpxTracksOfOneOutingAreOneTraining();
    void encodingsAsDeclared();
    void filesWithoutTrainingAreRefused();
    void damagedAndCutOffFilesAreRefused();
    void hugeTextsStayBounded();
    void attributeFloodsAreRefused();
    void timeForms();
    void distanceAlongAMeridian();
    void formatDetectionByRoot();
};

namespace {

QByteArray tcx(const QByteArray& activities, const QByteArray& prefix = {})
{
    const QByteArray p = prefix.isEmpty() ? QByteArray() : prefix + ':';
    const QByteArray ns = prefix.isEmpty() ? QByteArray("xmlns") : "xmlns:" + prefix;
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<" + p + "TrainingCenterDatabase " + ns
        + "=\"http://www.garmin.com/xmlschemas/TrainingCenterDatabase/v2\">\n" + activities + "\n</" + p
        + "TrainingCenterDatabase>\n";
}

const QByteArray TwoLaps = tcx(R"(<Activities><Activity Sport="Running">
<Id>2024-05-01T08:00:00Z</Id>
<Lap StartTime="2024-05-01T08:00:00Z"><TotalTimeSeconds>600</TotalTimeSeconds><DistanceMeters>2000.5</DistanceMeters>
 <AverageHeartRateBpm><Value>140</Value></AverageHeartRateBpm><MaximumHeartRateBpm><Value>150</Value></MaximumHeartRateBpm>
 <Track>
  <Trackpoint><Time>2024-05-01T10:00:00.500+02:00</Time><Position><LatitudeDegrees>47.5</LatitudeDegrees><LongitudeDegrees>8.25</LongitudeDegrees></Position><AltitudeMeters>-12.5</AltitudeMeters><DistanceMeters>0</DistanceMeters><HeartRateBpm><Value>120</Value></HeartRateBpm><Cadence>88</Cadence><Extensions><ns3:TPX xmlns:ns3="http://www.garmin.com/xmlschemas/ActivityExtension/v2"><ns3:Speed>3.25</ns3:Speed><ns3:Watts>250</ns3:Watts></ns3:TPX></Extensions></Trackpoint>
  <Trackpoint><Time>2024-05-01T08:10:05Z</Time><DistanceMeters>2000</DistanceMeters></Trackpoint>
 </Track>
 <Extensions><LX><AvgSpeed>3.3</AvgSpeed></LX></Extensions>
</Lap>
<Lap StartTime="2024-05-01T08:10:05Z"><TotalTimeSeconds>1800</TotalTimeSeconds><DistanceMeters>6000</DistanceMeters><Cadence>77</Cadence>
 <AverageHeartRateBpm><Value>160</Value></AverageHeartRateBpm><MaximumHeartRateBpm><Value>175</Value></MaximumHeartRateBpm>
 <Track><Trackpoint><Time>2024-05-01T08:40:00Z</Time></Trackpoint></Track>
</Lap>
<Creator><Name>Uhr</Name></Creator>
</Activity></Activities>
<Courses><Course><Lap><TotalTimeSeconds>99</TotalTimeSeconds></Lap></Course></Courses>)");

const QByteArray Gpx11 = R"(<?xml version="1.0" encoding="UTF-8"?>
<gpx version="1.1" xmlns="http://www.topografix.com/GPX/1/1" xmlns:gpxtpx="http://www.garmin.com/xmlschemas/TrackPointExtension/v1" xmlns:ns3="http://www.garmin.com/xmlschemas/TrackPointExtension/v2">
 <metadata><time>2020-01-01T00:00:00Z</time></metadata>
 <wpt lat="1" lon="1"><time>2020-01-01T00:00:00Z</time></wpt>
 <trk><name>Morgenlauf</name><type>Running</type>
  <trkseg></trkseg>
  <trkseg>
   <trkpt lat="47.0" lon="8.0"><ele>400</ele><extensions><gpxtpx:TrackPointExtension><gpxtpx:hr>130</gpxtpx:hr></gpxtpx:TrackPointExtension></extensions></trkpt>
   <trkpt lat="47.001" lon="8.0"><ele>401.5</ele><time>2024-05-01T06:00:00Z</time><extensions><power>210</power><ns3:TrackPointExtension><ns3:hr>141</ns3:hr><ns3:cad>91</ns3:cad><ns3:speed>3.5</ns3:speed></ns3:TrackPointExtension></extensions></trkpt>
  </trkseg>
  <trkseg><trkpt lat="47.002" lon="8.0"><time>2024-05-01T06:20:00Z</time></trkpt></trkseg>
 </trk>
 <trk><type>Ride</type><trkseg/></trk>
 <trk><type>kayak</type><trkseg><trkpt lat="0" lon="0"><time>2024-05-02T06:00:00</time></trkpt></trkseg></trk>
</gpx>
)";

QDateTime utc(const char* text)
{
    return QDateTime::fromString(QString::fromLatin1(text), Qt::ISODate).toUTC();
}

} // namespace

void TestXmlReaders::tcxLapsPointsAndTotals()
{
    const ReadResult read = readTcx(TwoLaps);
    QVERIFY2(read.ok(), qPrintable(read.reason));
    QCOMPARE(read.activity->sessions.size(), 1); // the course's lap is no training
    const Session& s = read.activity->sessions.first();
    QCOMPARE(s.sport, Sport::Running);
    QCOMPARE(s.start, utc("2024-05-01T08:00:00Z"));
    QCOMPARE(s.laps.size(), 2);
    QCOMPARE(s.laps[0].start, utc("2024-05-01T08:00:00Z"));
    QCOMPARE(s.laps[0].timerSeconds, 600.0);
    QCOMPARE(s.laps[0].distanceMeters, 2000.5); // the lap's own, not a track point's
    QCOMPARE(s.laps[0].averageHeartRate, 140);
    QCOMPARE(s.laps[0].maximumHeartRate, 150);
    QCOMPARE(s.laps[0].elapsedSeconds, 605.0);
    QCOMPARE(s.laps[1].elapsedSeconds, 1795.0);
    QCOMPARE(s.timerSeconds, 2400.0);
    QCOMPARE(s.distanceMeters, 8000.5);
    QCOMPARE(s.averageHeartRate, 155); // (140 * 600 + 160 * 1800) / 2400
    QCOMPARE(s.maximumHeartRate, 175);
    QCOMPARE(s.elapsedSeconds, 2400.0);

    QCOMPARE(s.track.size(), 3);
    const TrackPoint& p = s.track[0];
    QCOMPARE(p.time, utc("2024-05-01T08:00:00.500Z"));
    QCOMPARE(p.latitude, 47.5);
    QCOMPARE(p.longitude, 8.25);
    QCOMPARE(p.distance, 0.0);
    QCOMPARE(p.heartRate, 120);
    QCOMPARE(p.altitude, -12.5);
    QCOMPARE(p.cadence, 88);
    QCOMPARE(p.speed, 3.25);
    QCOMPARE(p.power, 250);
    QCOMPARE(s.track[1].latitude, std::nullopt);
    QCOMPARE(s.track[1].heartRate, std::nullopt);
    // The lap's cadence is no sample's.
    QVERIFY(!s.track[1].altitude && !s.track[1].cadence && !s.track[1].speed && !s.track[1].power);
    QCOMPARE(s.track[2].cadence, std::nullopt);
}

void TestXmlReaders::tcxActivitiesSportsAndPrefixes()
{
    const QByteArray activities = R"(<t:Activities>
<t:Activity Sport="Biking"><t:Id>2024-06-01T07:00:00Z</t:Id><t:Lap StartTime="2024-06-01T07:00:00Z"><t:TotalTimeSeconds>60</t:TotalTimeSeconds></t:Lap></t:Activity>
<t:Activity Sport="Other"><t:Lap StartTime="2024-06-01T09:00:00Z"><t:DistanceMeters>5</t:DistanceMeters></t:Lap>
 <t:Lap StartTime="2024-06-01T09:30:00Z"/></t:Activity>
<t:Activity Sport="Running"><t:Id>kein Datum</t:Id><t:Lap><t:Track><t:Trackpoint><t:Time>2024-06-02T05:00:00Z</t:Time></t:Trackpoint></t:Track></t:Lap></t:Activity>
<t:Activity Sport="Running"><t:Id>2024-06-03T05:00:00Z</t:Id></t:Activity>
</t:Activities>)";
    const ReadResult read = readTcx(tcx(activities, "t"));
    QVERIFY2(read.ok(), qPrintable(read.reason));
    const QList<Session>& sessions = read.activity->sessions;
    QCOMPARE(sessions.size(), 3); // the activity without laps gives nothing
    QCOMPARE(sessions[0].sport, Sport::Cycling);
    QCOMPARE(sessions[0].timerSeconds, 60.0);
    QCOMPARE(sessions[0].distanceMeters, std::nullopt);
    QCOMPARE(sessions[0].averageHeartRate, std::nullopt);
    QCOMPARE(sessions[1].sport, Sport::Other);
    QCOMPARE(sessions[1].sportName, QStringLiteral("Other"));
    QCOMPARE(sessions[1].start, utc("2024-06-01T09:00:00Z")); // no Id: the first lap's start
    QCOMPARE(sessions[1].laps.size(), 2);
    QCOMPARE(sessions[1].elapsedSeconds, std::nullopt); // its laps have no points
    QCOMPARE(sessions[2].start, utc("2024-06-02T05:00:00Z")); // neither: the first point's time
    QCOMPARE(sessions[2].laps[0].start, sessions[2].start);
}

void TestXmlReaders::gpxVersionsHeartRateAndGaps()
{
    const ReadResult read = readGpx(Gpx11);
    QVERIFY2(read.ok(), qPrintable(read.reason));
    const QList<Session>& sessions = read.activity->sessions;
    QCOMPARE(sessions.size(), 2); // the track without points is left out
    const Session& run = sessions[0];
    QCOMPARE(run.sport, Sport::Running);
    QCOMPARE(run.track.size(), 3); // the point without time is kept
    QVERIFY(!run.track[0].time.isValid());
    QCOMPARE(run.track[0].heartRate, 130);
    QCOMPARE(run.track[1].heartRate, 141);
    QCOMPARE(run.track[0].altitude, 400.0);
    QCOMPARE(run.track[1].altitude, 401.5);
    QCOMPARE(run.track[1].cadence, 91);
    QCOMPARE(run.track[1].power, 210);
    QCOMPARE(run.track[1].speed, 3.5);
    QVERIFY(!run.track[2].altitude && !run.track[2].cadence && !run.track[2].power && !run.track[2].speed);
    QCOMPARE(run.start, utc("2024-05-01T06:00:00Z"));
    QCOMPARE(run.elapsedSeconds, 1200.0);
    QCOMPARE(run.averageHeartRate, 136); // 135.5 rounded
    QCOMPARE(run.maximumHeartRate, 141);
    QVERIFY(run.laps.isEmpty());
    QVERIFY(qAbs(*run.distanceMeters - 222.39) < 0.1);
    QCOMPARE(sessions[1].sport, Sport::Generic);
    QCOMPARE(sessions[1].start, utc("2024-05-02T06:00:00Z")); // no zone: UTC
    QCOMPARE(sessions[1].elapsedSeconds, 0.0);
    QCOMPARE(sessions[1].averageHeartRate, std::nullopt);

    const QByteArray gpx10 = R"(<?xml version="1.0"?>
<gpx version="1.0" creator="x" xmlns="http://www.topografix.com/GPX/1/0"><trk><type>laufen</type><trkseg>
<trkpt lat="10" lon="20"><time>2024-01-01T10:00:00Z</time><speed>3</speed></trkpt>
<trkpt lat="10.5" lon="20"><time>2024-01-01T10:30:00Z</time></trkpt></trkseg></trk></gpx>)";
    const ReadResult old = readGpx(gpx10);
    QVERIFY2(old.ok(), qPrintable(old.reason));
    QCOMPARE(old.activity->sessions[0].sport, Sport::Running);
    QCOMPARE(old.activity->sessions[0].track.size(), 2);
    QCOMPARE(old.activity->sessions[0].track[1].latitude, 10.5);
    QCOMPARE(old.activity->sessions[0].track[0].speed, 3.0);
}

// Tracks of one sport within two hours on one day are one training of a
// lap each; a track hours later, or of another sport, is a training of its own.
void TestXmlReaders::gpxTracksOfOneOutingAreOneTraining()
{
    QByteArray gpx = "<gpx version=\"1.1\" xmlns=\"http://www.topografix.com/GPX/1/1\">";
    // start (h:mm), minutes, degrees north walked, type
    const QList<std::tuple<const char*, int, double, const char*>> tracks{
        {"09:00", 20, 0.01, ""}, {"09:25", 10, 0.02, ""}, {"11:30", 5, 0.005, ""}, {"14:00", 30, 0.03, ""},
        {"14:31", 30, 0.03, "cycling"}};
    double latitude = 47.0;
    for (const auto& [start, minutes, degrees, type] : tracks) {
        const QDateTime begin = utc(QByteArray("2024-06-01T").append(start).append(":00Z").constData());
        gpx += QStringLiteral("<trk><name>ACTIVE LOG</name><type>%1</type><trkseg>"
                              "<trkpt lat=\"%2\" lon=\"8\"><time>%3</time></trkpt>"
                              "<trkpt lat=\"%4\" lon=\"8\"><time>%5</time></trkpt></trkseg></trk>")
                   .arg(QLatin1String(type))
                   .arg(latitude)
                   .arg(begin.toString(Qt::ISODate))
                   .arg(latitude + degrees)
                   .arg(begin.addSecs(60 * minutes).toString(Qt::ISODate))
                   .toUtf8();
        latitude += degrees;
    }
    gpx += "</gpx>";
    const ReadResult read = readGpx(gpx);
    QVERIFY2(read.ok(), qPrintable(read.reason));
    const QList<Session>& sessions = read.activity->sessions;
    QCOMPARE(sessions.size(), 3);
    const Session& walk = sessions[0];
    QCOMPARE(walk.laps.size(), 3);
    QCOMPARE(walk.start, utc("2024-06-01T09:00:00Z"));
    QCOMPARE(*walk.timerSeconds, 35 * 60.0);
    QCOMPARE(*walk.laps[1].timerSeconds, 10 * 60.0);
    QVERIFY(qAbs(*walk.laps[1].distanceMeters - 2223.9) < 1.0);
    QVERIFY(qAbs(*walk.distanceMeters - 3891.8) < 1.0);
    QCOMPARE(sessions[1].laps.size(), 0); // one track stays as it was
    QCOMPARE(sessions[2].sport, Sport::Cycling);
}

void TestXmlReaders::encodingsAsDeclared()
{
    // The name holds an umlaut; read in the wrong encoding the file fails.
    const QString text = QStringLiteral(
        "<?xml version=\"1.0\" encoding=\"%1\"?><gpx><trk><name>Lauf am Mühlbach</name><trkseg>"
        "<trkpt lat=\"1\" lon=\"2\"><time>2024-05-01T06:00:00Z</time></trkpt></trkseg></trk></gpx>");
    const QByteArray bom = "\xEF\xBB\xBF";
    QList<QByteArray> files{bom + text.arg(u"UTF-8").toUtf8(), text.arg(u"ISO-8859-1").toLatin1(),
                            text.arg(u"windows-1252").toLatin1()};
    for (QStringConverter::Encoding e : {QStringConverter::Utf16LE, QStringConverter::Utf16BE}) {
        QStringEncoder encoder(e, QStringConverter::Flag::WriteBom);
        files.append(encoder.encode(text.arg(u"UTF-16")));
    }
    for (const QByteArray& file : std::as_const(files)) {
        const ReadResult read = readGpx(file);
        QVERIFY2(read.ok(), qPrintable(read.reason));
        QCOMPARE(read.activity->sessions[0].track[0].longitude, 2.0);
        QVERIFY(looksLikeGpx(file));
    }
}

void TestXmlReaders::filesWithoutTrainingAreRefused()
{
    const QString noTimes =
        QStringLiteral("Die Datei enthält keine Zeitangaben; ohne Datum lässt sich kein Eintrag anlegen.");
    const struct {
        QByteArray file;
        bool gpx;
        QString reason;
    } cases[] = {
        {"<gpx><trk><trkseg><trkpt lat=\"1\" lon=\"1\"/></trkseg></trk></gpx>", true, noTimes},
        {"<gpx><wpt lat=\"1\" lon=\"1\"><time>2024-01-01T00:00:00Z</time></wpt><rte><rtept lat=\"1\" "
         "lon=\"1\"/></rte><trk><trkseg/></trk></gpx>",
         true, QStringLiteral("Die Datei enthält kein Training (keine Trackpunkte).")},
        {tcx("<Courses><Course><Lap><TotalTimeSeconds>5</TotalTimeSeconds></Lap></Course></Courses>"), false,
         QStringLiteral("Die Datei enthält kein Training, sondern eine Strecke.")},
        {tcx("<Activities/><Workouts><Workout Sport=\"Running\"/></Workouts>"), false,
         QStringLiteral("Die Datei enthält kein Training, sondern einen Trainingsplan.")},
        {tcx("<Activities><Activity Sport=\"Running\"><Id>2024-01-01T00:00:00Z</Id></Activity></Activities>"),
         false, QStringLiteral("Die Datei enthält kein Training (keine Runde).")},
        {tcx("<Activities><Activity><Lap><TotalTimeSeconds>5</TotalTimeSeconds></Lap></Activity></Activities>"),
         false, noTimes},
        {"", false, QStringLiteral("Die Datei ist leer.")},
        {"\x0e\x10\x98\x00.FIT", false, QStringLiteral("Die Datei ist keine TCX-Datei.")},
        {Gpx11, false, QStringLiteral("Die Datei ist keine TCX-Datei.")},
        {TwoLaps, true, QStringLiteral("Die Datei ist keine GPX-Datei.")},
    };
    for (const auto& c : cases) {
        const ReadResult read = c.gpx ? readGpx(c.file) : readTcx(c.file);
        QVERIFY2(!read.ok(), c.file.constData());
        QCOMPARE(read.reason, c.reason);
    }
}

void TestXmlReaders::damagedAndCutOffFilesAreRefused()
{
    // Every cut before the closing tag is refused with a reason.
    for (const QByteArray& whole : {TwoLaps, Gpx11}) {
        const qsizetype end = whole.lastIndexOf('>');
        const bool gpx = whole == Gpx11;
        for (qsizetype cut = 0; cut < end; ++cut) {
            const ReadResult read = gpx ? readGpx(whole.left(cut)) : readTcx(whole.left(cut));
            QVERIFY2(!read.ok() && !read.reason.isEmpty(), qPrintable(QString::number(cut)));
        }
        // Padding behind the closed document does not spoil it.
        const QByteArray padded = whole.left(end + 1) + QByteArray(64, '\0');
        QVERIFY(gpx ? readGpx(padded).ok() : readTcx(padded).ok());
    }
    const ReadResult cut = readTcx(TwoLaps.left(TwoLaps.indexOf("<Track>")));
    QCOMPARE(cut.reason, QStringLiteral("Die Datei ist unvollständig (abgeschnitten in Zeile 7)."));

    QByteArray broken = Gpx11;
    broken.replace("</trkseg>\n  <trkseg><trkpt", "</trk>\n  <trkseg><trkpt");
    QCOMPARE(readGpx(broken).reason, QStringLiteral("Die Datei ist beschädigt (XML-Fehler in Zeile 10)."));
    // An entity bomb stops at the parser's expansion limit.
    const QByteArray bomb = R"(<?xml version="1.0"?><!DOCTYPE gpx [<!ENTITY a "aaaaaaaaaa"><!ENTITY b "&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;"><!ENTITY c "&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;"><!ENTITY d "&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;">]><gpx><trk><name>&d;&d;&d;&d;&d;&d;&d;&d;</name></trk></gpx>)";
    QVERIFY(!readGpx(bomb).ok());
}

// An element with masses of attributes would keep the parser busy for
// minutes; up to the limit, and with "=" in comments and values, a file reads.
void TestXmlReaders::attributeFloodsAreRefused()
{
    const auto attributes = [](int count) {
        QByteArray list;
        for (int i = 0; i < count; ++i)
            list += " a" + QByteArray::number(i) + "=\"1\"";
        return list;
    };
    QByteArray flood = TwoLaps;
    flood.replace("<Trackpoint>", "<Trackpoint" + attributes(100000) + ">");
    QCOMPARE(readActivity(flood).reason,
             QStringLiteral("Die Datei ist beschädigt (mehr als 1.000 Attribute an einem Element in Zeile 8)."));
    QStringEncoder utf16(QStringConverter::Utf16LE, QStringConverter::Flag::WriteBom);
    QByteArray wide = Gpx11;
    wide.replace("encoding=\"UTF-8\"", "encoding=\"UTF-16\"").replace("<gpx ", "<gpx" + attributes(5000) + " ");
    QVERIFY(readActivity(utf16.encode(QString::fromUtf8(wide))).reason.contains(u"1.000 Attribute"));

    QByteArray many = Gpx11;
    many.replace("<wpt ", "<!-- " + attributes(2000) + " --><wpt" + attributes(998) + " ")
        .replace("<name>", "<name t=\"" + QByteArray(2000, '=') + "\">");
    const ReadResult read = readActivity(many);
    QVERIFY2(read.ok(), qPrintable(read.reason));
    QCOMPARE(read.activity->sessions.size(), 2);
}

void TestXmlReaders::hugeTextsStayBounded()
{
    // A long text nobody needs is passed over; a value longer than any
    // value can be is no value.
    QByteArray file = Gpx11;
    file.replace("<name>Morgenlauf</name>", "<name>" + QByteArray(4 << 20, 'x') + "</name>");
    file.replace("<time>2024-05-01T06:20:00Z</time>", "<time>2024-05-01T06:20:00." + QByteArray(70, '0') + "Z</time>");
    ReadResult read = readGpx(file);
    QVERIFY2(read.ok(), qPrintable(read.reason));
    QVERIFY(!read.activity->sessions[0].track[2].time.isValid());
    QCOMPARE(read.activity->sessions[0].elapsedSeconds, 0.0);

    // One text of 200 MB ends the pass early instead of being collected.
    QByteArray huge;
    huge.reserve(201 << 20);
    huge += "<gpx><trk><trkseg><trkpt lat=\"1\" lon=\"1\"><time>";
    huge.append(200 << 20, '1');
    huge += "</time></trkpt></trkseg></trk></gpx>";
    read = readGpx(huge);
    QCOMPARE(read.reason, QStringLiteral("Die Datei ist beschädigt (überlanger Text in Zeile 1)."));
}

void TestXmlReaders::timeForms()
{
    const QDateTime expected = utc("2024-03-31T01:30:15Z");
    for (const char* text : {"2024-03-31T01:30:15Z", "2024-03-31T03:30:15+02:00", "2024-03-30T22:30:15-0300",
                             "2024-03-31T01:30:15", " 2024-03-31T01:30:15.000z\n", "2024-03-31T04:30:15+03"})
        QCOMPARE(parseXmlTime(QString::fromLatin1(text)), expected);
    QCOMPARE(parseXmlTime(u"2024-03-31T01:30:15.1234567Z"), expected.addMSecs(123));
    for (const char* text : {"", "2024-02-30T01:00:00Z", "2024-03-31T25:00:00Z", "2024-03-31", "1711848615",
                             "2024-03-31T01:30:15Zx", "2024-03-31T01:30:15+2:00", "2024-03-31T01:30:15."})
        QVERIFY2(!parseXmlTime(QString::fromLatin1(text)).isValid(), text);
}

void TestXmlReaders::distanceAlongAMeridian()
{
    QList<TrackPoint> track;
    for (int i = 0; i <= 10; ++i) {
        TrackPoint p;
        p.latitude = 45.0 + i * 0.1;
        p.longitude = 7.0;
        p.heartRate = i == 3 ? std::nullopt : std::optional<int>(100 + i);
        track.append(p);
        if (i == 5)
            track.append(TrackPoint()); // a point without position
    }
    const double degree = 2 * 3.14159265358979 * 6371008.8 / 360; // 111.195 km
    QVERIFY(qAbs(trackDistanceMeters(track) - degree) < degree * 0.001);
    QCOMPARE(trackDistanceMeters({}), 0.0);
    QCOMPARE(trackAverageHeartRate(track), 105);
    QCOMPARE(trackMaximumHeartRate(track), 110);
    QCOMPARE(trackAverageHeartRate({TrackPoint()}), std::nullopt);
}

void TestXmlReaders::formatDetectionByRoot()
{
    const QByteArray prologue = "\xEF\xBB\xBF<?xml version=\"1.0\"?>\n<!-- geschrieben von Hand -->\n";
    QVERIFY(looksLikeTcx(prologue + "<tcd:TrainingCenterDatabase xmlns:tcd=\"x\">"));
    QVERIFY(looksLikeTcx(TwoLaps.left(200)));
    QVERIFY(!looksLikeTcx(Gpx11));
    QVERIFY(looksLikeGpx(prologue + "<gpx version=\"1.1\"")); // cut within the root's start tag
    QVERIFY(!looksLikeGpx(prologue + "<gpxfile"));
    QStringEncoder utf16(QStringConverter::Utf16BE, QStringConverter::Flag::WriteBom);
    QVERIFY(looksLikeGpx(utf16.encode(u"<gpx creator=\"")));
    QVERIFY(!looksLikeGpx(TwoLaps));
    QVERIFY(!looksLikeGpx("\x0e\x10\x98\x00.FIT"));
    QVERIFY(!looksLikeGpx(QByteArray()));

    // A writer's long comment before the root does not hide the format.
    QByteArray commented = Gpx11;
    commented.insert(commented.indexOf('\n') + 1, "<!-- " + QByteArray(5000, 'x') + " -->\n");
    const ReadResult read = readActivity(commented);
    QVERIFY2(read.ok(), qPrintable(read.reason));
    QCOMPARE(read.activity->sessions.size(), 2);
}

QTEST_GUILESS_MAIN(TestXmlReaders)
#include "tst_xmlreaders.moc"
