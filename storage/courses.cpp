#include "courses.h"

#include "bestefforts.h"
#include "database.h"
#include "query.h"
#include "sqltext.h"
#include "storageerror.h"

#include <QtEndian>

#include <array>
#include <cmath>
#include <limits>

namespace Courses {

namespace {

// The stored form of version 1, before compression: a header of 16 bytes
// ("VL", the version, a zero, the sample count as uint32, the start as
// int64 milliseconds since the epoch in UTC, or kNoStart), then one column
// after the other, each the samples' values of fixed width in little
// endian, written byte plane by byte plane (all lowest bytes first), so
// that bytes which hardly change lie side by side for the compression:
//   uint16 which values are recorded (bit 0 the time, then the order below)
//   time      centiseconds, int32 differences to the previous one
//   latitude  1e-7 degrees, int32 differences
//   longitude 1e-7 degrees, int32 differences (modulo 2^32: a step over the date line fits)
//   distance  centimetres, uint32 differences
//   altitude  centimetres, int32 differences
//   heart rate  uint8 beats per minute
//   cadence     uint16 tenths per minute
//   speed       uint16 millimetres per second
//   power       uint16 watts
// A difference is taken to the last recorded value of its column. A value
// that is not recorded, or that lies outside its column's range, has its
// bit clear and a zero in its column.
constexpr int kVersion = 1;
constexpr qsizetype kHeader = 16;
constexpr qint64 kNoStart = std::numeric_limits<qint64>::min();
// Nine days of one sample a second, far beyond any training.
constexpr int kMaxSamples = 800000;

struct Field
{
    double course::Sample::*member;
    double scale;
    double min;
    double max;
    int width; // bytes
    bool differences;
};

const std::array<Field, 9> kFields = {{
    {&course::Sample::seconds, 100.0, double(std::numeric_limits<qint32>::min()),
     double(std::numeric_limits<qint32>::max()), 4, true},
    {&course::Sample::latitude, 1e7, -90e7, 90e7, 4, true},
    {&course::Sample::longitude, 1e7, -180e7, 180e7, 4, true},
    {&course::Sample::distance, 100.0, 0.0, double(std::numeric_limits<quint32>::max()), 4, true},
    {&course::Sample::altitude, 100.0, double(std::numeric_limits<qint32>::min()),
     double(std::numeric_limits<qint32>::max()), 4, true},
    {&course::Sample::heartRate, 1.0, 0.0, 255.0, 1, false},
    {&course::Sample::cadence, 10.0, 0.0, 65535.0, 2, false},
    {&course::Sample::speed, 1000.0, 0.0, 65535.0, 2, false},
    {&course::Sample::power, 1.0, 0.0, 65535.0, 2, false},
}};

constexpr qsizetype bytesPerSample()
{
    qsizetype n = 2;
    for (const Field& f : kFields)
        n += f.width;
    return n;
}

constexpr qsizetype rawSize(qint64 count)
{
    return kHeader + bytesPerSample() * count;
}

// The column's stored units of a value; none when it is not recorded or out of range.
std::optional<qint64> units(const Field& field, double value)
{
    if (!std::isfinite(value))
        return std::nullopt;
    const double scaled = std::round(value * field.scale);
    if (scaled < field.min || scaled > field.max)
        return std::nullopt;
    return qint64(scaled);
}

// Writes n values of the given width byte plane by byte plane.
void putPlanes(char* out, const std::vector<quint32>& values, int width)
{
    const size_t n = values.size();
    for (int b = 0; b < width; ++b)
        for (size_t i = 0; i < n; ++i)
            out[size_t(b) * n + i] = char((values[i] >> (8 * b)) & 0xff);
}

void getPlanes(const uchar* in, std::vector<quint32>& values, int width)
{
    const size_t n = values.size();
    std::fill(values.begin(), values.end(), 0u);
    for (int b = 0; b < width; ++b)
        for (size_t i = 0; i < n; ++i)
            values[i] |= quint32(in[size_t(b) * n + i]) << (8 * b);
}

[[noreturn]] void unreadable(const QString& entryId, int version)
{
    if (version > kVersion)
        throw StorageError(QStringLiteral("Der Verlauf des Eintrags %1 wurde von einer neueren Version des "
                                          "Programms gespeichert und kann nicht gelesen werden")
                               .arg(entryId));
    throw StorageError(QStringLiteral("Der gespeicherte Verlauf des Eintrags %1 ist beschädigt").arg(entryId));
}

} // namespace

QByteArray encode(const course::Course& course)
{
    const qsizetype count = course.samples.size();
    if (count > kMaxSamples)
        throw StorageError(QStringLiteral("Der Verlauf hat %1 Messpunkte; gespeichert werden höchstens %2")
                               .arg(count)
                               .arg(kMaxSamples));
    QByteArray raw(rawSize(count), '\0');
    char* out = raw.data();
    out[0] = 'V';
    out[1] = 'L';
    out[2] = char(kVersion);
    qToLittleEndian(quint32(count), out + 4);
    qToLittleEndian(course.start.isValid() ? course.start.toMSecsSinceEpoch() : kNoStart, out + 8);
    out += kHeader;

    std::vector<quint32> recorded(static_cast<size_t>(count), 0u);
    std::vector<quint32> column(static_cast<size_t>(count));
    char* columnOut = out + 2 * count;
    for (size_t f = 0; f < kFields.size(); ++f) {
        const Field& field = kFields[f];
        qint64 previous = 0;
        for (qsizetype i = 0; i < count; ++i) {
            const std::optional<qint64> value = units(field, course.samples[i].*field.member);
            if (!value) {
                column[size_t(i)] = 0;
                continue;
            }
            recorded[size_t(i)] |= 1u << f;
            column[size_t(i)] = field.differences ? quint32(quint64(*value - previous)) : quint32(*value);
            previous = *value;
        }
        putPlanes(columnOut, column, field.width);
        columnOut += field.width * count;
    }
    putPlanes(out, recorded, 2);
    return qCompress(raw, 6);
}

std::optional<course::Course> decode(const QByteArray& bytes, int version, int sampleCount)
{
    if (version != kVersion || sampleCount < 0 || sampleCount > kMaxSamples || bytes.size() < 4)
        return std::nullopt;
    // qCompress puts the length of the data before the compressed stream:
    // anything but the length of this many samples is refused before
    // anything is unpacked.
    const qsizetype expected = rawSize(sampleCount);
    if (qFromBigEndian<quint32>(bytes.constData()) != quint32(expected))
        return std::nullopt;
    const QByteArray raw = qUncompress(bytes);
    if (raw.size() != expected)
        return std::nullopt;
    const auto* in = reinterpret_cast<const uchar*>(raw.constData());
    if (in[0] != 'V' || in[1] != 'L' || in[2] != kVersion || in[3] != 0
        || qFromLittleEndian<quint32>(in + 4) != quint32(sampleCount))
        return std::nullopt;
    course::Course course;
    if (const qint64 start = qFromLittleEndian<qint64>(in + 8); start != kNoStart)
        course.start = QDateTime::fromMSecsSinceEpoch(start, Qt::UTC);
    in += kHeader;

    const auto count = size_t(sampleCount);
    course.samples.resize(sampleCount);
    std::vector<quint32> recorded(count);
    std::vector<quint32> column(count);
    getPlanes(in, recorded, 2);
    const uchar* columnIn = in + 2 * count;
    for (size_t f = 0; f < kFields.size(); ++f) {
        const Field& field = kFields[f];
        getPlanes(columnIn, column, field.width);
        columnIn += size_t(field.width) * count;
        qint64 value = 0;
        for (size_t i = 0; i < count; ++i) {
            double& target = course.samples[qsizetype(i)].*field.member;
            if (!(recorded[i] & (1u << f))) {
                target = course::kNone;
                continue;
            }
            if (field.differences) {
                // the differences add up modulo 2^32 to the stored value
                const quint32 sum = quint32(quint64(value) + column[i]);
                value = field.min < 0 ? qint64(qint32(sum)) : qint64(sum);
            } else {
                value = column[i];
            }
            target = double(value) / field.scale;
        }
    }
    return course;
}

void store(Database& db, const QString& entryId, const course::Course& course)
{
    const QByteArray bytes = encode(course);
    Transaction transaction(db);
    Query q(db);
    // The entry is held until the course is in, so that it cannot be
    // deleted elsewhere meanwhile and leave a course of no entry behind.
    q.open(QStringLiteral("SELECT ID, UserID, Datum, Kategorie FROM main WHERE ID = ") + quoted(entryId)
           + QStringLiteral(" WITH LOCK"));
    if (q.eof())
        throw StorageError(QStringLiteral("Der Verlauf kann nicht gespeichert werden: Der Eintrag %1 ist nicht mehr "
                                          "vorhanden")
                               .arg(entryId));
    const BestEfforts::Owner owner{int(q.field(1).asInteger()), q.field(2).asString(), q.field(3).asString()};
    q.close();
    BestEfforts::courseWritten(db, entryId, owner, course::bestEfforts(course), course.isEmpty());
    if (course.isEmpty()) {
        q.execSql(QStringLiteral("DELETE FROM verlauf WHERE MainID = ") + quoted(entryId));
    } else {
        q.execSqlWithBlob(QStringLiteral("UPDATE OR INSERT INTO verlauf (MainID, Version, Anzahl, Daten) VALUES (")
                              + quoted(entryId) + QLatin1Char(',') + quoted(kVersion) + QLatin1Char(',')
                              + quoted(qint64(course.samples.size())) + QStringLiteral(", ?) MATCHING (MainID)"),
                          bytes);
    }
    transaction.commit();
}

std::optional<course::Course> read(Database& db, const QString& entryId)
{
    const ResultSet r =
        db.select(QStringLiteral("SELECT Version, Anzahl, Daten FROM verlauf WHERE MainID = ") + quoted(entryId));
    if (r.rows.isEmpty())
        return std::nullopt;
    const ResultRow& row = r.rows.first();
    const int version = int(row.value(0).asInteger());
    const qint64 count = row.value(1).asInteger();
    if (row.value(2).kind != FieldValue::Kind::Bytes || count < 0 || count > kMaxSamples)
        unreadable(entryId, version);
    std::optional<course::Course> course = decode(row.value(2).bytes, version, int(count));
    if (!course)
        unreadable(entryId, version);
    return course;
}

QSet<QString> entriesWithCourse(Database& db, int userId)
{
    const ResultSet r = db.select(QStringLiteral("SELECT v.MainID FROM verlauf v JOIN main m ON m.ID = v.MainID "
                                                 "WHERE m.UserID = ")
                                  + quoted(userId));
    QSet<QString> ids;
    ids.reserve(r.rows.size());
    for (const ResultRow& row : r.rows)
        ids.insert(row.value(0).asString());
    return ids;
}

bool hasCourse(Database& db, const QString& entryId)
{
    return !db.select(QStringLiteral("SELECT MainID FROM verlauf WHERE MainID = ") + quoted(entryId), 1).rows.isEmpty();
}

} // namespace Courses
