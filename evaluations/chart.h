#pragma once

#include <QColor>
#include <QDate>
#include <QList>
#include <QPainter>
#include <QPointF>
#include <QRectF>
#include <QString>
#include <QStringList>
#include <QWidget>

#include <functional>

class QRandomGenerator;

// The statistics chart: one bar series, one line series and, for the share
// evaluations, a pie; a title and a foot of several lines; a left axis with
// a settable range and value format; the points' labels under the bottom
// axis turned by 90 degrees; and a 3D view with a depth in percent.
//
// The chart is plain data plus one render function that draws it onto any
// QPainter: the screen, the printer, picture files and metafiles all get the
// same drawing. ChartView shows it in a window.
namespace chart {

struct Point
{
    double x = 0.0;
    double y = 0.0;
    QString label;
    QColor colour;
};

struct Slice
{
    double value = 0.0;
    QString label;
    QColor colour;
};

// One series of a calendar chart, over the chart's slots (days, weeks or
// months).
struct Series
{
    enum class Kind { Bars, Stacked, Line, Dots };
    Kind kind = Kind::Line;
    QString name;          // in the legend and the tooltip
    QColor colour;
    QList<QPointF> values; // x = slot index 0..slots-1, y = value. A Line joins its values
                           // in order and breaks where y is NaN; Dots may hold several
                           // values in one slot; Bars and Stacked hold at most one per slot.
};

// A candidate label under the bottom axis of a calendar chart: the slot it
// names, its text, and its rank (0 = every slot, higher = rarer: e.g. days
// 0, Mondays 1, first of month 2, first of quarter 3, 1 January 4, every
// 5th year 5).
struct AxisLabel
{
    int slot = 0;
    QString text;
    int rank = 0;
};

// A value format in the notation of the statistics window: "#" an optional
// digit, "0" a required digit, "," a thousands separator, "." the decimal
// point; literal text after the number is kept ("###0.## km", "##0 kg",
// "#,##0.### km"). The result uses the German separators (decimal comma,
// thousands point): formatValue(1234.5, "#,##0.### km") == "1.234,5 km".
QString formatValue(double value, const QString& format);

struct Chart
{
    QStringList title; // lines, centred, Verdana bold italic, maroon, 13 px
    QStringList foot;  // lines, left-aligned, Arial italic, maroon, 12 px

    // Left axis: scaled by the program.
    double axisMinimum = 0.0;
    double axisMaximum = 100.0;
    double axisStep = 10.0;
    QString axisFormat = QStringLiteral("#,##0.### km");

    // Bar series (gradient bars 65 % of the slot wide, each point its own
    // colour, value marks on RGB 255,255,210) and line series (green, value
    // marks, no point symbols). Usually only one of them holds points.
    QList<Point> bars;
    QList<Point> line;
    QString markFormat = QStringLiteral("#,##0.### km");

    // The pie, shown when it has slices or pieMode is set (instead of axes
    // and series); each slice shows its label beside it, joined by a short
    // arrow (8 px). The pie is round and as large as the chart leaves room
    // for it beside its labels. A pie evaluation without slices shows the
    // empty area.
    QList<Slice> pie;
    bool pieMode = false;

    bool view3D = false;
    int depthPercent = 15; // 3D depth in percent of the chart

    // A calendar chart: above 0 the chart draws `series` over this many
    // slots (bars, line and pie unused), always flat. The bottom axis shows
    // the candidates of the lowest rank that leave room between them; a
    // legend names the series when two or more have names.
    int slots = 0;
    QList<Series> series;
    QList<AxisLabel> axisLabels;   // candidates, any order
    QStringList slotNames;         // per slot, the tooltip's heading ("03.02.2025", "KW 5/2025", "Jan 2025")
    std::function<QString(double)> valueText; // when set: left axis labels, marks and tooltips
                                              // (pace "5:12"), instead of axisFormat/markFormat
    // A chart that says only why it has nothing to show: title and foot,
    // no axes, no pie.
    bool messageOnly = false;

    // Empties series (of both kinds), pie, title and foot; the axis back to
    // 0..100, no pie mode, no calendar chart.
    void clear();
    bool isCalendar() const { return slots > 0; }
    bool isEmpty() const
    {
        return isCalendar() ? series.isEmpty() : bars.isEmpty() && line.isEmpty() && pie.isEmpty();
    }
    bool showsPie() const { return !isCalendar() && (pieMode || !pie.isEmpty()); }
};

// Candidate labels for a calendar chart whose slot 0 is `first` and which
// has one slot per day, per week (Monday-based, ISO weeks) or per month.
// Days: dd.MM.yyyy; rank 1 Mondays, 2 the first of a month, 3 of a quarter,
// 4 1 January, 5 1 January of every 5th year. Weeks: "KW 5/2025"; rank 1
// the first week of a month (its Thursday among the month's first seven
// days), 2 of a quarter, 3 week 1, 4 week 1 of every 5th year. Months:
// "Jan 2025"; rank 1 quarters, 2 January, 3 January of every 5th year.
QList<AxisLabel> dayLabels(const QDate& first, int days);
QList<AxisLabel> weekLabels(const QDate& firstMonday, int weeks);
QList<AxisLabel> monthLabels(const QDate& firstOfMonth, int months);
// The matching slot names for the tooltips.
QStringList dayNames(const QDate& first, int days);
QStringList weekNames(const QDate& firstMonday, int weeks);
QStringList monthNames(const QDate& firstOfMonth, int months);

// The contrast ratio of two colours (1 to 21) by their relative luminance,
// as the accessibility guidelines measure it: 4.5 and above reads well.
double contrastRatio(const QColor& a, const QColor& b);

// A colour for a slice or for the points of a drawing: red, green and blue
// each drawn from 0 to 254, drawn again until black text reads on it
// (contrast ratio of 4.5 at least) and it stands apart from the colour
// before (when one is given), so that neighbouring slices can be told apart.
QColor readableColour(QRandomGenerator& generator, const QColor& previous = QColor());

// A fixed colour for a name (a sport): the same in every drawing and every
// run, and black text reads on it. The common sports have hand-picked,
// clearly different colours; any other name gets one from a stable hash of
// the name (case and surrounding blanks do not count).
QColor fixedColour(const QString& name);

// Draws the chart into the rectangle with the fixed look: background
// gradient from bottom to top ending in RGB 164,164,255, left wall RGB
// 228,228,228, bottom wall RGB 0,0,132, label band of 56 px under the
// bottom axis. Pixel sizes are those of the screen; a painter on a larger
// device (printer) scales them by its resolution.
//
// The labels under the bottom axis stand at every n-th point, n the
// smallest of 1, 2, 5, 10, 20, 50 ... that leaves a label's own thickness
// free between two labels in the font they are drawn in; a short tick
// marks each labelled point when not all are labelled.
//
// Value marks stand upright over their points while they all fit side by
// side, turned by 90 degrees when only that way they fit, and are left out
// all together on charts too dense for either (the view then names each
// point's value in its tooltip): never a mark is dropped among others.
void render(const Chart& chart, QPainter& painter, const QRectF& rect);

// The point of the longer series whose slot holds the position of a chart
// drawn into rect on the screen (of a calendar chart: the slot); -1 outside
// the plot or in pie mode.
int pointAt(const Chart& chart, const QRectF& rect, const QPointF& position);

// Shows a chart; repaints when it is changed through chart().
class ChartView : public QWidget
{
    Q_OBJECT

public:
    explicit ChartView(QWidget* parent = nullptr);

    // Changing access schedules a repaint.
    Chart& chart()
    {
        update();
        return m_chart;
    }
    const Chart& chart() const { return m_chart; }

    // The chart as a picture at the view's size (for bitmap files).
    QImage toImage() const;

    // The hover text at the position: the point's label and value, or empty.
    // Of a calendar chart: the slot's name and each series' value there
    // ("03.02.2025: Belastung 85 · Fitness 52,1"); stacked series name their
    // non-zero values and the total ("zusammen 63,2 km").
    QString toolTipAt(const QPoint& position) const;

Q_SIGNALS:
    void resized();

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    Chart m_chart;
};

} // namespace chart
