#pragma once

#include <QDateTime>
#include <QFile>
#include <QList>
#include <QString>

// Small TCX files as a watch writes them, for the import tests.
struct TcxLap
{
    double metres = 1000.0;
    double seconds = 300.0;
    int averageHeartRate = 0; // 0: the lap has none
};

inline QByteArray tcxFile(const QDateTime& startUtc, const QList<TcxLap>& laps,
                          const QString& sport = QStringLiteral("Running"))
{
    QString xml = QStringLiteral(
                      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                      "<TrainingCenterDatabase "
                      "xmlns=\"http://www.garmin.com/xmlschemas/TrainingCenterDatabase/v2\">\n"
                      "<Activities><Activity Sport=\"%1\"><Id>%2</Id>\n")
                      .arg(sport, startUtc.toString(Qt::ISODate));
    QDateTime at = startUtc;
    for (const TcxLap& lap : laps) {
        xml += QStringLiteral("<Lap StartTime=\"%1\"><TotalTimeSeconds>%2</TotalTimeSeconds>"
                              "<DistanceMeters>%3</DistanceMeters>")
                   .arg(at.toString(Qt::ISODate))
                   .arg(lap.seconds, 0, 'f', 3)
                   .arg(lap.metres, 0, 'f', 3);
        if (lap.averageHeartRate > 0)
            xml += QStringLiteral("<AverageHeartRateBpm><Value>%1</Value></AverageHeartRateBpm>"
                                  "<MaximumHeartRateBpm><Value>%2</Value></MaximumHeartRateBpm>")
                       .arg(lap.averageHeartRate)
                       .arg(lap.averageHeartRate + 10);
        xml += QStringLiteral("<Intensity>Active</Intensity><TriggerMethod>Manual</TriggerMethod></Lap>\n");
        at = at.addMSecs(qint64(lap.seconds * 1000));
    }
    xml += QStringLiteral("</Activity></Activities></TrainingCenterDatabase>\n");
    return xml.toUtf8();
}

inline void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(bytes);
}
