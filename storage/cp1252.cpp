#include "cp1252.h"

#include <array>

namespace cp1252 {
namespace {

// 0x80..0x9F differ from Latin-1; 0 marks the five unused positions,
// which decode to the C1 control of the same value.
constexpr std::array<char16_t, 32> kHighTable = {
    0x20AC, 0x0000, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x0000, 0x017D, 0x0000,
    0x0000, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x0000, 0x017E, 0x0178,
};

char encodeChar(char16_t c)
{
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF))
        return static_cast<char>(c);
    for (std::size_t i = 0; i < kHighTable.size(); ++i) {
        if (kHighTable[i] == c && c != 0)
            return static_cast<char>(0x80 + i);
    }
    if (c >= 0x80 && c < 0xA0) // the unused C1 positions round-trip
        return static_cast<char>(c);
    return '?';
}

} // namespace

QByteArray encode(const QString& text)
{
    QByteArray out;
    out.reserve(text.size());
    for (QChar ch : text)
        out.append(encodeChar(ch.unicode()));
    return out;
}

bool canHold(const QString& text)
{
    for (QChar ch : text) {
        if (encodeChar(ch.unicode()) == '?' && ch != QLatin1Char('?'))
            return false;
    }
    return true;
}

QString decode(const char* data, qsizetype size)
{
    QString out;
    out.reserve(size);
    for (qsizetype i = 0; i < size; ++i) {
        const auto b = static_cast<unsigned char>(data[i]);
        if (b >= 0x80 && b < 0xA0 && kHighTable[b - 0x80] != 0)
            out.append(QChar(kHighTable[b - 0x80]));
        else
            out.append(QChar(b));
    }
    return out;
}

QString decode(const QByteArray& bytes)
{
    return decode(bytes.constData(), bytes.size());
}

} // namespace cp1252
