#include "tform9.h"

#include "coursecurves.h"
#include "errorboundary.h"
#include "gpxwriter.h"
#include "messages.h"
#include "savefolder.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QSaveFile>
#include <QSvgGenerator>

namespace {

struct Kind
{
    QString filter;
    QString suffix;
};

const QList<Kind>& pictureKinds()
{
    static const QList<Kind> kinds{{QStringLiteral("PNG-Grafiken (*.png)"), QStringLiteral("png")},
                                   {QStringLiteral("SVG-Grafiken (*.svg)"), QStringLiteral("svg")},
                                   {QStringLiteral("PDF-Dokumente (*.pdf)"), QStringLiteral("pdf")}};
    return kinds;
}

// The chosen name, and the filter's suffix when it has none of the kinds.
QString withSuffix(const QString& chosen, const QString& filter, const QList<Kind>& kinds)
{
    const QString suffix = QFileInfo(chosen).suffix().toLower();
    for (const Kind& k : kinds)
        if (k.suffix == suffix)
            return chosen;
    for (const Kind& k : kinds)
        if (k.filter == filter)
            return chosen + QLatin1Char('.') + k.suffix;
    return chosen + QLatin1Char('.') + kinds.constFirst().suffix;
}

// The save dialog; empty when cancelled.
QString askFile(QWidget* parent, const Session& session, const QString& name, const QList<Kind>& kinds)
{
    QFileDialog dialog(parent, QString(), SaveFolder::startFolder(session));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    QStringList filters;
    for (const Kind& k : kinds)
        filters << k.filter;
    dialog.setNameFilters(filters);
    dialog.setDefaultSuffix(kinds.constFirst().suffix);
    dialog.selectFile(name);
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, [&dialog, &kinds](const QString& filter) {
        for (const Kind& k : kinds)
            if (k.filter == filter)
                dialog.setDefaultSuffix(k.suffix);
    });
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return withSuffix(dialog.selectedFiles().constFirst(), dialog.selectedNameFilter(), kinds);
}

} // namespace

bool TForm9::saveCurves(const QString& path) const
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    const QSize size = Curves->size().expandedTo(QSize(900, 500));
    const QRectF area(QPointF(0, 0), size);
    // Written beside the target and put in its place only when complete.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    bool written = false;
    if (suffix == QLatin1String("svg")) {
        QSvgGenerator svg;
        svg.setOutputDevice(&file);
        svg.setSize(size);
        svg.setViewBox(QRect(QPoint(0, 0), size));
        svg.setResolution(96);
        svg.setTitle(windowTitle());
        QPainter painter;
        if (painter.begin(&svg)) {
            Curves->render(painter, area);
            written = painter.end();
        }
    } else if (suffix == QLatin1String("pdf")) {
        QPdfWriter pdf(&file);
        pdf.setTitle(windowTitle());
        pdf.setCreator(QStringLiteral("Tramora"));
        pdf.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Landscape, QMarginsF(12, 12, 12, 12),
                                      QPageLayout::Millimeter));
        pdf.setResolution(96);
        QPainter painter;
        if (painter.begin(&pdf)) {
            const QRect page = painter.viewport();
            Curves->render(painter, QRectF(QPointF(0, 0), QSizeF(page.size())));
            written = painter.end();
        }
    } else if (suffix == QLatin1String("png")) {
        QImage image(size, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::white);
        QPainter painter(&image);
        Curves->render(painter, area);
        painter.end();
        written = image.save(&file, "PNG");
    }
    if (!written) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

bool TForm9::saveGpx(const QString& path) const
{
    return course::saveGpx(m_course, path, windowTitle());
}

QString TForm9::proposedName(const QString& suffix) const
{
    const QDateTime start = m_course.start.toLocalTime();
    const QString when = start.isValid() ? start.toString(QStringLiteral("yyyy-MM-dd HH-mm")) : QString();
    return (when.isEmpty() ? QStringLiteral("Verlauf") : QStringLiteral("Verlauf ") + when) + QLatin1Char('.')
           + suffix;
}

void TForm9::SaveButtonClick()
{
    guarded(this, [&] {
        const QString path = askFile(this, m_session, proposedName(QStringLiteral("png")), pictureKinds());
        if (path.isEmpty())
            return;
        if (!saveCurves(path)) {
            Messages::error(this, QStringLiteral("Die Grafik konnte nicht gespeichert werden: ")
                                      + QDir::toNativeSeparators(path));
            return;
        }
        SaveFolder::remember(m_session, path);
    });
}

void TForm9::GpxButtonClick()
{
    guarded(this, [&] {
        static const QList<Kind> gpx{{QStringLiteral("GPX-Datei (*.gpx)"), QStringLiteral("gpx")}};
        const QString path = askFile(this, m_session, proposedName(QStringLiteral("gpx")), gpx);
        if (path.isEmpty())
            return;
        if (!saveGpx(path)) {
            Messages::error(this, QStringLiteral("Der Verlauf konnte nicht gespeichert werden: ")
                                      + QDir::toNativeSeparators(path));
            return;
        }
        SaveFolder::remember(m_session, path);
    });
}
