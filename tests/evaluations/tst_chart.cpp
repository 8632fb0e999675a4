#include "chart.h"
#include "chartchecks.h"
#include "metafile.h"

#include <QBuffer>
#include <QImageReader>
#include <QPaintEngine>
#include <QProcess>
#include <QStandardPaths>
#include <QSignalSpy>
#include <QSvgGenerator>
#include <QTemporaryDir>
#include <QXmlStreamReader>
#include <QtTest>

#include <algorithm>
#include <cmath>

using namespace chart;

namespace {

Chart weeklyDistance()
{
    Chart c;
    c.title = {QStringLiteral("Trainingskilometer vom 01.01.2026 bis 31.03.2026"),
               QStringLiteral("alle Bereiche - Wochenauswertung"), QString(), QString()};
    c.foot = {QStringLiteral("23 Trainingseinheiten"),
              QStringLiteral("187,5 km im gewählten Trainingsbereich und Zeitraum")};
    c.axisFormat = QStringLiteral("###0 km");
    c.markFormat = QStringLiteral("###0.## km");
    const double km[] = {12.5, 30, 0, 45.25, 22, 38, 40};
    double top = 0;
    for (int i = 0; i < 7; ++i) {
        c.bars.append({double(i), km[i], QStringLiteral("KW %1 / 2026").arg(i + 1), QColor(200, 40, 60)});
        top = std::max(top, km[i]);
    }
    c.axisMaximum = top * 1.1;
    return c;
}

Chart zoneShares()
{
    Chart c;
    c.title = {QStringLiteral("Prozentualer Anteil der Trainingsbereiche vom 01.01.2026 bis 31.12.2026")};
    c.foot = {QStringLiteral("120 Trainingseinheiten"), QStringLiteral("1234,5 km im gewählten Zeitraum")};
    c.pie = {{55.0, QStringLiteral("55,0% Grundlagenausdauer 1 (679,0 km)"), QColor(30, 160, 90)},
             {20.0, QStringLiteral("20,0% Grundlagenausdauer 2 (246,9 km)"), QColor(220, 180, 20)},
             {12.0, QStringLiteral("12,0% Entwicklungsbereich (148,1 km)"), QColor(90, 60, 200)},
             {6.0, QStringLiteral("6,0% Spitzenbereich (74,1 km)"), QColor(200, 60, 60)},
             {4.0, QStringLiteral("4,0% Regeneration (49,4 km)"), QColor(20, 120, 200)},
             {3.0, QStringLiteral("3,0% nicht zugeordnet (37,0 km)"), QColor(120, 120, 40)}};
    return c;
}

} // namespace

class TestChart : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void formatsValues_data();
    void formatsValues();
    void drawsEveryKind_data();
    void drawsEveryKind();
    void marksForEveryPointOrNone();
    void emptyPieShowsNoAxes();
    void survivesDegenerateData();
    void timeAxisLabelledSparsely();
    void piesRoundAndLarge();
    void printsAtTheDevicesResolution();
    void savesPicturesReadableOutside();
    void metafilesReadableOutside_data();
    void metafilesReadableOutside();
};

void TestChart::formatsValues_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("format");
    QTest::addColumn<QString>("text");
    QTest::newRow("thousands") << 1234.5 << "#,##0.### km" << "1.234,5 km";
    QTest::newRow("millions") << 1234567.0 << "#,##0.### km" << "1.234.567 km";
    QTest::newRow("three decimals") << 0.1236 << "#,##0.### km" << "0,124 km";
    QTest::newRow("weight mark") << 72.25 << "#00.## kg" << "72,25 kg";
    QTest::newRow("two required digits") << 5.0 << "#00.## kg" << "05 kg";
    QTest::newRow("rounded integer") << 5.0 << "###0 km" << "5 km";
    QTest::newRow("rounds up") << 99.6 << "###0 km" << "100 km";
    QTest::newRow("no grouping without comma") << 12345.0 << "###0 km" << "12345 km";
    QTest::newRow("zero") << 0.0 << "##0 kg" << "0 kg";
    QTest::newRow("negative") << -3.5 << "##0.# kg" << "-3,5 kg";
    QTest::newRow("negative rounds to zero") << -0.004 << "##0.## kg" << "0 kg";
    QTest::newRow("halves away from zero") << 419.95 << "###0.0 km" << "420,0 km";
    QTest::newRow("negative half") << -2.25 << "##0.# kg" << "-2,3 kg";
}

void TestChart::formatsValues()
{
    QFETCH(double, value);
    QFETCH(QString, format);
    QFETCH(QString, text);
    QCOMPARE(formatValue(value, format), text);
}

void TestChart::drawsEveryKind_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<bool>("view3D");
    for (const char* kind : {"bars", "line", "both", "pie", "weight"}) {
        QTest::newRow(kind) << QString::fromLatin1(kind) << false;
        QTest::newRow((QByteArray(kind) + "-3d").constData()) << QString::fromLatin1(kind) << true;
    }
}

// The fixed colours, the series' colours and the value marks all reach the
// picture, flat and in 3D.
void TestChart::drawsEveryKind()
{
    QFETCH(QString, kind);
    QFETCH(bool, view3D);
    Chart c = kind == u"pie" ? zoneShares() : weeklyDistance();
    if (kind == u"line")
        std::swap(c.bars, c.line);
    if (kind == u"both")
        c.line = c.bars.mid(2);
    if (kind == u"weight") {
        // Daily weights above an axis that starts at two thirds of its top.
        c.bars.clear();
        for (int day = 0; day < 90; ++day)
            c.bars.append({double(day), 74 + 3 * std::sin(day / 7.0),
                           QStringLiteral("%1.02.2026").arg(day % 28 + 1, 2, 10, QChar(u'0')),
                           QColor(200, 40, 60)});
        c.axisFormat = QStringLiteral("##0 kg");
        c.markFormat = QStringLiteral("#00.## kg");
        c.axisMaximum = 77 * 1.1;
        c.axisMinimum = std::round(c.axisMaximum * 0.66);
    }
    c.view3D = view3D;
    c.depthPercent = kind == u"pie" ? 11 : 35;
    const QImage image = rendered(c);

    // Value marks; 90 daily weights are too dense for any (their values are in the tooltips).
    QCOMPARE(hasColour(image, QColor(255, 255, 210)), kind != u"weight");
    QCOMPARE(QColor(image.pixel(2, 2)).rgb(), QColor(164, 164, 255).rgb()); // top of the background
    if (kind == u"pie") {
        for (const Slice& slice : c.pie)
            QVERIFY2(hasColour(image, slice.colour), qPrintable(slice.label));
        QVERIFY(!hasColour(image, QColor(0, 0, 132)));
    } else {
        QVERIFY(hasColour(image, QColor(0, 0, 132)));
        QVERIFY(hasColour(image, QColor(228, 228, 228)));
        QCOMPARE(hasColour(image, QColor(200, 40, 60)), kind != u"line");
        QCOMPARE(hasColour(image, QColor(0, 128, 0)), kind == u"line" || kind == u"both");
    }

    // Clearing leaves the empty axes.
    c.clear();
    QVERIFY(c.isEmpty() && c.title.isEmpty() && c.foot.isEmpty());
    QCOMPARE(c.axisMinimum, 0.0);
    QCOMPARE(c.axisMaximum, 100.0);
    QVERIFY(!hasColour(rendered(c, QSize(676, 506), "-cleared"), QColor(200, 40, 60)));
}


// Close marks of similar height are shown all (turned where upright ones
// would cover each other); a chart too dense for any shows none and names
// the values on hover.
void TestChart::marksForEveryPointOrNone()
{
    Chart c;
    c.title = {QStringLiteral("Trainingskilometer vom 01.01.2007 bis 31.12.2007"),
               QStringLiteral("alle Bereiche - Monatsauswertung"), QString(), QString()};
    c.foot = {QStringLiteral("300 Trainingseinheiten")};
    c.axisFormat = QStringLiteral("###0 km");
    c.markFormat = QStringLiteral("###0.## km");
    const double km[] = {520.4, 498.1, 610.7, 655.0, 640.2, 679.3, 612.8, 584.9, 570.3, 602.6, 540.0, 495.5};
    for (int i = 0; i < 12; ++i)
        c.bars.append({double(i), km[i], QStringLiteral("%1 / 2007").arg(i + 1), QColor(200, 40, 60)});
    c.axisMaximum = 679.3 * 1.1;
    for (bool view3D : {false, true}) {
        c.view3D = view3D;
        const QSize size(676, 506);
        const QImage image = rendered(c, size);
        const QList<QPair<int, int>> found = slots(c, size);
        QCOMPARE(found.size(), 12);
        for (int i = 0; i < 12; ++i) {
            // A mark's pale box in the middle of its slot, over the bar.
            const int middle = (found[i].first + found[i].second) / 2;
            bool mark = false;
            for (int x = middle - 6; x <= middle + 12 && !mark; ++x)
                for (int y = 0; y < size.height() && !mark; ++y)
                    mark = QColor(image.pixel(x, y)).rgb() == QColor(255, 255, 210).rgb();
            QVERIFY2(mark, qPrintable(c.bars[i].label));
        }
    }

    c.view3D = false;
    c.bars.clear();
    for (int day = 0; day < 365; ++day)
        c.bars.append({double(day), double(5 + day % 17), QDate(2007, 1, 1).addDays(day).toString(QStringLiteral("dd.MM.yy")),
                       QColor(200, 40, 60)});
    c.axisMaximum = 22 * 1.1;
    QVERIFY(!hasColour(rendered(c), QColor(255, 255, 210)));
    ChartView view;
    view.resize(676, 506);
    view.chart() = c;
    const QList<QPair<int, int>> found = slots(c, view.size());
    QCOMPARE(found.size(), 365);
    QCOMPARE(view.toolTipAt(QPoint(found[40].first, view.height() / 2)), QStringLiteral("10.02.07: 11 km"));
    QCOMPARE(view.toolTipAt(QPoint(2, 2)), QString());
}

// A pie evaluation that found nothing shows its title over the empty pie
// area, not the walls and axis of a bar chart.
void TestChart::emptyPieShowsNoAxes()
{
    Chart c;
    c.title = {QStringLiteral("Nutzung der Laufschuhe über den gesamten Trainingszeitraum")};
    c.foot = {QStringLiteral("0,0 km gesamt")};
    c.pieMode = true;
    const QImage image = rendered(c);
    QVERIFY(!hasColour(image, QColor(0, 0, 132)));
    QVERIFY(!hasColour(image, QColor(228, 228, 228)));
    QCOMPARE(pointAt(c, QRectF(image.rect()), QPointF(300, 250)), -1);
    c.clear();
    QVERIFY(!c.pieMode);
    QVERIFY(hasColour(rendered(c), QColor(0, 0, 132)));
}

// Ranges and values the program can produce at the edges must neither hang
// the drawing (an axis of millions with the step 10) nor crash it.
void TestChart::survivesDegenerateData()
{
    Chart c = weeklyDistance();
    c.axisMinimum = 0;
    c.axisMaximum = 5e8;
    rendered(c, QSize(300, 200));
    c.axisMaximum = c.axisMinimum = 70;
    c.axisStep = 0;
    c.bars[0].y = std::nan("");
    rendered(c, QSize(40, 30));
    for (int i = 0; i < 2000; ++i)
        c.line.append({double(i), double(i % 50), QStringLiteral("%1.01.26").arg(i), QColor()});
    c.bars.clear();
    c.view3D = true;
    rendered(c, QSize(500, 300));

    Chart pie = zoneShares();
    pie.pie.append({0.0, QStringLiteral("leer"), QColor(1, 2, 3)});
    pie.pie.append({-5.0, QStringLiteral("negativ"), QColor(4, 5, 6)});
    const QImage image = rendered(pie, QSize(320, 200));
    QVERIFY(!hasColour(image, QColor(1, 2, 3)) && !hasColour(image, QColor(4, 5, 6)));
    QVERIFY(hasColour(image, pie.pie[0].colour));
}

// Daily points over twenty years, weekly and monthly ones: the labels under
// the axis, as the font draws them, never touch; a label's thickness stays
// free between two, and they stand at a regular step of points.
void TestChart::timeAxisLabelledSparsely()
{
    for (const int days : {7305, 1043, 240, 12}) {
        Chart c;
        c.title = {QStringLiteral("Trainingskilometer"), QString(), QString()};
        c.axisFormat = QStringLiteral("###0 km");
        c.markFormat = QStringLiteral("###0.## km");
        for (int i = 0; i < days; ++i)
            c.line.append({double(i), double(5 + i % 17), QDate(2006, 1, 1).addDays(i).toString(QStringLiteral("dd.MM.yy")),
                           QColor()});
        c.axisMaximum = 25;
        for (const QSize size : {QSize(676, 506), QSize(1700, 1000), QSize(250, 200)}) {
            TextRecorder device(size);
            QPainter painter(&device);
            render(c, painter, QRectF(QPointF(0, 0), QSizeF(size)));
            painter.end();
            QList<QRectF> boxes;
            QList<int> indexes;
            for (const TextRecorder::Text& t : device.texts()) {
                const int i = int(QDate(2006, 1, 1).daysTo(QDate::fromString(t.text, QStringLiteral("dd.MM.yy")).addYears(100)));
                if (t.text.size() == 8 && t.text[2] == u'.' && t.text[5] == u'.') {
                    boxes.append(t.box);
                    indexes.append(i);
                }
            }
            const QString where = QStringLiteral("%1 points at %2x%3").arg(days).arg(size.width()).arg(size.height());
            QVERIFY2(boxes.size() >= 2, qPrintable(where));
            QVERIFY2(boxes[0].height() > boxes[0].width(), qPrintable(where)); // turned
            const int step = indexes[1] - indexes[0];
            for (int i = 1; i < boxes.size(); ++i) {
                QVERIFY2(boxes[i].left() - boxes[i - 1].right() >= boxes[i].width() * 0.9,
                         qPrintable(where + QStringLiteral(": ") + QString::number(i)));
                QCOMPARE(indexes[i] - indexes[i - 1], step);
            }
            if (days == 12 && size.width() > 600)
                QCOMPARE(boxes.size(), 12); // room for all: all are shown
        }
    }
}

// A pie is round, whatever the window's shape, and as large as the room
// beside its labels allows: a taller or wider chart draws a larger pie.
void TestChart::piesRoundAndLarge()
{
    const Chart c = zoneShares();
    auto pieBox = [&](QSize size) {
        const QImage image = rendered(c, size);
        QRect box;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                for (const Slice& slice : c.pie)
                    if ((image.pixel(x, y) | 0xff000000) == slice.colour.rgb())
                        box |= QRect(x, y, 1, 1);
        return box;
    };
    int previous = 0;
    for (const QSize size : {QSize(500, 300), QSize(676, 506), QSize(1200, 900)}) {
        const QRect box = pieBox(size);
        QVERIFY2(std::abs(box.width() - box.height()) <= 3,
                 qPrintable(QStringLiteral("%1 x %2").arg(box.width()).arg(box.height())));
        QVERIFY(box.height() > previous);
        previous = box.height();
    }
    // A wide chart: the pie's height is the room's; a narrow one: the width
    // beside the labels.
    QVERIFY2(pieBox(QSize(1400, 500)).height() > 500 * 0.6, qPrintable(QString::number(pieBox(QSize(1400, 500)).height())));
    const QRect narrow = pieBox(QSize(700, 900));
    QVERIFY2(narrow.height() < 900 / 2 && narrow.height() > 100, qPrintable(QString::number(narrow.height())));
}

// A printer page of 300 dpi gets the same drawing, its texts and lines
// scaled up rather than shrunk to specks.
void TestChart::printsAtTheDevicesResolution()
{
    auto titleRows = [](const QImage& image) {
        int rows = 0;
        for (int y = 0; y < image.height(); ++y) {
            const QRgb* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
            rows += std::any_of(line, line + image.width(),
                                [](QRgb p) { return qRed(p) > 100 && qGreen(p) < 40 && qBlue(p) < 40; });
        }
        return rows;
    };
    Chart c = weeklyDistance();
    c.bars.clear();
    c.foot.clear();
    const int screen = titleRows(rendered(c));
    QImage page(QSize(676, 506) * 300 / 96, QImage::Format_RGB32);
    page.setDotsPerMeterX(11811);
    page.setDotsPerMeterY(11811);
    page.fill(Qt::white);
    QPainter painter(&page);
    render(c, painter, QRectF(page.rect()));
    painter.end();
    QVERIFY(screen > 10);
    QVERIFY2(titleRows(page) > screen * 2.5, qPrintable(QString::number(titleRows(page))));
}

// BMP and PNG through QImage, SVG through QSvgGenerator at the view's size;
// each read back by a reader that knows nothing of the chart.
void TestChart::savesPicturesReadableOutside()
{
    ChartView view;
    view.chart() = weeklyDistance();
    QSignalSpy resized(&view, &ChartView::resized);
    view.resize(640, 420);
    view.show();
    QVERIFY(resized.count() >= 1);

    const QImage image = view.toImage();
    QCOMPARE(image.size(), view.size());
    QVERIFY(hasColour(image, QColor(200, 40, 60)));

    QTemporaryDir dir;
    for (const char* format : {"bmp", "png"}) {
        const QString file = dir.filePath(QStringLiteral("chart.") + QString::fromLatin1(format));
        QVERIFY(image.save(file, format));
        QImageReader reader(file);
        QCOMPARE(reader.format(), QByteArray(format));
        const QImage back = reader.read();
        QCOMPARE(back.size(), view.size());
        QVERIFY(hasColour(back, QColor(0, 0, 132)));
    }

    const QString svgFile = dir.filePath(QStringLiteral("chart.svg"));
    {
        QSvgGenerator svg;
        svg.setFileName(svgFile);
        svg.setSize(view.size());
        svg.setViewBox(QRect(QPoint(0, 0), view.size()));
        QPainter painter(&svg);
        render(view.chart(), painter, QRectF(view.rect()));
    }
    QFile file(svgFile);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QXmlStreamReader xml(&file);
    QString viewBox;
    int texts = 0;
    while (!xml.atEnd()) {
        if (xml.readNext() == QXmlStreamReader::StartElement) {
            if (xml.name() == u"svg")
                viewBox = xml.attributes().value(QStringLiteral("viewBox")).toString();
            texts += xml.name() == u"text";
        }
    }
    QVERIFY2(!xml.hasError(), qPrintable(xml.errorString()));
    QCOMPARE(viewBox, QStringLiteral("0 0 640 420"));
    QVERIFY(texts > 0);
}


void TestChart::metafilesReadableOutside_data()
{
    QTest::addColumn<bool>("emf");
    QTest::addColumn<bool>("pie");
    QTest::newRow("emf bars") << true << false;
    QTest::newRow("emf pie 3d") << true << true;
    QTest::newRow("wmf bars") << false << false;
    QTest::newRow("wmf pie") << false << true;
}

// Metafiles through our own paint device, checked by converters that know
// nothing of it: the SVG they make has the chart's size, its title and a
// shape for every bar (the bar's outline colour) or slice (its fill).
void TestChart::metafilesReadableOutside()
{
    QFETCH(bool, emf);
    QFETCH(bool, pie);
    const QString tool = QStandardPaths::findExecutable(emf ? QStringLiteral("emf2svg-conv") : QStringLiteral("wmf2svg"));
    if (tool.isEmpty())
        QSKIP("The metafile converter (emf2svg-conv or wmf2svg) is not installed.");

    Chart c = pie ? zoneShares() : weeklyDistance();
    c.view3D = emf && pie;
    const QSize size(640, 420);
    QTemporaryDir dir;
    const QString file = dir.filePath(emf ? QStringLiteral("chart.emf") : QStringLiteral("chart.wmf"));
    const QString svgFile = dir.filePath(QStringLiteral("chart.svg"));
    {
        MetafileDevice device(file, size, emf ? MetafileDevice::Format::Emf : MetafileDevice::Format::Wmf);
        QPainter painter(&device);
        render(c, painter, QRectF(QPointF(0, 0), size));
        QVERIFY(painter.end());
    }
    QProcess convert;
    convert.start(tool, emf ? QStringList{QStringLiteral("-i"), file, QStringLiteral("-o"), svgFile}
                            : QStringList{QStringLiteral("-o"), svgFile, file});
    QVERIFY(convert.waitForFinished());
    QVERIFY2(convert.exitStatus() == QProcess::NormalExit && convert.exitCode() == 0,
             convert.readAllStandardError().constData());

    QFile svgIn(svgFile);
    QVERIFY(svgIn.open(QIODevice::ReadOnly));
    const QString svg = QString::fromUtf8(svgIn.readAll());
    QXmlStreamReader xml(svg);
    QSizeF svgSize;
    QString texts;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement() && xml.name() == u"svg")
            svgSize = QSizeF(xml.attributes().value(QStringLiteral("width")).toString().remove(QStringLiteral("px")).toDouble(),
                             xml.attributes().value(QStringLiteral("height")).toString().remove(QStringLiteral("px")).toDouble());
        if (xml.isCharacters())
            texts += xml.text();
    }
    QVERIFY2(!xml.hasError(), qPrintable(xml.errorString()));
    QVERIFY2(std::abs(svgSize.width() - size.width()) <= 1 && std::abs(svgSize.height() - size.height()) <= 1,
             qPrintable(QStringLiteral("%1 x %2").arg(svgSize.width()).arg(svgSize.height())));
    QVERIFY2(texts.contains(c.title.constFirst()), qPrintable(texts.left(400)));
    // Every bar's and every slice's label; colours where the converter
    // keeps them (wmf2svg names the nearest colour instead).
    if (pie) {
        for (const Slice& slice : c.pie) {
            QVERIFY2(texts.contains(slice.label), qPrintable(slice.label));
            QVERIFY(!emf || colourCount(svg, slice.colour) >= 1);
        }
    } else {
        QCOMPARE(texts.count(QStringLiteral("KW ")), c.bars.size());
        if (emf) {
            QCOMPARE(colourCount(svg, c.bars.constFirst().colour.darker(150)), c.bars.size());
            QVERIFY(colourCount(svg, QColor(0, 0, 132)) >= 1); // bottom wall
        }
    }
}

QTEST_MAIN(TestChart)
#include "tst_chart.moc"
