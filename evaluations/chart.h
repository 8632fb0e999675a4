#pragma once

#include <QColor>
#include <QList>
#include <QPainter>
#include <QRectF>
#include <QString>
#include <QStringList>
#include <QWidget>

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

    // Empties series, pie, title and foot; the axis back to 0..100, no pie mode.
    void clear();
    bool isEmpty() const { return bars.isEmpty() && line.isEmpty() && pie.isEmpty(); }
    bool showsPie() const { return pieMode || !pie.isEmpty(); }
};

// The contrast ratio of two colours (1 to 21) by their relative luminance,
// as the accessibility guidelines measure it: 4.5 and above reads well.
double contrastRatio(const QColor& a, const QColor& b);

// A colour for a slice or for the points of a drawing: red, green and blue
// each drawn from 0 to 254, drawn again until black text reads on it
// (contrast ratio of 4.5 at least) and it stands apart from the colour
// before (when one is given), so that neighbouring slices can be told apart.
QColor readableColour(QRandomGenerator& generator, const QColor& previous = QColor());

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
// drawn into rect on the screen; -1 outside the plot or in pie mode.
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
