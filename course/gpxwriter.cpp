#include "gpxwriter.h"

#include "courseanalysis.h"

#include <QSaveFile>
#include <QXmlStreamWriter>

#include <cmath>

namespace course {

namespace {

const QString kGpxNamespace = QStringLiteral("http://www.topografix.com/GPX/1/1");
const QString kExtensionNamespace = QStringLiteral("http://www.garmin.com/xmlschemas/TrackPointExtension/v1");

QString number(double value, int decimals)
{
    return QString::number(value, 'f', decimals);
}

void writePoint(QXmlStreamWriter& xml, const Point& p, const QDateTime& start)
{
    xml.writeStartElement(QStringLiteral("trkpt"));
    xml.writeAttribute(QStringLiteral("lat"), number(p.latitude, 7));
    xml.writeAttribute(QStringLiteral("lon"), number(p.longitude, 7));
    if (recorded(p.altitude))
        xml.writeTextElement(QStringLiteral("ele"), number(p.altitude, 1));
    if (start.isValid()) {
        const QDateTime at = start.toUTC().addMSecs(std::llround(p.seconds * 1000.0));
        xml.writeTextElement(QStringLiteral("time"), at.toString(Qt::ISODateWithMs));
    }
    if (recorded(p.heartRate) || recorded(p.cadence)) {
        xml.writeStartElement(QStringLiteral("extensions"));
        xml.writeStartElement(QStringLiteral("gpxtpx:TrackPointExtension"));
        if (recorded(p.heartRate))
            xml.writeTextElement(QStringLiteral("gpxtpx:hr"), QString::number(std::lround(p.heartRate)));
        if (recorded(p.cadence))
            xml.writeTextElement(QStringLiteral("gpxtpx:cad"), QString::number(std::lround(p.cadence)));
        xml.writeEndElement();
        xml.writeEndElement();
    }
    xml.writeEndElement();
}

} // namespace

QByteArray gpx(const Course& course, const QString& name)
{
    const Analysis analysis = analyse(course);
    QByteArray bytes;
    QXmlStreamWriter xml(&bytes);
    xml.setAutoFormatting(true);
    xml.setAutoFormattingIndent(1);
    xml.writeStartDocument();
    xml.writeStartElement(QStringLiteral("gpx"));
    xml.writeAttribute(QStringLiteral("version"), QStringLiteral("1.1"));
    xml.writeAttribute(QStringLiteral("creator"), QStringLiteral("Tramora"));
    xml.writeDefaultNamespace(kGpxNamespace);
    xml.writeNamespace(kExtensionNamespace, QStringLiteral("gpxtpx"));
    if (course.start.isValid()) {
        xml.writeStartElement(QStringLiteral("metadata"));
        xml.writeTextElement(QStringLiteral("time"), course.start.toUTC().toString(Qt::ISODate));
        xml.writeEndElement();
    }
    xml.writeStartElement(QStringLiteral("trk"));
    if (!name.isEmpty())
        xml.writeTextElement(QStringLiteral("name"), name);
    bool open = false;
    for (const Point& p : analysis.points) {
        if (open && p.gapBefore) {
            xml.writeEndElement();
            open = false;
        }
        if (!p.hasPosition)
            continue;
        if (!open) {
            xml.writeStartElement(QStringLiteral("trkseg"));
            open = true;
        }
        writePoint(xml, p, course.start);
    }
    if (open)
        xml.writeEndElement();
    xml.writeEndElement(); // trk
    xml.writeEndElement(); // gpx
    xml.writeEndDocument();
    return bytes;
}

bool saveGpx(const Course& course, const QString& path, const QString& name)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    const QByteArray bytes = gpx(course, name);
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

} // namespace course
