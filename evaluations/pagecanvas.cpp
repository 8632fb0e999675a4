#include "pagecanvas.h"

#include <QSaveFile>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>

namespace pages {

namespace {

// A point is 1/72 inch: 2540/72 hundredths of a millimetre.
constexpr double kPoint = 2540.0 / 72.0;

} // namespace

QFont qtFont(const FontSpec& spec)
{
    QFont font(spec.name);
    font.setPixelSize(qMax(1, qRound(spec.points * kPoint)));
    font.setBold(spec.bold);
    font.setHintingPreference(QFont::PreferNoHinting);
    font.setKerning(false);
    // Without shaping no letters are joined into ligatures, so the text of
    // the PDF reads and searches as written ("Befinden", not a fi glyph).
    font.setStyleStrategy(QFont::PreferNoShaping);
    return font;
}

void Document::addPage()
{
    m_pages.append(Page());
    if (m_observer)
        m_observer(int(m_pages.size()));
}

void Document::replay(QPainter& painter, int pageIndex, const QRectF& target) const
{
    if (pageIndex < 0 || pageIndex >= m_pages.size())
        return;
    painter.save();
    painter.translate(target.topLeft());
    painter.scale(target.width() / kPageWidth, target.height() / kPageHeight);
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    for (const Command& c : m_pages.at(pageIndex).commands) {
        switch (c.kind) {
        case Command::Kind::Fill:
            painter.fillRect(c.rect, c.colour);
            break;
        case Command::Kind::Line:
            painter.setPen(QPen(Qt::black, c.penWidth, Qt::SolidLine, Qt::FlatCap));
            painter.drawLine(c.from, c.to);
            break;
        case Command::Kind::Text: {
            const QFont font = qtFont(c.font);
            painter.setFont(font);
            const QFontMetricsF metrics(font);
            const bool clipped = c.clipRight >= 0;
            if (clipped) {
                painter.save();
                painter.setClipRect(QRectF(QPointF(c.from.x(), c.from.y() - metrics.height()),
                                           QPointF(c.clipRight, c.from.y() + 2 * metrics.height())),
                                    Qt::IntersectClip);
            }
            if (c.colour.isValid())
                painter.fillRect(QRectF(c.from, QSizeF(metrics.horizontalAdvance(c.text), metrics.height())),
                                 c.colour);
            painter.setPen(Qt::black);
            painter.drawText(QPointF(c.from.x(), c.from.y() + metrics.ascent()), c.text);
            if (clipped)
                painter.restore();
            break;
        }
        }
    }
    painter.restore();
}

Canvas::Canvas(Document& document)
    : m_document(document)
{
    m_document.addPage();
}

void Canvas::newPage()
{
    m_document.addPage();
}

void Canvas::textOut(double x, double y, const QString& text)
{
    Command c;
    c.kind = Command::Kind::Text;
    c.from = QPointF(x, y);
    c.text = text;
    c.font = m_font;
    c.colour = m_background;
    m_document.lastPage().commands.append(c);
}

void Canvas::textOutClipped(double x, double y, double clipRight, const QString& text)
{
    textOut(x, y, text);
    m_document.lastPage().commands.last().clipRight = clipRight;
}

void Canvas::textOutRight(double right, double y, const QString& text)
{
    textOut(right - textWidth(text), y, text);
}

const QFontMetricsF& Canvas::metrics() const
{
    if (!m_metrics || !(m_measured == m_font)) {
        m_metrics.emplace(qtFont(m_font));
        m_measured = m_font;
    }
    return *m_metrics;
}

double Canvas::textWidth(const QString& text) const
{
    return metrics().horizontalAdvance(text);
}

double Canvas::textHeight() const
{
    return metrics().height();
}

void Canvas::line(double x1, double y1, double x2, double y2, double penWidth)
{
    Command c;
    c.kind = Command::Kind::Line;
    c.from = QPointF(x1, y1);
    c.to = QPointF(x2, y2);
    c.penWidth = penWidth;
    m_document.lastPage().commands.append(c);
}

void Canvas::fillRect(const QRectF& rect, const QColor& colour)
{
    Command c;
    c.kind = Command::Kind::Fill;
    c.rect = rect;
    c.colour = colour;
    m_document.lastPage().commands.append(c);
}

bool writePdf(const Document& document, const QString& path, QString* error)
{
    auto fail = [&](const QString& reason) {
        if (error)
            *error = reason;
        return false;
    };
    if (document.pageCount() == 0)
        return fail(QStringLiteral("Der Report hat keine Seiten."));
    // Written beside the target and put in its place only when complete, so
    // a failed export leaves an existing file as it was.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return fail(QStringLiteral("Die Datei \"%1\" kann nicht geschrieben werden: %2").arg(path, file.errorString()));
    const auto failWriting = [&] {
        file.cancelWriting();
        return fail(QStringLiteral("Die Datei \"%1\" kann nicht geschrieben werden.").arg(path));
    };
    {
        QPdfWriter writer(&file);
        writer.setResolution(1200);
        writer.setTitle(document.title());
        writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Landscape, QMarginsF(0, 0, 0, 0),
                                         QPageLayout::Millimeter));
        QPainter painter;
        if (!painter.begin(&writer))
            return failWriting();
        const QRectF target(0, 0, writer.width(), writer.height());
        for (int i = 0; i < document.pageCount(); ++i) {
            if (i > 0 && !writer.newPage()) {
                painter.end();
                return failWriting();
            }
            document.replay(painter, i, target);
        }
        if (!painter.end())
            return failWriting();
    }
    if (!file.commit())
        return fail(QStringLiteral("Die Datei \"%1\" kann nicht geschrieben werden: %2").arg(path, file.errorString()));
    return true;
}

} // namespace pages
