#include "pdfviewer.h"

#include <QProcess>
#include <QStandardPaths>
#include <QStringList>

namespace PdfViewer {

bool available()
{
    const QString lookup = QStandardPaths::findExecutable(QStringLiteral("xdg-mime"));
    if (lookup.isEmpty())
        return true;
    QProcess query;
    query.start(lookup, {QStringLiteral("query"), QStringLiteral("default"), QStringLiteral("application/pdf")});
    if (!query.waitForFinished(3000)) {
        query.kill();
        query.waitForFinished(1000);
        return true; // no answer is no reason to refuse
    }
    // Only a clear answer naming none refuses; a lookup that failed does not.
    return query.exitStatus() != QProcess::NormalExit || query.exitCode() != 0
           || !query.readAllStandardOutput().trimmed().isEmpty();
}

} // namespace PdfViewer
