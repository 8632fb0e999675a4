#include "coursecurves.h"
#include "routemap.h"
#include "session.h"
#include "stringgrid.h"
#include "tform9.h"

#include "../course/coursebuilder.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QXmlStreamReader>

using course::Channel;

namespace {

// 2.5 km at 4:10 min/km with a climb of 50 m in the second kilometre.
course::Course hillRun()
{
    course::Course c = coursebuilder::straight(625, 4.0);
    for (int i = 250; i <= 625; ++i)
        c.samples[i].altitude = 400.0 + std::min(250, i - 250) * 0.2;
    return c;
}

QList<Entries::Unit> laps()
{
    return {{QStringLiteral("1"), QStringLiteral("1,5"), QStringLiteral("0:06:15"), QStringLiteral("138"),
             QStringLiteral("GA1")},
            {QStringLiteral("2"), QStringLiteral("1"), QStringLiteral("0:04:10"), QStringLiteral("-1"), QString()}};
}

QList<training::Zone> zones()
{
    // A zone without limits first, as in a new diary.
    return {{QStringLiteral("Fahrtspiel"), 0, 0}, {QStringLiteral("GA1"), 60, 75}, {QStringLiteral("GA2"), 76, 85}};
}

} // namespace

class TestCourseView : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // What the window shows of a run: bands of the recorded channels,
    // splits with the last partial km, the laps, totals and zones.
    void showsARun()
    {
        Session session;
        TForm9 form(session, hillRun(), laps(), zones(), 200, QStringLiteral("Laufen"));
        QCOMPARE(form.Curves->channels(),
                 (QList<Channel>{Channel::Pace, Channel::HeartRate, Channel::Altitude, Channel::Cadence}));
        StringGrid* grid = form.SplitsGrid;
        QCOMPARE(grid->gridRowCount(), 4);
        QCOMPARE(grid->cells(0, 1), QStringLiteral("1"));
        QCOMPARE(grid->cells(1, 1), QStringLiteral("4:10"));
        QCOMPARE(grid->cells(2, 1), QStringLiteral("4:10 /km"));
        QCOMPARE(grid->cells(3, 1), QStringLiteral("140"));
        QCOMPARE(grid->cells(4, 1), QStringLiteral("0 m"));
        QCOMPARE(grid->cells(4, 2), QStringLiteral("50 m"));
        QCOMPARE(grid->cells(0, 3), QStringLiteral("2,50"));
        QCOMPARE(grid->cells(1, 3), QStringLiteral("2:05"));

        QCOMPARE(form.LapsGrid->gridRowCount(), 3);
        QCOMPARE(form.LapsGrid->cells(1, 1), QStringLiteral("1,50"));
        QCOMPARE(form.LapsGrid->cells(3, 1), QStringLiteral("4:10 /km"));
        QCOMPARE(form.LapsGrid->cells(4, 2), QString()); // -1: no pulse

        const QString totals = form.TotalsLabel->text();
        QVERIFY2(totals.contains(QStringLiteral("Strecke: 2,50 km")), qPrintable(totals));
        QVERIFY(totals.contains(QStringLiteral("Anstieg: 50 m, Abstieg: 0 m")));
        QVERIFY(totals.contains(QStringLiteral("GA1: 10:25"))); // 140 of 200: 70 %
        QVERIFY(totals.contains(QStringLiteral("GA2: 0:00")));
        QVERIFY(!totals.contains(QStringLiteral("Fahrtspiel")));
        QVERIFY(form.GpxButton->isEnabled());
    }

    // The combo switches the axis; the cursor under the mouse shows every
    // value of its point under the curves and on the route.
    void axisAndCursor()
    {
        Session session;
        TForm9 form(session, hillRun(), laps(), zones(), 200, QStringLiteral("Laufen"));
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QCOMPARE(form.Curves->axis(), course::Axis::Distance);
        form.ComboBox1->setCurrentIndex(1);
        QCOMPARE(form.Curves->axis(), course::Axis::Time);

        QCOMPARE(form.cursorText(100), QStringLiteral("0,40 km  ·  1:40  ·  Tempo 4:10 /km  ·  HF 140  ·  Höhe 400 m  ·  Kadenz 85"));
        const QPointF at(form.Curves->width() / 2.0, 40);
        QMouseEvent move(QEvent::MouseMove, at, form.Curves->mapToGlobal(at), Qt::NoButton, Qt::NoButton,
                         Qt::NoModifier);
        QApplication::sendEvent(form.Curves, &move);
        const int index = form.Curves->cursorPoint();
        QVERIFY(index > 250 && index < 375); // the middle of the time
        QCOMPARE(index, form.Curves->pointAtPixel(at.x()));
        QCOMPARE(form.CursorLabel->text(), form.cursorText(index));
        QCOMPARE(form.Curves->toolTip(), form.cursorText(index));

        if (qEnvironmentVariableIsSet("TRAMORA_GRAB"))
            form.grab().save(qEnvironmentVariable("TRAMORA_GRAB"));
    }

    // Cycling shows km/h; a course without positions or cadence shows no
    // route band nor GPX, and an empty course opens too.
    void cyclingAndSparseCourses()
    {
        Session session;
        course::Course ride = coursebuilder::straight(300, 4.0);
        for (course::Sample& s : ride.samples)
            s.cadence = course::kNone;
        TForm9 bike(session, ride, {}, zones(), 0, QStringLiteral("Radfahren"));
        QCOMPARE(bike.Curves->channels(), (QList<Channel>{Channel::Speed, Channel::HeartRate, Channel::Altitude}));
        QCOMPARE(bike.SplitsGrid->cells(2, 1), QStringLiteral("14,4 km/h"));
        QVERIFY(bike.cursorText(10).contains(QStringLiteral("14,4 km/h")));
        QVERIFY(bike.TotalsLabel->text().contains(QStringLiteral("Kein Maximalpuls eingetragen")));

        course::Course indoor;
        for (int i = 0; i < 100; ++i) {
            course::Sample s;
            s.seconds = i;
            s.heartRate = 120;
            indoor.samples.append(s);
        }
        TForm9 treadmill(session, indoor, {}, zones(), 200, QStringLiteral("Laufen"));
        QVERIFY(!treadmill.GpxButton->isEnabled());
        QCOMPARE(treadmill.Curves->channels(), (QList<Channel>{Channel::HeartRate}));

        TForm9 empty(session, course::Course{}, {}, {}, 0, QString());
        empty.show();
        QVERIFY(QTest::qWaitForWindowExposed(&empty));
        QCOMPARE(empty.SplitsGrid->gridRowCount(), 2);
        QVERIFY(empty.TotalsLabel->text().contains(QStringLiteral("Keine Herzfrequenz aufgezeichnet")));
    }

    // The curves as PNG, SVG and PDF, the course as GPX; a folder that is
    // not there fails and leaves no file.
    void saving()
    {
        Session session;
        TForm9 form(session, hillRun(), laps(), zones(), 200, QStringLiteral("Laufen"));
        QTemporaryDir dir;
        const QString png = dir.filePath(QStringLiteral("v.png"));
        QVERIFY(form.saveCurves(png));
        QVERIFY(!QImage(png).isNull());
        const QString svg = dir.filePath(QStringLiteral("v.svg"));
        QVERIFY(form.saveCurves(svg));
        QFile svgFile(svg);
        QVERIFY(svgFile.open(QIODevice::ReadOnly));
        QXmlStreamReader xml(&svgFile);
        while (!xml.atEnd())
            xml.readNext();
        QVERIFY(!xml.hasError());
        const QString pdf = dir.filePath(QStringLiteral("v.pdf"));
        QVERIFY(form.saveCurves(pdf));
        QFile pdfFile(pdf);
        QVERIFY(pdfFile.open(QIODevice::ReadOnly));
        QVERIFY(pdfFile.read(5) == "%PDF-");
        QVERIFY(!form.saveCurves(dir.filePath(QStringLiteral("v.xyz"))));
        QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("v.xyz"))));

        const QString gpx = dir.filePath(QStringLiteral("v.gpx"));
        QVERIFY(form.saveGpx(gpx));
        QFile gpxFile(gpx);
        QVERIFY(gpxFile.open(QIODevice::ReadOnly));
        QCOMPARE(gpxFile.readAll().count("<trkpt "), 626);
        QVERIFY(!form.saveGpx(dir.filePath(QStringLiteral("fehlt/v.gpx"))));
        QVERIFY(!form.saveCurves(dir.filePath(QStringLiteral("fehlt/v.png"))));
    }

    // Opening a course of 10 hours at one sample a second (timed by hand).
    void longCourse()
    {
        Session session;
        const course::Course c = coursebuilder::straight(36000, 3.0);
        QElapsedTimer timer;
        timer.start();
        TForm9 form(session, c, laps(), zones(), 200, QStringLiteral("Laufen"));
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QApplication::processEvents();
        qInfo("10-hour course opened and drawn in %lld ms", timer.elapsed());
        QCOMPARE(form.SplitsGrid->gridRowCount(), 109);
    }
};

QTEST_MAIN(TestCourseView)
#include "tst_courseview.moc"
