#include "xmlhead.h"

#include <QString>
#include <QStringDecoder>
#include <QXmlStreamReader>

namespace exchange {

QStringView withoutPrefix(QStringView qualifiedName)
{
    const qsizetype colon = qualifiedName.lastIndexOf(u':');
    return colon < 0 ? qualifiedName : qualifiedName.mid(colon + 1);
}

namespace {

// The name of an element whose start tag the head cuts off, as in
// "<gpx version=...": the text after the last "<", up to a blank.
bool cutStartTagIs(const QByteArray& head, QStringView localName)
{
    QStringConverter::Encoding encoding = QStringConverter::Latin1;
    qsizetype bom = 0;
    if (head.startsWith("\xFF\xFE")) {
        encoding = QStringConverter::Utf16LE;
        bom = 2;
    } else if (head.startsWith("\xFE\xFF")) {
        encoding = QStringConverter::Utf16BE;
        bom = 2;
    }
    QStringDecoder decoder(encoding);
    const QString text = decoder.decode(QByteArrayView(head).sliced(bom));
    const qsizetype open = text.lastIndexOf(u'<');
    if (open < 0)
        return false;
    qsizetype end = open + 1;
    while (end < text.size() && !text[end].isSpace())
        ++end;
    return end < text.size() && withoutPrefix(QStringView(text).sliced(open + 1, end - open - 1)) == localName;
}

} // namespace

bool rootElementIs(const QByteArray& head, QStringView localName)
{
    // The document element stands near the start; what follows is not needed.
    const QByteArray start = head.left(XmlHeadBytes);
    QXmlStreamReader reader(start);
    reader.setNamespaceProcessing(false);
    while (!reader.atEnd()) {
        if (reader.readNext() == QXmlStreamReader::StartElement)
            return withoutPrefix(reader.name()) == localName;
    }
    return reader.error() == QXmlStreamReader::PrematureEndOfDocumentError && cutStartTagIs(start, localName);
}

} // namespace exchange
