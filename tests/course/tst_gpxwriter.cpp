#include "coursebuilder.h"
#include "gpxwriter.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QXmlStreamReader>

using namespace course;

class TestGpxWriter : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Written and read back: namespaces, one segment per stretch between
    // gaps, points without a position left out, values as written.
    void readBack()
    {
        Course c = coursebuilder::straight(30, 3.0);
        c.samples[5].latitude = kNone;
        c.samples[7].heartRate = kNone;
        for (int i = 20; i <= 30; ++i)
            c.samples[i].seconds += 50.0;
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("lauf.gpx"));
        QVERIFY(saveGpx(c, path, QStringLiteral("Lauf <früh> & mehr")));

        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QXmlStreamReader xml(&file);
        const QString gpxNs = QStringLiteral("http://www.topografix.com/GPX/1/1");
        const QString extNs = QStringLiteral("http://www.garmin.com/xmlschemas/TrackPointExtension/v1");
        int segments = 0;
        int points = 0;
        int heartRates = 0;
        QString name;
        QStringList times;
        QList<double> latitudes;
        while (!xml.atEnd()) {
            if (!xml.readNext() || !xml.isStartElement())
                continue;
            const auto element = xml.name();
            if (element == QLatin1String("gpx")) {
                QCOMPARE(xml.namespaceUri().toString(), gpxNs);
                QCOMPARE(xml.attributes().value(QLatin1String("version")).toString(), QStringLiteral("1.1"));
                QCOMPARE(xml.attributes().value(QLatin1String("creator")).toString(), QStringLiteral("Tramora"));
            } else if (element == QLatin1String("name")) {
                name = xml.readElementText();
            } else if (element == QLatin1String("trkseg")) {
                ++segments;
            } else if (element == QLatin1String("trkpt")) {
                QCOMPARE(xml.namespaceUri().toString(), gpxNs);
                ++points;
                latitudes.append(xml.attributes().value(QLatin1String("lat")).toDouble());
                QCOMPARE(xml.attributes().value(QLatin1String("lon")).toDouble(), 8.0);
            } else if (element == QLatin1String("time") && points > 0) {
                times.append(xml.readElementText());
            } else if (element == QLatin1String("ele")) {
                QCOMPARE(xml.readElementText().toDouble(), 400.0);
            } else if (element == QLatin1String("hr")) {
                QCOMPARE(xml.namespaceUri().toString(), extNs);
                QCOMPARE(xml.readElementText(), QStringLiteral("140"));
                ++heartRates;
            } else if (element == QLatin1String("cad")) {
                QCOMPARE(xml.namespaceUri().toString(), extNs);
                QCOMPARE(xml.readElementText(), QStringLiteral("85"));
            }
        }
        QVERIFY2(!xml.hasError(), qPrintable(xml.errorString()));
        QCOMPARE(name, QStringLiteral("Lauf <früh> & mehr"));
        QCOMPARE(segments, 2);
        QCOMPARE(points, 30);
        QCOMPARE(heartRates, 29);
        QCOMPARE(times.size(), 30);
        QCOMPARE(times.constFirst(), QStringLiteral("2026-05-03T07:30:00.000Z"));
        QCOMPARE(times.constLast(), QStringLiteral("2026-05-03T07:31:20.000Z"));
        QVERIFY(qAbs(latitudes[1] - c.samples[1].latitude) < 1e-7);
    }

    // A course without positions is still a valid, empty track; a folder
    // that is not there fails and leaves nothing.
    void emptyAndFailing()
    {
        Course c;
        c.samples.append(Sample{});
        const QByteArray bytes = gpx(c);
        QXmlStreamReader xml(bytes);
        int points = 0;
        while (!xml.atEnd())
            if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == QLatin1String("trkpt"))
                ++points;
        QVERIFY(!xml.hasError());
        QCOMPARE(points, 0);

        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("fehlt/lauf.gpx"));
        QVERIFY(!saveGpx(coursebuilder::straight(10, 3.0), path));
        QVERIFY(!QFile::exists(path));
    }
};

QTEST_GUILESS_MAIN(TestGpxWriter)
#include "tst_gpxwriter.moc"
