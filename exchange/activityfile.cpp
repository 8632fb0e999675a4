#include "activityfile.h"

#include "fitreader.h"
#include "gpxreader.h"
#include "tcxreader.h"
#include "xmlhead.h"

namespace exchange {

ReadResult readActivity(const QByteArray& bytes)
{
    if (bytes.isEmpty())
        return ReadResult::refused(QStringLiteral("Die Datei ist leer."));
    const QByteArray head = bytes.left(XmlHeadBytes);
    if (looksLikeFit(head))
        return readFit(bytes);
    if (looksLikeTcx(head))
        return readTcx(bytes);
    if (looksLikeGpx(head))
        return readGpx(bytes);
    return ReadResult::refused(QStringLiteral("Die Datei ist keine Trainingsdatei (FIT, TCX oder GPX)."));
}

} // namespace exchange
