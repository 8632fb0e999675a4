#include "chart.h"
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

bool hasColour(const QImage& image, const QColor& colour)
{
    const QRgb wanted = colour.rgb();
    for (int y = 0; y < image.height(); ++y) {
        const QRgb* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x)
            if ((line[x] | 0xff000000) == wanted)
                return true;
    }
    return false;
}

QImage rendered(const Chart& c, QSize size = QSize(676, 506), const char* suffix = "")
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    render(c, painter, QRectF(QPointF(0, 0), QSizeF(size)));
    painter.end();
    // Set TRAMORA_CHART_PICTURES to a folder to look at the drawings.
    const QString folder = qEnvironmentVariable("TRAMORA_CHART_PICTURES");
    if (!folder.isEmpty() && QTest::currentDataTag())
        image.save(folder + u'/' + QString::fromLatin1(QTest::currentDataTag()) + QString::fromLatin1(suffix)
                   + QStringLiteral(".png"));
    return image;
}

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

// A paint device that keeps where each text is drawn: the text and the
// box it covers on the device, after every transformation of the painter.
class TextRecorder : public QPaintDevice
{
public:
    struct Text
    {
        QString text;
        QRectF box;
    };

    explicit TextRecorder(QSize size) : m_size(size) {}
    QPaintEngine* paintEngine() const override { return &m_engine; }
    const QList<Text>& texts() const { return m_engine.texts; }

protected:
    int metric(PaintDeviceMetric metric) const override
    {
        switch (metric) {
        case PdmWidth: return m_size.width();
        case PdmHeight: return m_size.height();
        case PdmDpiX: case PdmDpiY: case PdmPhysicalDpiX: case PdmPhysicalDpiY: return 96;
        case PdmDepth: return 32;
        case PdmDevicePixelRatio: return 1;
        case PdmDevicePixelRatioScaled: return int(QPaintDevice::devicePixelRatioFScale());
        default: return QPaintDevice::metric(metric);
        }
    }

private:
    struct Engine : QPaintEngine
    {
        Engine() : QPaintEngine(AllFeatures) {}
        bool begin(QPaintDevice*) override { return true; }
        bool end() override { return true; }
        void updateState(const QPaintEngineState& state) override
        {
            if (state.state() & DirtyTransform)
                transform = state.transform();
        }
        void drawPixmap(const QRectF&, const QPixmap&, const QRectF&) override {}
        void drawPolygon(const QPointF*, int, PolygonDrawMode) override {}
        void drawPath(const QPainterPath&) override {}
        void drawTextItem(const QPointF& p, const QTextItem& item) override
        {
            const QRectF box(p.x(), p.y() - item.ascent(), item.width(), item.ascent() + item.descent());
            texts.append({item.text(), transform.mapRect(box)});
        }
        Type type() const override { return User; }
        QTransform transform;
        QList<Text> texts;
    };
    QSize m_size;
    mutable Engine m_engine;
};

// A calendar chart of days from 01.01.2006 with one line.
Chart calendarDays(int days, const QDate& first = QDate(2006, 1, 1))
{
    Chart c;
    c.title = {QStringLiteral("Trainingsbelastung"), QString()};
    c.slots = days;
    c.axisLabels = dayLabels(first, days);
    c.slotNames = dayNames(first, days);
    c.axisFormat = QStringLiteral("###0");
    c.markFormat = QStringLiteral("###0.#");
    Series load{Series::Kind::Line, QStringLiteral("Fitness"), QColor(0, 90, 200), {}};
    for (int i = 0; i < days; ++i)
        load.values.append(QPointF(i, 40 + 20 * std::sin(i / 30.0)));
    c.series = {load};
    return c;
}

// The bottom labels of a drawing (texts "dd.MM.yyyy") by their boxes.
QList<TextRecorder::Text> dateLabels(const Chart& c, QSize size)
{
    TextRecorder device(size);
    QPainter painter(&device);
    render(c, painter, QRectF(QPointF(0, 0), QSizeF(size)));
    painter.end();
    QList<TextRecorder::Text> found;
    for (const TextRecorder::Text& t : device.texts())
        if (QDate::fromString(t.text, QStringLiteral("dd.MM.yyyy")).isValid())
            found.append(t);
    std::sort(found.begin(), found.end(), [](const auto& a, const auto& b) { return a.box.left() < b.box.left(); });
    return found;
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
    void calendarLabelsAtYearChange();
    void calendarLabelsByRank();
    void stacksInOrderWithTotals();
    void linesBreakAndGoBelowZero();
    void fixedColoursStableAndReadable();
    void calendarChartsInPictures();
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

// The slot of each point as the hit test finds it: its first and last x.
static QList<QPair<int, int>> slots(const Chart& c, QSize size)
{
    QList<QPair<int, int>> found;
    const double y = size.height() / 2.0;
    for (int x = 0; x < size.width(); ++x) {
        const int i = pointAt(c, QRectF(QPointF(0, 0), QSizeF(size)), QPointF(x, y));
        if (i < 0)
            continue;
        if (i >= found.size())
            found.append({x, x});
        found[i].second = x;
    }
    return found;
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

// How often a colour occurs in an SVG text, as "#rrggbb" or "rgb(r,g,b)".
static int colourCount(const QString& svg, const QColor& colour)
{
    return int(svg.count(colour.name(), Qt::CaseInsensitive)
               + svg.count(QStringLiteral("rgb(%1,%2,%3)").arg(colour.red()).arg(colour.green()).arg(colour.blue())));
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

// Weeks and days at the turn of the year: week 53 of 2020, the week of
// 30.12.2024 that is week 1 of 2025, the leap day of 2024.
void TestChart::calendarLabelsAtYearChange()
{
    const QList<AxisLabel> weeks = weekLabels(QDate(2020, 12, 21), 3);
    QCOMPARE(weeks[1].text, QStringLiteral("KW 53/2020"));
    QCOMPARE(weeks[1].rank, 0);
    QCOMPARE(weeks[2].text, QStringLiteral("KW 1/2021"));
    QCOMPARE(weeks[2].rank, 3);
    const QList<AxisLabel> turn = weekLabels(QDate(2024, 12, 23), 3);
    QCOMPARE(turn[1].text, QStringLiteral("KW 1/2025"));
    QCOMPARE(turn[1].rank, 4); // every 5th year
    QCOMPARE(turn[2].rank, 0);
    QCOMPARE(weekNames(QDate(2024, 12, 23), 3), QStringList({QStringLiteral("KW 52/2024"), QStringLiteral("KW 1/2025"),
                                                              QStringLiteral("KW 2/2025")}));
    QCOMPARE(weekLabels(QDate(2025, 3, 31), 1).constFirst().rank, 2); // Thursday 3 April: first of a quarter

    const QList<AxisLabel> days = dayLabels(QDate(2024, 2, 26), 5);
    QCOMPARE(days[0].rank, 1); // Monday
    QCOMPARE(days[3].text, QStringLiteral("29.02.2024"));
    QCOMPARE(days[3].rank, 0);
    QCOMPARE(days[4].text, QStringLiteral("01.03.2024"));
    QCOMPARE(days[4].rank, 2);
    QCOMPARE(dayLabels(QDate(2024, 12, 31), 2)[1].rank, 5);
    QCOMPARE(dayLabels(QDate(2026, 1, 1), 1)[0].rank, 4);
    QCOMPARE(dayNames(QDate(2024, 2, 28), 2), QStringList({QStringLiteral("28.02.2024"), QStringLiteral("29.02.2024")}));

    const QList<AxisLabel> months = monthLabels(QDate(2024, 11, 1), 6);
    QCOMPARE(months[2].text, QStringLiteral("Jan 2025"));
    QCOMPARE(months[2].rank, 3);
    QCOMPARE(months[4].text, QStringLiteral("Mär 2025"));
    QCOMPARE(months[5].rank, 1);
    QCOMPARE(months[1].rank, 0);
    QCOMPARE(monthNames(QDate(2024, 12, 1), 2), QStringList({QStringLiteral("Dez 2024"), QStringLiteral("Jan 2025")}));
    for (int i = 0; i < months.size(); ++i)
        QCOMPARE(months[i].slot, i);
}

// The rarest labels over 20 years of days, every day over four weeks; on
// the screen and on a printer page alike, never two crowding each other.
void TestChart::calendarLabelsByRank()
{
    const Chart years = calendarDays(int(QDate(2006, 1, 1).daysTo(QDate(2026, 1, 1))));
    for (const QSize size : {QSize(900, 600), QSize(676, 506)}) {
        const QList<TextRecorder::Text> labels = dateLabels(years, size);
        QVERIFY(labels.size() >= 4);
        for (int i = 0; i < labels.size(); ++i) {
            QVERIFY2(labels[i].text.startsWith(QStringLiteral("01.01.")), qPrintable(labels[i].text));
            QVERIFY(labels[i].box.height() > labels[i].box.width()); // turned
            if (i > 0)
                QVERIFY(labels[i].box.left() - labels[i - 1].box.right() >= 0);
        }
    }
    // Sparse dots over 20 years: wherever the pointer is over the plot, the
    // tooltip names a dot near it rather than the empty day under it.
    {
        Chart dots = years;
        dots.series.append(Series{Series::Kind::Dots, QStringLiteral("Tempo"), QColor(230, 120, 40), {}});
        for (int i = 0; i < dots.slots; i += 17)
            dots.series.last().values.append(QPointF(i, 50));
        ChartView view;
        view.resize(676, 506);
        view.chart() = dots;
        int inside = 0;
        for (int x = 0; x < view.width(); ++x) {
            const QString tip = view.toolTipAt(QPoint(x, view.height() / 2));
            if (tip.isEmpty())
                continue;
            ++inside;
            QVERIFY2(tip.contains(QStringLiteral("Tempo 50")), qPrintable(tip));
        }
        QVERIFY(inside > 400);
    }
    // Too many years even for the every-5th-year labels: every n-th of them.
    const QList<TextRecorder::Text> crowded = dateLabels(years, QSize(260, 300));
    QVERIFY(!crowded.isEmpty());
    for (int i = 1; i < crowded.size(); ++i)
        QVERIFY(crowded[i].box.left() - crowded[i - 1].box.right() >= crowded[i].box.width() * 0.9);

    const QList<TextRecorder::Text> month = dateLabels(calendarDays(28, QDate(2025, 2, 3)), QSize(900, 600));
    QCOMPARE(month.size(), 28);
    QCOMPARE(month.constFirst().text, QStringLiteral("03.02.2025"));
    for (int i = 1; i < month.size(); ++i)
        QVERIFY(month[i].box.left() - month[i - 1].box.right() >= month[i].box.width() * 0.9);
}

// Stacked series from 0 upwards in their order, the tooltip naming each
// non-zero part and the total; the totals stand over the stacks while they
// fit and the legend names the series.
void TestChart::stacksInOrderWithTotals()
{
    Chart c;
    c.title = {QStringLiteral("Kilometer pro Woche"), QString()};
    c.slots = 80;
    c.axisLabels = weekLabels(QDate(2024, 12, 30), c.slots);
    c.slotNames = weekNames(QDate(2024, 12, 30), c.slots);
    c.axisFormat = QStringLiteral("###0 km");
    c.markFormat = QStringLiteral("###0.# km");
    c.axisMaximum = 100;
    const QStringList sports = {QStringLiteral("Laufen"), QStringLiteral("Radfahren"), QStringLiteral("Schwimmen")};
    for (int k = 0; k < 3; ++k) {
        Series s{Series::Kind::Stacked, sports[k], fixedColour(sports[k]), {}};
        for (int i = 0; i < c.slots; ++i)
            s.values.append(QPointF(i, k == 1 && i == 4 ? 0.0 : 20.0 + k));
        c.series.append(s);
    }
    ChartView view;
    view.resize(676, 506);
    view.chart() = c;
    const QList<QPair<int, int>> found = slots(c, view.size());
    QCOMPARE(found.size(), c.slots);
    const int x = (found[4].first + found[4].second) / 2;
    QCOMPARE(view.toolTipAt(QPoint(x, view.height() / 2)),
             QStringLiteral("KW 5/2025: Laufen 20 km · Schwimmen 22 km · zusammen 42 km"));

    // Narrow stacks: plain colours, first series at the bottom.
    const QImage image = rendered(c);
    const int middle = (found[7].first + found[7].second) / 2;
    QList<QRgb> order;
    for (int y = image.height() - 1; y >= 0; --y) {
        const QRgb p = image.pixel(middle, y) | 0xff000000;
        for (const Series& s : c.series)
            if (p == s.colour.rgb() && (order.isEmpty() || order.last() != p))
                order.append(p);
    }
    QCOMPARE(order, QList<QRgb>({c.series[0].colour.rgb(), c.series[1].colour.rgb(), c.series[2].colour.rgb()}));
    QVERIFY(!hasColour(image, QColor(255, 255, 210))); // 80 totals do not fit

    // Twelve months: every total over its stack, and the legend.
    c.slots = 12;
    c.axisLabels = monthLabels(QDate(2025, 1, 1), 12);
    for (Series& s : c.series)
        s.values = s.values.mid(0, 12);
    TextRecorder device(QSize(676, 506));
    QPainter painter(&device);
    render(c, painter, QRectF(0, 0, 676, 506));
    painter.end();
    QStringList texts;
    for (const TextRecorder::Text& t : device.texts())
        texts.append(t.text);
    QCOMPARE(texts.count(QStringLiteral("63 km")), 11);
    QCOMPARE(texts.count(QStringLiteral("42 km")), 1);
    for (const QString& sport : sports)
        QCOMPARE(texts.count(sport), 1);
    QVERIFY(texts.contains(QStringLiteral("Jan 2025")) && texts.contains(QStringLiteral("Dez 2025")));
}

// A line breaks where its values are missing; an axis reaching below 0
// draws the values there under a clear zero line; valueText names the
// axis labels and the tooltip's values.
void TestChart::linesBreakAndGoBelowZero()
{
    Chart c = calendarDays(30, QDate(2025, 2, 3));
    const QColor form(0, 150, 0);
    Series line{Series::Kind::Line, QStringLiteral("Form"), form, {}};
    for (int i = 0; i < 30; ++i)
        line.values.append(QPointF(i, i >= 12 && i <= 16 ? std::nan("") : -30.0));
    c.series = {line};
    c.axisMinimum = -50;
    c.axisMaximum = 50;
    const QSize size(676, 506);
    const QImage image = rendered(c, size);
    const QList<QPair<int, int>> found = slots(c, size);
    QCOMPARE(found.size(), 30);
    auto columnHas = [&](int slot) {
        const int x = (found[slot].first + found[slot].second) / 2;
        for (int y = 0; y < size.height(); ++y)
            if ((image.pixel(x, y) | 0xff000000) == form.rgb())
                return y;
        return -1;
    };
    QVERIFY(columnHas(5) > 0 && columnHas(20) > 0);
    QCOMPARE(columnHas(14), -1);
    // The zero line: a black row across the plot, above the line.
    const int x = (found[14].first + found[14].second) / 2;
    int zero = -1;
    for (int y = 0; y < size.height() && zero < 0; ++y)
        if ((image.pixel(x, y) | 0xff000000) == qRgb(0, 0, 0) && (image.pixel(x + 30, y) | 0xff000000) == qRgb(0, 0, 0))
            zero = y;
    QVERIFY(zero > 0 && zero < columnHas(5));

    ChartView view;
    view.resize(size);
    view.chart() = c;
    QCOMPARE(view.toolTipAt(QPoint(x, size.height() / 2)), QStringLiteral("17.02.2025"));
    view.chart().valueText = [](double v) { return QStringLiteral("<%1>").arg(v); };
    // (the wider axis labels move the slots)
    const QList<QPair<int, int>> moved = slots(view.chart(), size);
    QCOMPARE(view.toolTipAt(QPoint((moved[5].first + moved[5].second) / 2, size.height() / 2)),
             QStringLiteral("08.02.2025: Form <-30>"));
    TextRecorder device(size);
    QPainter painter(&device);
    render(view.chart(), painter, QRectF(QPointF(0, 0), QSizeF(size)));
    painter.end();
    QStringList texts;
    for (const TextRecorder::Text& t : device.texts())
        texts.append(t.text);
    QVERIFY(texts.contains(QStringLiteral("<-40>")) && texts.contains(QStringLiteral("<40>")));
    view.chart().clear();
    QVERIFY(!view.chart().isCalendar() && !view.chart().valueText && view.chart().series.isEmpty());
}

// The same name, the same colour, in every run (not a seeded hash); black
// text reads on each; the common sports are told apart at a glance.
void TestChart::fixedColoursStableAndReadable()
{
    const QStringList common = {QStringLiteral("Laufen"),  QStringLiteral("Radfahren"), QStringLiteral("Schwimmen"),
                                QStringLiteral("Gehen"),   QStringLiteral("Wandern"),   QStringLiteral("Skilanglauf"),
                                QStringLiteral("Rudern"),  QStringLiteral("Krafttraining"),
                                QStringLiteral("Sonstiges"), QString()};
    for (int i = 0; i < common.size(); ++i) {
        QVERIFY2(contrastRatio(fixedColour(common[i]), Qt::black) >= 4.5, qPrintable(common[i]));
        for (int j = 0; j < i; ++j) {
            const QColor a = fixedColour(common[i]), b = fixedColour(common[j]);
            const int distance = std::abs(a.red() - b.red()) + std::abs(a.green() - b.green()) + std::abs(a.blue() - b.blue());
            QVERIFY2(distance >= 60, qPrintable(common[i] + u'/' + common[j]));
        }
    }
    QCOMPARE(fixedColour(QStringLiteral(" laufen  ")), fixedColour(QStringLiteral("Laufen")));
    for (const char* name : {"Zumba", "Inline-Skaten", "Inline-Skating", "Lauf's", "Yoga", "Tischtennis", "Ski alpin", "Ärger", "x"}) {
        const QString n = QString::fromUtf8(name);
        QVERIFY2(contrastRatio(fixedColour(n), Qt::black) >= 4.5, name);
        QCOMPARE(fixedColour(n), fixedColour(n));
        // Apart from the common sports' colours, as stacks next to them are.
        for (const QString& sport : common) {
            const QColor a = fixedColour(n), b = fixedColour(sport);
            const int dr = a.red() - b.red(), dg = a.green() - b.green(), db = a.blue() - b.blue();
            QVERIFY2(dr * dr + dg * dg + db * db >= 60 * 60, qPrintable(n + u'/' + sport));
        }
    }
    // Fixed across runs and builds.
    QCOMPARE(fixedColour(QStringLiteral("Zumba")).name(), QStringLiteral("#8bf15f"));
}

// A calendar chart in SVG and EMF: its legend, series colours and axis
// labels reach files that programs outside read.
void TestChart::calendarChartsInPictures()
{
    Chart c = calendarDays(120, QDate(2025, 3, 1));
    c.series.append(Series{Series::Kind::Bars, QStringLiteral("Belastung"), QColor(150, 40, 200), {}});
    c.series.append(Series{Series::Kind::Dots, QStringLiteral("Tempo"), QColor(230, 120, 40), {}});
    for (int i = 0; i < 120; i += 2) {
        c.series[1].values.append(QPointF(i, 30 + i % 50));
        c.series[2].values.append(QPointF(i, 20));
        c.series[2].values.append(QPointF(i, 25));
    }
    const QSize size(640, 420);
    const QImage image = rendered(c, size);
    for (const Series& s : c.series)
        QVERIFY2(hasColour(image, s.colour), qPrintable(s.name));

    QTemporaryDir dir;
    const QString svgFile = dir.filePath(QStringLiteral("calendar.svg"));
    {
        QSvgGenerator svg;
        svg.setFileName(svgFile);
        svg.setSize(size);
        svg.setViewBox(QRect(QPoint(0, 0), size));
        QPainter painter(&svg);
        render(c, painter, QRectF(QPointF(0, 0), size));
    }
    QFile in(svgFile);
    QVERIFY(in.open(QIODevice::ReadOnly));
    const QString svg = QString::fromUtf8(in.readAll());
    for (const Series& s : c.series) {
        QVERIFY2(svg.contains(s.name), qPrintable(s.name));
        QVERIFY(colourCount(svg, s.colour) >= 1);
    }

    const QString tool = QStandardPaths::findExecutable(QStringLiteral("emf2svg-conv"));
    if (tool.isEmpty())
        QSKIP("The metafile converter emf2svg-conv is not installed.");
    const QString emfFile = dir.filePath(QStringLiteral("calendar.emf"));
    {
        MetafileDevice device(emfFile, size, MetafileDevice::Format::Emf);
        QPainter painter(&device);
        render(c, painter, QRectF(QPointF(0, 0), size));
        QVERIFY(painter.end());
    }
    const QString converted = dir.filePath(QStringLiteral("calendar-emf.svg"));
    QProcess convert;
    convert.start(tool, {QStringLiteral("-i"), emfFile, QStringLiteral("-o"), converted});
    QVERIFY(convert.waitForFinished());
    QCOMPARE(convert.exitCode(), 0);
    QFile back(converted);
    QVERIFY(back.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(back.readAll());
    for (const Series& s : c.series)
        QVERIFY2(text.contains(s.name), qPrintable(s.name));
    QVERIFY(text.contains(QStringLiteral("01.04.2025")));
    QVERIFY(colourCount(text, QColor(150, 40, 200)) >= 1);
}

QTEST_MAIN(TestChart)
#include "tst_chart.moc"
