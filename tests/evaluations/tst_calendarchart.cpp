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

class TestCalendarChart : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void calendarLabelsAtYearChange();
    void calendarLabelsByRank();
    void stacksInOrderWithTotals();
    void linesBreakAndGoBelowZero();
    void fixedColoursStableAndReadable();
    void calendarChartsInPictures();
};

// Weeks and days at the turn of the year: week 53 of 2020, the week of
// 30.12.2024 that is week 1 of 2025, the leap day of 2024.
void TestCalendarChart::calendarLabelsAtYearChange()
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
void TestCalendarChart::calendarLabelsByRank()
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
void TestCalendarChart::stacksInOrderWithTotals()
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
void TestCalendarChart::linesBreakAndGoBelowZero()
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
void TestCalendarChart::fixedColoursStableAndReadable()
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
void TestCalendarChart::calendarChartsInPictures()
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

QTEST_MAIN(TestCalendarChart)
#include "tst_calendarchart.moc"
