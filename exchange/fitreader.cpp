#include "fitreader.h"

#include "trackmath.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <limits>

namespace exchange {

namespace {

constexpr quint16 kCrcTable[16] = {0x0000, 0xCC01, 0xD801, 0x1400, 0xF001, 0x3C00, 0x2800, 0xE401,
                                   0xA001, 0x6C00, 0x7800, 0xB401, 0x5000, 0x9C01, 0x8801, 0x4400};

// Seconds between the format's epoch (1989-12-31 00:00 UTC) and Unix time.
constexpr qint64 kEpoch = 631065600;
// Below this a time counts from the device's start, not from the epoch.
constexpr quint32 kFirstDate = 0x10000000;

enum Message : quint16 { FileId = 0, SessionMessage = 18, LapMessage = 19, RecordMessage = 20 };

enum Field : quint8 { Timestamp = 253, EnhancedSpeed = 73, EnhancedAltitude = 78 };

// The decoded fields of a message: numbers 0-31 in their own slot, the
// record's enhanced speed and altitude in the two slots after them.
constexpr int kSlots = 34;
constexpr int kEnhancedSpeedSlot = 32;
constexpr int kEnhancedAltitudeSlot = 33;

int slotOf(quint8 number)
{
    if (number < 32)
        return number;
    if (number == EnhancedSpeed)
        return kEnhancedSpeedSlot;
    if (number == EnhancedAltitude)
        return kEnhancedAltitudeSlot;
    return -1;
}

constexpr double kSemicircle = 180.0 / 2147483648.0;

// More than any device records (a sample a second for three weeks, a lap
// each 100 m of a 10,000 km ride): beyond these a file is refused rather
// than filling the memory.
constexpr qsizetype kMostSessions = 1000;
constexpr qsizetype kMostLaps = 100000;
constexpr qsizetype kMostSamples = 2000000;

struct FieldDef
{
    quint8 number = 0;
    quint8 size = 0;
    quint8 baseType = 0;
};

struct Definition
{
    bool defined = false;
    bool bigEndian = false;
    quint16 global = 0;
    int fieldCount = 0;
    std::array<FieldDef, 255> fields{};
    int size = 0; // bytes of one data message, developer fields included
};

// Size in bytes of one value of a base type (by its low five bits).
int typeSize(quint8 baseType)
{
    static constexpr int sizes[] = {1, 1, 1, 2, 2, 4, 4, 1, 4, 8, 1, 2, 4, 1, 8, 8, 8};
    const int kind = baseType & 0x1F;
    return kind < int(std::size(sizes)) ? sizes[kind] : 1;
}

quint64 unsignedAt(const uchar* p, int size, bool bigEndian)
{
    quint64 v = 0;
    for (int i = 0; i < size; ++i)
        v |= quint64(p[bigEndian ? size - 1 - i : i]) << (8 * i);
    return v;
}

// The first value of a field as a number; none when the field holds the
// type's invalid value, is no number, or has a size that fits no value.
std::optional<double> numberOf(const uchar* p, const FieldDef& f, bool bigEndian)
{
    const int kind = f.baseType & 0x1F;
    const int size = typeSize(f.baseType);
    if (f.size < size || f.size % size != 0 || kind == 7 || kind == 13)
        return std::nullopt;
    const quint64 raw = unsignedAt(p, size, bigEndian);
    switch (kind) {
    case 0: // enum
    case 2: // uint8
        return raw == 0xFF ? std::nullopt : std::optional<double>(double(raw));
    case 1: // sint8
        return raw == 0x7F ? std::nullopt : std::optional<double>(double(qint8(raw)));
    case 3: // sint16
        return raw == 0x7FFF ? std::nullopt : std::optional<double>(double(qint16(raw)));
    case 4: // uint16
        return raw == 0xFFFF ? std::nullopt : std::optional<double>(double(raw));
    case 5: // sint32
        return raw == 0x7FFFFFFF ? std::nullopt : std::optional<double>(double(qint32(raw)));
    case 6: // uint32
        return raw == 0xFFFFFFFF ? std::nullopt : std::optional<double>(double(raw));
    case 8: { // float32
        if (raw == 0xFFFFFFFF)
            return std::nullopt;
        float value;
        const quint32 bits = quint32(raw);
        std::memcpy(&value, &bits, sizeof value);
        return std::isfinite(value) ? std::optional<double>(value) : std::nullopt;
    }
    case 9: { // float64
        if (raw == std::numeric_limits<quint64>::max())
            return std::nullopt;
        double value;
        std::memcpy(&value, &raw, sizeof value);
        return std::isfinite(value) ? std::optional<double>(value) : std::nullopt;
    }
    case 10: // uint8z
    case 11: // uint16z
    case 12: // uint32z
    case 16: // uint64z
        return raw == 0 ? std::nullopt : std::optional<double>(double(raw));
    case 14: // sint64
        return raw == 0x7FFFFFFFFFFFFFFFULL ? std::nullopt : std::optional<double>(double(qint64(raw)));
    case 15: // uint64
        return raw == std::numeric_limits<quint64>::max() ? std::nullopt : std::optional<double>(double(raw));
    default:
        return std::nullopt;
    }
}

QDateTime timeOf(quint32 value)
{
    if (value < kFirstDate)
        return {};
    return QDateTime::fromSecsSinceEpoch(kEpoch + value, Qt::UTC);
}

Sport sportOf(int value, QString* name)
{
    switch (value) {
    case 0: return Sport::Generic;
    case 1: return Sport::Running;
    case 2: return Sport::Cycling;
    case 3: return Sport::Transition;
    case 4: return Sport::FitnessEquipment;
    case 5: return Sport::Swimming;
    case 10: return Sport::Training;
    case 11: return Sport::Walking;
    case 12: return Sport::CrossCountrySkiing;
    case 13: return Sport::AlpineSkiing;
    case 15: return Sport::Rowing;
    case 16: return Sport::Mountaineering;
    case 17: return Sport::Hiking;
    case 18: return Sport::Multisport;
    case 19: return Sport::Paddling;
    default:
        *name = QString::number(value);
        return Sport::Other;
    }
}

// What a file of another type holds instead of a training.
QString notATraining(int type)
{
    const QString instead = [type] {
        switch (type) {
        case 1: return QStringLiteral("Angaben zum Gerät");
        case 2: return QStringLiteral("Einstellungen");
        case 3: return QStringLiteral("ein Sportprofil");
        case 5: return QStringLiteral("einen Trainingsplan");
        case 6: return QStringLiteral("eine Strecke");
        case 7: return QStringLiteral("einen Zeitplan");
        case 9: return QStringLiteral("Gewichtswerte");
        case 10: return QStringLiteral("Summen");
        case 11: return QStringLiteral("Ziele");
        case 14: return QStringLiteral("Blutdruckwerte");
        case 15:
        case 32: return QStringLiteral("Messungen der Tagesaktivität");
        case 20: return QStringLiteral("eine Übersicht von Aktivitäten");
        default: return QString();
        }
    }();
    if (instead.isEmpty())
        return QStringLiteral("Die Datei enthält kein Training (FIT-Dateityp %1).").arg(type);
    return QStringLiteral("Die Datei enthält kein Training, sondern %1.").arg(instead);
}

struct ReadSession
{
    Session session;
    std::optional<int> firstLap;
    std::optional<int> lapCount;
    int lapsBefore = 0; // laps read before the session's message
};

// Everything of a file (or a chain of files) that makes its trainings.
class FitParser
{
public:
    QString parse(const QByteArray& bytes);
    ReadResult result();

private:
    QString parseFile(const uchar* data, qsizetype size);
    void take(const Definition& d, const uchar* p, std::optional<quint32> compressedTime);
    Session fromSamples() const;

    std::array<Definition, 16> m_definitions;
    quint32 m_lastTime = 0;
    QList<int> m_fileTypes;
    QList<ReadSession> m_sessions;
    QList<Lap> m_laps;
    QList<TrackPoint> m_track;
    int m_fileLapBase = 0; // laps of the files before this one in a chain
    QString m_tooMany;     // set once the file holds more than a device records
};

QString FitParser::parse(const QByteArray& bytes)
{
    const auto* data = reinterpret_cast<const uchar*>(bytes.constData());
    const qsizetype size = bytes.size();
    if (size == 0)
        return QStringLiteral("Die Datei ist leer.");
    qsizetype at = 0;
    while (at < size) {
        const qsizetype left = size - at;
        // Zero bytes after the last file are padding of the copy, not data.
        if (at > 0 && std::all_of(data + at, data + size, [](uchar b) { return b == 0; }))
            break;
        if (left < 12)
            return at == 0 ? QStringLiteral("Die Datei ist unvollständig (abgeschnitten).")
                           : QStringLiteral("Die Datei ist beschädigt (unbekannte Daten nach dem Ende).");
        const int headerSize = data[at];
        if ((headerSize != 12 && headerSize != 14) || std::memcmp(data + at + 8, ".FIT", 4) != 0)
            return at == 0 ? QStringLiteral("Die Datei ist keine FIT-Datei.")
                           : QStringLiteral("Die Datei ist beschädigt (unbekannte Daten nach dem Ende).");
        if (left < headerSize)
            return QStringLiteral("Die Datei ist unvollständig (abgeschnitten).");
        if (headerSize == 14) {
            const quint16 stored = quint16(data[at + 12] | (data[at + 13] << 8));
            if (stored != 0 && stored != fitCrc(reinterpret_cast<const char*>(data + at), 12))
                return QStringLiteral("Die Datei ist beschädigt (Prüfsumme des Kopfes falsch).");
        }
        const quint64 dataSize = unsignedAt(data + at + 4, 4, false);
        if (quint64(left) < quint64(headerSize) + dataSize + 2)
            return QStringLiteral("Die Datei ist unvollständig (abgeschnitten).");
        const qsizetype end = at + headerSize + qsizetype(dataSize);
        const quint16 stored = quint16(data[end] | (data[end + 1] << 8));
        if (stored != fitCrc(reinterpret_cast<const char*>(data + at), end - at))
            return QStringLiteral("Die Datei ist beschädigt (Prüfsumme falsch).");
        const QString fault = parseFile(data + at + headerSize, qsizetype(dataSize));
        if (!fault.isEmpty())
            return fault;
        at = end + 2;
    }
    return {};
}

QString FitParser::parseFile(const uchar* data, qsizetype size)
{
    // Local message types belong to the file that defines them.
    for (Definition& d : m_definitions)
        d.defined = false;
    // A session's lap index counts within its own file.
    m_fileLapBase = int(m_laps.size());
    const QString pastTheEnd = QStringLiteral("Die Datei ist beschädigt (ein Datensatz reicht über das Ende).");
    qsizetype at = 0;
    while (at < size) {
        if (!m_tooMany.isEmpty())
            return m_tooMany;
        const uchar header = data[at++];
        if (header & 0x80) {
            const Definition& d = m_definitions[(header >> 5) & 0x03];
            if (!d.defined)
                return QStringLiteral("Die Datei ist beschädigt (Datensatz ohne Definition).");
            if (size - at < d.size)
                return pastTheEnd;
            // The offset counts from the timestamp before, full or itself
            // compressed, so that a run of compressed records longer than
            // 32 s keeps going forward.
            const quint32 offset = header & 0x1F;
            quint32 time = (m_lastTime & ~quint32(0x1F)) + offset;
            if (offset < (m_lastTime & 0x1F))
                time += 0x20;
            take(d, data + at, time);
            at += d.size;
        } else if (header & 0x40) {
            Definition& d = m_definitions[header & 0x0F];
            if (size - at < 5)
                return pastTheEnd;
            d.bigEndian = data[at + 1] == 1;
            d.global = quint16(unsignedAt(data + at + 2, 2, d.bigEndian));
            d.fieldCount = data[at + 4];
            at += 5;
            if (size - at < qsizetype(d.fieldCount) * 3)
                return pastTheEnd;
            d.size = 0;
            for (int i = 0; i < d.fieldCount; ++i, at += 3) {
                d.fields[i] = {data[at], data[at + 1], data[at + 2]};
                d.size += data[at + 1];
            }
            if (header & 0x20) {
                if (size - at < 1)
                    return pastTheEnd;
                const int developerFields = data[at++];
                if (size - at < qsizetype(developerFields) * 3)
                    return pastTheEnd;
                // Their values are skipped by their size.
                for (int i = 0; i < developerFields; ++i, at += 3)
                    d.size += data[at + 1];
            }
            d.defined = true;
        } else {
            const Definition& d = m_definitions[header & 0x0F];
            if (!d.defined)
                return QStringLiteral("Die Datei ist beschädigt (Datensatz ohne Definition).");
            if (size - at < d.size)
                return pastTheEnd;
            take(d, data + at, std::nullopt);
            at += d.size;
        }
    }
    return m_tooMany;
}

void FitParser::take(const Definition& d, const uchar* p, std::optional<quint32> compressedTime)
{
    const auto interesting = d.global == FileId || d.global == SessionMessage || d.global == LapMessage
                             || d.global == RecordMessage;
    std::optional<quint32> timestamp = compressedTime;
    // Only the fields a diary entry needs are decoded.
    std::array<std::optional<double>, kSlots> value{};
    const uchar* field = p;
    for (int i = 0; i < d.fieldCount; ++i) {
        const FieldDef& f = d.fields[i];
        if (f.number == Timestamp) {
            if (const auto t = numberOf(field, f, d.bigEndian))
                timestamp = quint32(*t);
        } else if (interesting) {
            if (const int slot = slotOf(f.number); slot >= 0)
                value[slot] = numberOf(field, f, d.bigEndian);
        }
        field += f.size;
    }
    if (timestamp)
        m_lastTime = *timestamp;
    const auto whole = [&](int number) -> std::optional<int> {
        if (!value[number])
            return std::nullopt;
        return int(*value[number]);
    };
    const auto scaled = [&](int number, double scale) -> std::optional<double> {
        if (!value[number])
            return std::nullopt;
        return *value[number] / scale;
    };
    const auto startOf = [&](int number) {
        return value[number] ? timeOf(quint32(*value[number])) : QDateTime();
    };

    switch (d.global) {
    case FileId:
        if (value[0])
            m_fileTypes.append(int(*value[0]));
        break;
    case SessionMessage: {
        ReadSession read;
        Session& s = read.session;
        s.start = startOf(2);
        if (value[5])
            s.sport = sportOf(int(*value[5]), &s.sportName);
        s.elapsedSeconds = scaled(7, 1000.0);
        s.timerSeconds = scaled(8, 1000.0);
        s.distanceMeters = scaled(9, 100.0);
        s.averageHeartRate = whole(16);
        s.maximumHeartRate = whole(17);
        read.firstLap = whole(25);
        if (read.firstLap)
            *read.firstLap += m_fileLapBase;
        read.lapCount = whole(26);
        read.lapsBefore = int(m_laps.size());
        m_sessions.append(read);
        if (m_sessions.size() > kMostSessions)
            m_tooMany = QStringLiteral("Die Datei ist beschädigt (mehr als %1 Einheiten).").arg(kMostSessions);
        break;
    }
    case LapMessage: {
        Lap lap;
        lap.start = startOf(2);
        lap.elapsedSeconds = scaled(7, 1000.0);
        lap.timerSeconds = scaled(8, 1000.0);
        lap.distanceMeters = scaled(9, 100.0);
        lap.averageHeartRate = whole(15);
        lap.maximumHeartRate = whole(16);
        m_laps.append(lap);
        if (m_laps.size() > kMostLaps)
            m_tooMany = QStringLiteral("Die Datei ist beschädigt (mehr als %1 Runden).").arg(kMostLaps);
        break;
    }
    case RecordMessage: {
        TrackPoint point;
        if (timestamp)
            point.time = timeOf(*timestamp);
        if (value[0] && value[1]) {
            point.latitude = *value[0] * kSemicircle;
            point.longitude = *value[1] * kSemicircle;
        }
        point.heartRate = whole(3);
        point.distance = scaled(5, 100.0);
        // The enhanced fields hold the same values in more bits; a device
        // writing both fills the plain ones only while they fit.
        const std::optional<double> altitude =
            value[kEnhancedAltitudeSlot] ? value[kEnhancedAltitudeSlot] : value[2];
        if (altitude)
            point.altitude = *altitude / 5.0 - 500.0;
        point.speed = value[kEnhancedSpeedSlot] ? scaled(kEnhancedSpeedSlot, 1000.0) : scaled(6, 1000.0);
        point.cadence = whole(4);
        point.power = whole(7);
        m_track.append(std::move(point));
        if (m_track.size() > kMostSamples)
            m_tooMany = QStringLiteral("Die Datei ist beschädigt (mehr als %1 Messpunkte).").arg(kMostSamples);
        break;
    }
    default:
        break;
    }
}

// A file of samples without a session (some devices): one session of them.
Session FitParser::fromSamples() const
{
    Session s;
    s.laps = m_laps;
    s.track = m_track;
    for (const TrackPoint& point : m_track) {
        if (!point.time.isValid())
            continue;
        if (!s.start.isValid())
            s.start = point.time;
        s.elapsedSeconds = double(s.start.secsTo(point.time));
    }
    if (!s.start.isValid() && !m_laps.isEmpty())
        s.start = m_laps.first().start;
    for (auto it = m_track.crbegin(); it != m_track.crend(); ++it) {
        if (it->distance) {
            s.distanceMeters = it->distance;
            break;
        }
    }
    s.averageHeartRate = trackAverageHeartRate(m_track);
    s.maximumHeartRate = trackMaximumHeartRate(m_track);
    return s;
}

// The session a moment belongs to: of those whose time span (start to
// start + elapsed time) holds it the one that started last; else the one
// that started last before it; else the first. Sessions without a start
// take no moment. The owner changes only at the sessions' starts and ends,
// so it is worked out once for each of those and for the stretch after
// each; a moment then costs a binary search, not a walk over the sessions.
class SessionSpans
{
public:
    explicit SessionSpans(const QList<ReadSession>& sessions)
    {
        for (int i = 0; i < sessions.size(); ++i) {
            const Session& s = sessions[i].session;
            if (!s.start.isValid())
                continue;
            const std::optional<double> span = s.elapsedSeconds ? s.elapsedSeconds : s.timerSeconds;
            const qint64 start = s.start.toMSecsSinceEpoch();
            // A span beyond any training (hostile values) is cut, not overflowed.
            const qint64 end = span && *span >= 0.0 ? start + qint64(std::min(*span, 1.0e10) * 1000.0) : -1;
            m_spans.append({start, end, i});
            m_breaks << start;
            if (end >= start)
                m_breaks << end;
        }
        std::sort(m_breaks.begin(), m_breaks.end());
        m_breaks.erase(std::unique(m_breaks.begin(), m_breaks.end()), m_breaks.end());
        for (qsizetype k = 0; k < m_breaks.size(); ++k) {
            m_atBreak << walk(m_breaks[k]);
            // Moments are whole milliseconds: the next one after the break
            // stands for the stretch up to the next break.
            m_afterBreak << walk(m_breaks[k] + 1);
        }
        m_beforeAll = walk(std::numeric_limits<qint64>::min());
    }

    bool isEmpty() const { return m_spans.isEmpty(); }

    int owner(const QDateTime& time) const
    {
        const qint64 t = time.toMSecsSinceEpoch();
        const auto after = std::upper_bound(m_breaks.cbegin(), m_breaks.cend(), t);
        if (after == m_breaks.cbegin())
            return m_beforeAll;
        const qsizetype k = std::prev(after) - m_breaks.cbegin();
        return m_breaks[k] == t ? m_atBreak[k] : m_afterBreak[k];
    }

private:
    struct Span
    {
        qint64 start;
        qint64 end; // -1: no span known
        int session;
    };

    int walk(qint64 t) const
    {
        const Span* holding = nullptr;
        const Span* before = nullptr;
        const Span* first = nullptr;
        for (const Span& s : m_spans) {
            if (!first || s.start < first->start)
                first = &s;
            if (s.start > t)
                continue;
            if (!before || s.start >= before->start)
                before = &s;
            if (s.end >= 0 && t <= s.end && (!holding || s.start >= holding->start))
                holding = &s;
        }
        const Span* found = holding ? holding : before ? before : first;
        return found ? found->session : 0;
    }

    QList<Span> m_spans;
    QList<qint64> m_breaks;
    QList<int> m_atBreak;
    QList<int> m_afterBreak;
    int m_beforeAll = 0;
};

ReadResult FitParser::result()
{
    if (!m_fileTypes.isEmpty() && !m_fileTypes.contains(4))
        return ReadResult::refused(notATraining(m_fileTypes.first()));
    Activity activity;
    if (m_sessions.isEmpty()) {
        if (m_laps.isEmpty() && m_track.isEmpty())
            return ReadResult::refused(QStringLiteral("Die Datei enthält kein Training (keine Runde und keine "
                                                      "Zeitpunkte)."));
        activity.sessions.append(fromSamples());
        return ReadResult::read(std::move(activity));
    }

    // Laps a session names by its indexes belong to it, where the ranges
    // the sessions name follow one another in the file.
    const int laps = int(m_laps.size());
    QList<std::optional<std::pair<int, int>>> ranges;
    QList<int> owner(laps, -1);
    int rangesEnd = 0;
    for (int i = 0; i < m_sessions.size(); ++i) {
        const ReadSession& read = m_sessions[i];
        std::optional<std::pair<int, int>> range;
        if (read.lapCount) {
            const int first = read.firstLap.value_or(rangesEnd);
            if (first >= rangesEnd && *read.lapCount >= 0 && first <= laps && *read.lapCount <= laps - first) {
                range = std::pair{first, first + *read.lapCount};
                rangesEnd = range->second;
                std::fill(owner.begin() + first, owner.begin() + range->second, i);
            }
        }
        ranges.append(range);
    }

    // The other laps of a file of several sessions go by their start: to
    // the session whose time span holds it, else to the one that started
    // last before it (a multisport file may write every lap before its
    // sessions, naming no ranges). A lap without start follows the lap
    // before it.
    const bool timedSessions = std::all_of(m_sessions.cbegin(), m_sessions.cend(),
                                           [](const ReadSession& r) { return r.session.start.isValid(); });
    bool timedLaps = false;
    for (int l = 0; l < laps; ++l)
        timedLaps = timedLaps || (owner[l] < 0 && m_laps[l].start.isValid());
    if (m_sessions.size() > 1 && timedSessions && timedLaps) {
        const SessionSpans spans(m_sessions);
        for (int l = 0; l < laps; ++l) {
            if (owner[l] >= 0)
                continue;
            owner[l] = m_laps[l].start.isValid() ? spans.owner(m_laps[l].start) : l > 0 ? owner[l - 1] : 0;
        }
        for (int l = 0; l < laps; ++l)
            m_sessions[owner[l]].session.laps.append(m_laps[l]);
    } else {
        // In file order: a session without a range takes the laps read
        // before its message, up to the next range. Laps skipped before a
        // range go with it, laps after the last session's with that
        // session: no lap is lost, and each belongs to one session.
        int next = 0;
        for (int i = 0; i < m_sessions.size(); ++i) {
            Session& s = m_sessions[i].session;
            int end = next;
            if (ranges[i]) {
                end = std::max(next, ranges[i]->second);
            } else {
                // Up to its message, but not into a range a later session names.
                end = std::max(next, m_sessions[i].lapsBefore);
                for (int later = i + 1; later < m_sessions.size(); ++later) {
                    if (ranges[later]) {
                        end = std::max(next, std::min(end, ranges[later]->first));
                        break;
                    }
                }
            }
            s.laps = m_laps.mid(next, end - next);
            next = end;
            if (!s.start.isValid() && !s.laps.isEmpty())
                s.start = s.laps.first().start;
        }
        if (next < laps)
            m_sessions.last().session.laps += m_laps.mid(next);
    }

    // The samples: all of them for a file of one session; else each to the
    // session whose time span holds it, as the laps go (one without time
    // follows the sample before it, the first ones the first session).
    if (m_sessions.size() == 1) {
        m_sessions.first().session.track = std::move(m_track);
    } else {
        const SessionSpans spans(m_sessions);
        int owner = 0;
        for (TrackPoint& point : m_track) {
            if (point.time.isValid() && !spans.isEmpty())
                owner = spans.owner(point.time);
            m_sessions[owner].session.track.append(std::move(point));
        }
        m_track.clear();
    }
    for (ReadSession& read : m_sessions)
        activity.sessions.append(std::move(read.session));
    return ReadResult::read(std::move(activity));
}

} // namespace

quint16 fitCrc(const char* data, qsizetype size, quint16 crc)
{
    for (qsizetype i = 0; i < size; ++i) {
        const auto byte = quint8(data[i]);
        quint16 tmp = kCrcTable[crc & 0xF];
        crc = (crc >> 4) & 0x0FFF;
        crc = crc ^ tmp ^ kCrcTable[byte & 0xF];
        tmp = kCrcTable[crc & 0xF];
        crc = (crc >> 4) & 0x0FFF;
        crc = crc ^ tmp ^ kCrcTable[(byte >> 4) & 0xF];
    }
    return crc;
}

bool looksLikeFit(const QByteArray& head)
{
    return head.size() >= 12 && (head.at(0) == 12 || head.at(0) == 14) && head.mid(8, 4) == ".FIT";
}

ReadResult readFit(const QByteArray& bytes)
{
    FitParser parser;
    const QString fault = parser.parse(bytes);
    if (!fault.isEmpty())
        return ReadResult::refused(fault);
    return parser.result();
}

} // namespace exchange
