#pragma once

#include "fitreader.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>

#include <cmath>
#include <cstdint>

// Writes FIT files as devices do, for the tests and the benchmark: records
// of any definition in either byte order, developer fields, compressed
// timestamps, 12- and 14-byte headers and the check sums.
class FitWriter
{
public:
    struct Field
    {
        quint8 number;
        quint8 size;
        quint8 baseType;
        quint64 value = 0; // written in the field's size; arrays repeat it
    };

    // Time as the format counts it.
    static quint32 fitTime(const QDateTime& utc) { return quint32(utc.toSecsSinceEpoch() - 631065600); }

    explicit FitWriter(bool bigEndian = false) : m_bigEndian(bigEndian) {}
    void setBigEndian(bool bigEndian) { m_bigEndian = bigEndian; }

    // A definition of a local type, with developer fields of the given sizes.
    void define(int local, quint16 global, const QList<Field>& fields, const QList<quint8>& developerSizes = {})
    {
        m_records.append(char(0x40 | (developerSizes.isEmpty() ? 0 : 0x20) | (local & 0x0F)));
        m_records.append(char(0));
        m_records.append(char(m_bigEndian ? 1 : 0));
        put(global, 2);
        m_records.append(char(fields.size()));
        for (const Field& f : fields) {
            m_records.append(char(f.number));
            m_records.append(char(f.size));
            m_records.append(char(f.baseType));
        }
        if (!developerSizes.isEmpty()) {
            m_records.append(char(developerSizes.size()));
            for (int i = 0; i < developerSizes.size(); ++i) {
                m_records.append(char(i));
                m_records.append(char(developerSizes[i]));
                m_records.append(char(0));
            }
        }
        m_defs[local & 0x0F] = {fields, developerSizes};
    }

    // A data message of the local type with these values (in the order of
    // its definition); developer fields are filled with 0xAB.
    void data(int local, const QList<quint64>& values) { message(char(local & 0x0F), local, values); }
    // The same with a compressed timestamp (local types 0-3).
    void compressed(int local, quint32 offset, const QList<quint64>& values)
    {
        message(char(0x80 | ((local & 0x03) << 5) | (offset & 0x1F)), local, values);
    }

    // The whole file: header (12 or 14 bytes, its check sum computed or 0),
    // records and the file's check sum.
    QByteArray file(bool longHeader = true, bool headerCrc = true) const
    {
        QByteArray out;
        out.append(char(longHeader ? 14 : 12));
        out.append(char(0x20));
        out.append(char(0x08)).append(char(0x08));
        const quint32 size = quint32(m_records.size());
        for (int i = 0; i < 4; ++i)
            out.append(char((size >> (8 * i)) & 0xFF));
        out.append(".FIT");
        if (longHeader) {
            const quint16 crc = headerCrc ? exchange::fitCrc(out.constData(), 12) : 0;
            out.append(char(crc & 0xFF)).append(char(crc >> 8));
        }
        out.append(m_records);
        const quint16 crc = exchange::fitCrc(out.constData(), out.size());
        out.append(char(crc & 0xFF)).append(char(crc >> 8));
        return out;
    }

private:
    void put(quint64 value, int size)
    {
        for (int i = 0; i < size; ++i)
            m_records.append(char((value >> (8 * (m_bigEndian ? size - 1 - i : i))) & 0xFF));
    }

    void message(char header, int local, const QList<quint64>& values)
    {
        m_records.append(header);
        const auto& [fields, developer] = m_defs[local & 0x0F];
        for (int i = 0; i < fields.size(); ++i) {
            const Field& f = fields[i];
            const quint64 value = i < values.size() ? values[i] : f.value;
            const int unit = unitSize(f.baseType);
            if (f.size % unit != 0) {
                m_records.append(QByteArray(f.size, char(0x11)));
                continue;
            }
            for (int n = 0; n < f.size / unit; ++n)
                put(value, unit);
        }
        for (quint8 size : developer)
            m_records.append(QByteArray(size, char(0xAB)));
    }

    static int unitSize(quint8 baseType)
    {
        static constexpr int sizes[] = {1, 1, 1, 2, 2, 4, 4, 1, 4, 8, 1, 2, 4, 1, 8, 8, 8};
        return sizes[(baseType & 0x1F) % 17];
    }

    bool m_bigEndian;
    QByteArray m_records;
    QPair<QList<Field>, QList<quint8>> m_defs[16];
};

// The base types used below.
namespace fit {
constexpr quint8 Enum = 0x00, UInt8 = 0x02, UInt16 = 0x84, SInt32 = 0x85, UInt32 = 0x86;
}

struct FitLap
{
    int seconds = 300;
    double metres = 1000.0;
    int heartRate = 140; // of each sample; 0: no heart rate recorded
};

// The altitude (stored as (m + 500) * 5) and the cadence of the samples
// fitActivity writes, by the second of their lap: 400 m rising 0.2 m a
// second over each minute, and a cadence of 80 to 89 steps a minute.
inline double sampleAltitude(int second) { return 400.0 + 0.2 * (second % 60); }
inline int sampleCadence(int second) { return 80 + second % 10; }
inline quint64 fitAltitude(int second) { return quint64(std::lround((sampleAltitude(second) + 500.0) * 5.0)); }
inline quint64 fitCadence(int second) { return quint64(sampleCadence(second)); }

// A recorded activity as a watch writes it: file_id, a sample each second
// (position, heart rate, distance, altitude, cadence; compressed timestamps
// between full ones), the laps, the session and the activity at the end.
inline QByteArray fitActivity(const QDateTime& startUtc, const QList<FitLap>& laps, int sport = 1)
{
    FitWriter w;
    const quint32 start = FitWriter::fitTime(startUtc);
    w.define(0, 0, {{0, 1, fit::Enum}, {1, 2, fit::UInt16}, {4, 4, fit::UInt32}});
    w.data(0, {4, 1, start});
    w.define(1, 20, {{253, 4, fit::UInt32}, {0, 4, fit::SInt32}, {1, 4, fit::SInt32}, {3, 1, fit::UInt8},
                     {5, 4, fit::UInt32}, {2, 2, fit::UInt16}, {4, 1, fit::UInt8}});
    w.define(2, 20, {{0, 4, fit::SInt32}, {1, 4, fit::SInt32}, {3, 1, fit::UInt8}, {5, 4, fit::UInt32},
                     {2, 2, fit::UInt16}, {4, 1, fit::UInt8}});
    quint32 t = start;
    double metres = 0.0;
    double latitude = 50.0;
    int total = 0;
    double distance = 0.0;
    for (const FitLap& lap : laps) {
        const double step = lap.seconds > 0 ? lap.metres / lap.seconds : 0.0;
        for (int s = 0; s < lap.seconds; ++s, ++t) {
            metres += step;
            latitude += step / 111195.0;
            const auto lat = quint64(quint32(qint32(std::lround(latitude * 2147483648.0 / 180.0))));
            const auto lon = quint64(quint32(qint32(std::lround(8.0 * 2147483648.0 / 180.0))));
            const quint64 hr = lap.heartRate > 0 ? quint64(lap.heartRate) : 0xFF;
            const auto cm = quint64(std::lround(metres * 100.0));
            const quint64 altitude = fitAltitude(s);
            const quint64 cadence = fitCadence(s);
            if (t % 32 == 0 || t == start)
                w.data(1, {t, lat, lon, hr, cm, altitude, cadence});
            else
                w.compressed(2, t & 0x1F, {lat, lon, hr, cm, altitude, cadence});
        }
        total += lap.seconds;
        distance += lap.metres;
    }
    w.define(3, 19, {{254, 2, fit::UInt16}, {253, 4, fit::UInt32}, {2, 4, fit::UInt32}, {7, 4, fit::UInt32},
                     {8, 4, fit::UInt32}, {9, 4, fit::UInt32}, {15, 1, fit::UInt8}, {16, 1, fit::UInt8}});
    quint32 lapStart = start;
    for (int i = 0; i < laps.size(); ++i) {
        const FitLap& lap = laps[i];
        const quint64 hr = lap.heartRate > 0 ? quint64(lap.heartRate) : 0xFF;
        w.data(3, {quint64(i), lapStart + lap.seconds, lapStart, quint64(lap.seconds) * 1000,
                   quint64(lap.seconds) * 1000, quint64(std::lround(lap.metres * 100.0)), hr,
                   lap.heartRate > 0 ? hr + 10 : 0xFF});
        lapStart += lap.seconds;
    }
    w.define(4, 18, {{253, 4, fit::UInt32}, {2, 4, fit::UInt32}, {5, 1, fit::Enum}, {7, 4, fit::UInt32},
                     {8, 4, fit::UInt32}, {9, 4, fit::UInt32}, {16, 1, fit::UInt8}, {17, 1, fit::UInt8},
                     {25, 2, fit::UInt16}, {26, 2, fit::UInt16}});
    w.data(4, {t, start, quint64(sport), quint64(total) * 1000, quint64(total) * 1000,
               quint64(std::lround(distance * 100.0)), 140, 160, 0, quint64(laps.size())});
    w.define(5, 34, {{253, 4, fit::UInt32}, {0, 4, fit::UInt32}, {1, 2, fit::UInt16}});
    w.data(5, {t, quint64(total) * 1000, 1});
    return w.file();
}
