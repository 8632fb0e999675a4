#pragma once

#include <QColor>
#include <QFont>
#include <QFontMetricsF>
#include <QPointF>
#include <QRectF>
#include <QString>
#include <QVector>

#include <functional>
#include <optional>

class QPainter;

// Landscape A4 pages in hundredths of a millimetre, drawn once by a report
// composer and replayed onto any painter: the preview, a printer page range
// and the PDF writer all draw the same pages.
namespace pages {

constexpr int kPageWidth = 29700;
constexpr int kPageHeight = 21000;

// The font of the canvas: name, size in points, bold or regular.
struct FontSpec
{
    QString name;
    double points = 9;
    bool bold = false;

    bool operator==(const FontSpec&) const = default;
};

// One drawing command of a page.
struct Command
{
    enum class Kind { Text, Line, Fill };
    Kind kind = Kind::Text;
    QPointF from;      // Text: top left corner; Line: start
    QPointF to;        // Line: end
    QRectF rect;       // Fill
    double penWidth = 0;
    QString text;
    FontSpec font;
    QColor colour;     // Text: background (invalid: none); Fill: the colour
    double clipRight = -1; // Text: nothing is drawn right of it; below 0: no clip
};

struct Page
{
    QVector<Command> commands;
};

// The composed pages.
class Document
{
public:
    int pageCount() const { return int(m_pages.size()); }
    const Page& page(int index) const { return m_pages.at(index); }
    void addPage();
    Page& lastPage() { return m_pages.last(); }

    // The title of the document written as PDF.
    const QString& title() const { return m_title; }
    void setTitle(const QString& title) { m_title = title; }

    // Called with the new page count each time a page is added.
    void setPageObserver(std::function<void(int)> observer) { m_observer = std::move(observer); }

    // Draws the page scaled into the target rectangle (the whole paper).
    void replay(QPainter& painter, int pageIndex, const QRectF& target) const;

private:
    QVector<Page> m_pages;
    QString m_title;
    std::function<void(int)> m_observer;
};

// The canvas a composer draws on: it appends to the document's last page.
class Canvas
{
public:
    // Starts the document with its first page.
    explicit Canvas(Document& document);

    void newPage();

    void setFont(const FontSpec& font) { m_font = font; }
    void setFontName(const QString& name) { m_font.name = name; }
    void setFontSize(double points) { m_font.points = points; }
    void setBold(bool bold) { m_font.bold = bold; }
    const FontSpec& font() const { return m_font; }

    // Background of the following texts; an invalid colour draws none.
    void setTextBackground(const QColor& colour) { m_background = colour; }

    // Text with its top left corner at (x, y).
    void textOut(double x, double y, const QString& text);
    // Text with its top left corner at (x, y), cut off at the right edge of
    // its column.
    void textOutClipped(double x, double y, double clipRight, const QString& text);
    // Text whose right edge is at x.
    void textOutRight(double right, double y, const QString& text);
    double textWidth(const QString& text) const;
    double textHeight() const;

    void line(double x1, double y1, double x2, double y2, double penWidth);
    void fillRect(const QRectF& rect, const QColor& colour);

private:
    Document& m_document;
    FontSpec m_font;
    QColor m_background;
    // Metrics of the font last measured: a report measures thousands of texts.
    const QFontMetricsF& metrics() const;
    mutable FontSpec m_measured;
    mutable std::optional<QFontMetricsF> m_metrics;
};

// The Qt font of a spec, sized for a painter whose unit is 1/100 mm.
QFont qtFont(const FontSpec& spec);

// Writes all pages into a PDF file, with the document's title; false with the reason in error when the
// file cannot be written.
bool writePdf(const Document& document, const QString& path, QString* error = nullptr);

} // namespace pages
