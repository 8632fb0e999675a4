#include "resultvalues.h"

#include "cp1252.h"
#include "engineowners.h"
#include "storageerror.h"
#include "textforms.h"

#include <QDate>
#include <QTime>

#include <cstring>

using namespace Firebird;

namespace {

QString floatText(double value, int digits)
{
    return decimalComma(QString::number(value, 'g', digits));
}

// The whole content of a blob, as stored.
QByteArray readBlob(IAttachment* attachment, ITransaction* transaction, ThrowStatusWrapper* st, ISC_QUAD id)
{
    engine::Blob blob(attachment->openBlob(st, transaction, &id, 0, nullptr));
    QByteArray bytes;
    char segment[32768];
    for (;;) {
        unsigned length = 0;
        const int result = blob->getSegment(st, sizeof segment, segment, &length);
        if (result != IStatus::RESULT_OK && result != IStatus::RESULT_SEGMENT)
            break;
        bytes.append(segment, length);
    }
    blob.close(st);
    return bytes;
}

} // namespace

std::vector<Column> columnsOf(IMessageMetadata* meta, ThrowStatusWrapper* st)
{
    std::vector<Column> columns(meta->getCount(st));
    for (unsigned i = 0; i < columns.size(); ++i) {
        columns[i].type = meta->getType(st, i) & ~1u;
        columns[i].nullOffset = meta->getNullOffset(st, i);
        columns[i].offset = meta->getOffset(st, i);
        columns[i].length = meta->getLength(st, i);
        columns[i].scale = meta->getScale(st, i);
        columns[i].subType = meta->getSubType(st, i);
    }
    return columns;
}

FieldValue readField(IUtil* util, const Column& column, ThrowStatusWrapper* st, const unsigned char* buffer,
                     IAttachment* attachment, ITransaction* transaction)
{
    FieldValue v;
    if (*reinterpret_cast<const short*>(buffer + column.nullOffset))
        return v;
    const unsigned char* p = buffer + column.offset;
    const int scale = column.scale;
    auto setInteger = [&](qint64 raw) {
        if (scale < 0) {
            double n = static_cast<double>(raw);
            for (int k = 0; k < -scale; ++k)
                n /= 10.0;
            v.kind = FieldValue::Kind::Float;
            v.number = n;
            v.integer = static_cast<qint64>(n);
            v.format = scale;
        } else {
            v.kind = FieldValue::Kind::Integer;
            v.integer = raw;
            v.number = static_cast<double>(raw);
        }
    };
    switch (column.type) {
    case SQL_TEXT: {
        const unsigned length = column.length;
        unsigned used = length;
        while (used > 0 && p[used - 1] == ' ')
            --used;
        v.kind = FieldValue::Kind::Text;
        v.text = cp1252::decode(reinterpret_cast<const char*>(p), used);
        break;
    }
    case SQL_VARYING: {
        ISC_USHORT length = 0;
        std::memcpy(&length, p, sizeof length);
        v.kind = FieldValue::Kind::Text;
        v.text = cp1252::decode(reinterpret_cast<const char*>(p + sizeof length), length);
        break;
    }
    case SQL_SHORT: {
        ISC_SHORT raw;
        std::memcpy(&raw, p, sizeof raw);
        setInteger(raw);
        break;
    }
    case SQL_LONG: {
        ISC_LONG raw;
        std::memcpy(&raw, p, sizeof raw);
        setInteger(raw);
        break;
    }
    case SQL_INT64: {
        ISC_INT64 raw;
        std::memcpy(&raw, p, sizeof raw);
        setInteger(raw);
        break;
    }
    case SQL_FLOAT: {
        float raw;
        std::memcpy(&raw, p, sizeof raw);
        v.kind = FieldValue::Kind::Float;
        v.number = raw;
        v.format = 7;
        break;
    }
    case SQL_DOUBLE:
    case SQL_D_FLOAT: {
        double raw;
        std::memcpy(&raw, p, sizeof raw);
        v.kind = FieldValue::Kind::Float;
        v.number = raw;
        v.format = 15;
        break;
    }
    case SQL_TYPE_DATE: {
        ISC_DATE raw;
        std::memcpy(&raw, p, sizeof raw);
        unsigned y = 0, m = 0, d = 0;
        util->decodeDate(raw, &y, &m, &d);
        v.kind = FieldValue::Kind::Date;
        v.integer = QDate(int(y), int(m), int(d)).toJulianDay();
        break;
    }
    case SQL_TYPE_TIME: {
        ISC_TIME raw;
        std::memcpy(&raw, p, sizeof raw);
        unsigned h = 0, m = 0, s = 0, f = 0;
        util->decodeTime(raw, &h, &m, &s, &f);
        v.kind = FieldValue::Kind::Time;
        v.number = QTime(int(h), int(m), int(s)).msecsSinceStartOfDay();
        break;
    }
    case SQL_TIMESTAMP: {
        ISC_TIMESTAMP raw;
        std::memcpy(&raw, p, sizeof raw);
        unsigned y = 0, mo = 0, d = 0, h = 0, mi = 0, s = 0, f = 0;
        util->decodeDate(raw.timestamp_date, &y, &mo, &d);
        util->decodeTime(raw.timestamp_time, &h, &mi, &s, &f);
        v.kind = FieldValue::Kind::Timestamp;
        v.integer = QDate(int(y), int(mo), int(d)).toJulianDay();
        v.number = QTime(int(h), int(mi), int(s)).msecsSinceStartOfDay();
        break;
    }
    case SQL_BOOLEAN: {
        v.kind = FieldValue::Kind::Integer;
        v.integer = *p ? 1 : 0;
        v.number = double(v.integer);
        v.text = *p ? QStringLiteral("True") : QStringLiteral("False");
        break;
    }
    case SQL_BLOB: {
        ISC_QUAD id;
        std::memcpy(&id, p, sizeof id);
        if (column.subType == 0) {
            v.kind = FieldValue::Kind::Bytes;
            v.bytes = readBlob(attachment, transaction, st, id);
        } else {
            v.kind = FieldValue::Kind::Text;
            v.text = cp1252::decode(readBlob(attachment, transaction, st, id));
        }
        break;
    }
    default:
        v.kind = FieldValue::Kind::Text; // kinds the schema does not use
        break;
    }
    return v;
}


QString FieldValue::asString() const
{
    if (!text.isNull())
        return text;
    switch (kind) {
    case Kind::Integer:
        return QString::number(integer);
    case Kind::Float:
        return format < 0 ? decimalComma(QString::number(number, 'f', -format)) : floatText(number, format);
    case Kind::Date:
        return dateText(QDate::fromJulianDay(integer));
    case Kind::Time:
        return timeText(QTime::fromMSecsSinceStartOfDay(int(number)));
    case Kind::Timestamp:
        return dateText(QDate::fromJulianDay(integer)) + QLatin1Char(' ')
               + timeText(QTime::fromMSecsSinceStartOfDay(int(number)));
    default:
        return text;
    }
}

qint64 FieldValue::asInteger() const
{
    switch (kind) {
    case Kind::Null:
        return 0;
    case Kind::Integer:
        return integer;
    case Kind::Float:
        return qRound64(number);
    default: {
        bool ok = false;
        const QString t = asString();
        const qint64 value = t.trimmed().toLongLong(&ok);
        if (!ok)
            throw StorageError(QStringLiteral("'%1' ist kein gültiger Integerwert").arg(t));
        return value;
    }
    }
}

double FieldValue::asFloat() const
{
    switch (kind) {
    case Kind::Null:
        return 0.0;
    case Kind::Integer:
    case Kind::Float:
        return number;
    default: {
        bool ok = false;
        const QString t = asString();
        const double value = parseDecimal(t, &ok);
        if (!ok)
            throw StorageError(QStringLiteral("'%1' ist kein gültiger Gleitkommawert").arg(t));
        return value;
    }
    }
}
