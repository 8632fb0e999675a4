// Value formats and the colours of the chart's series.
#include "chart.h"
#include "textforms.h"

#include <QRandomGenerator>

#include <algorithm>
#include <cmath>

namespace chart {

// ---------------------------------------------------------------------------
// Value formats

namespace {

struct NumberPattern
{
    QString prefix;
    QString suffix;
    int minInteger = 0;  // "0" before the point
    int minDecimals = 0; // "0" after the point
    int maxDecimals = 0; // "0" and "#" after the point
    bool grouping = false;
};

NumberPattern parsePattern(const QString& format)
{
    NumberPattern p;
    int start = 0;
    while (start < format.size() && format[start] != u'#' && format[start] != u'0')
        ++start;
    int end = start;
    while (end < format.size()
           && (format[end] == u'#' || format[end] == u'0' || format[end] == u','
               || format[end] == u'.'))
        ++end;
    p.prefix = format.left(start);
    p.suffix = format.mid(end);
    bool afterPoint = false;
    for (int i = start; i < end; ++i) {
        const QChar c = format[i];
        if (c == u'.') {
            afterPoint = true;
        } else if (c == u',') {
            if (!afterPoint)
                p.grouping = true;
        } else if (afterPoint) {
            ++p.maxDecimals;
            if (c == u'0')
                p.minDecimals = p.maxDecimals;
        } else if (c == u'0') {
            ++p.minInteger;
        }
    }
    return p;
}

} // namespace

QString formatValue(double value, const QString& format)
{
    const NumberPattern p = parsePattern(format);
    if (!std::isfinite(value))
        value = 0.0;
    // Rounded as every number of the program, halves away from zero.
    QString digits = QString::number(std::fabs(roundedDecimal(value, p.maxDecimals)), 'f', p.maxDecimals);
    QString integer = digits.section(u'.', 0, 0);
    QString fraction = p.maxDecimals > 0 ? digits.section(u'.', 1, 1) : QString();
    while (fraction.size() > p.minDecimals && fraction.endsWith(u'0'))
        fraction.chop(1);
    const bool zero = integer.count(u'0') == integer.size() && fraction.count(u'0') == fraction.size();

    // Leading zeros only as far as the format asks for them.
    while (integer.size() > p.minInteger && integer.startsWith(u'0'))
        integer.remove(0, 1);
    while (integer.size() < p.minInteger)
        integer.prepend(u'0');
    if (p.grouping) {
        for (qsizetype i = integer.size() - 3; i > 0; i -= 3)
            integer.insert(i, u'.');
    }
    QString number = integer;
    if (!fraction.isEmpty())
        number += u',' + fraction;
    if (value < 0 && !zero)
        number.prepend(u'-');
    return p.prefix + number + p.suffix;
}

void Chart::clear()
{
    title.clear();
    foot.clear();
    bars.clear();
    line.clear();
    pie.clear();
    pieMode = false;
    axisMinimum = 0.0;
    axisMaximum = 100.0;
    axisStep = 10.0;
    axisFormat = QStringLiteral("#,##0.### km");
    markFormat = axisFormat;
    slots = 0;
    series.clear();
    axisLabels.clear();
    slotNames.clear();
    valueText = nullptr;
    messageOnly = false;
}

namespace {

double luminance(const QColor& colour)
{
    const auto channel = [](double v) {
        v /= 255.0;
        return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(colour.red()) + 0.7152 * channel(colour.green()) + 0.0722 * channel(colour.blue());
}

} // namespace

double contrastRatio(const QColor& a, const QColor& b)
{
    const double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

QColor readableColour(QRandomGenerator& generator, const QColor& previous)
{
    // About every second colour reads well; the bound only keeps the loop
    // finite.
    for (int attempt = 0; attempt < 1000; ++attempt) {
        const int red = int(generator.bounded(255));
        const int green = int(generator.bounded(255));
        const int blue = int(generator.bounded(255));
        const QColor colour(red, green, blue);
        if (contrastRatio(colour, Qt::black) < 4.5)
            continue;
        if (previous.isValid()
            && std::abs(colour.red() - previous.red()) + std::abs(colour.green() - previous.green())
                    + std::abs(colour.blue() - previous.blue())
                < 120)
            continue;
        return colour;
    }
    return QColor(192, 192, 192);
}

QColor fixedColour(const QString& name)
{
    const QString key = name.trimmed().toLower();
    static const struct
    {
        const char* name;
        QRgb colour;
    } common[] = {
        {"laufen", qRgb(238, 102, 102)},       {"radfahren", qRgb(92, 160, 238)},
        {"schwimmen", qRgb(64, 208, 208)},     {"gehen", qRgb(196, 214, 92)},
        {"wandern", qRgb(96, 196, 112)},       {"skilanglauf", qRgb(186, 166, 240)},
        {"rudern", qRgb(244, 172, 64)},        {"krafttraining", qRgb(236, 130, 206)},
        {"sonstiges", qRgb(184, 184, 184)},    {"", qRgb(216, 196, 156)},
    };
    for (const auto& entry : common)
        if (key == QString::fromUtf8(entry.name))
            return QColor(entry.colour);

    // FNV-1a over the characters: the same in every run, unlike qHash.
    quint32 hash = 2166136261u;
    for (const QChar ch : key) {
        hash ^= ch.unicode();
        hash *= 16777619u;
    }
    // A colour readable under black text that stands apart from the common
    // sports' colours; the hash is stirred until one is found.
    const auto apart = [&](const QColor& colour) {
        for (const auto& entry : common) {
            const QColor other(entry.colour);
            const int dr = colour.red() - other.red(), dg = colour.green() - other.green(),
                      db = colour.blue() - other.blue();
            if (dr * dr + dg * dg + db * db < 60 * 60)
                return false;
        }
        return true;
    };
    QColor fallback(200, 200, 200);
    for (int attempt = 0; attempt < 64; ++attempt) {
        const int hue = int(hash % 360);
        const int saturation = 150 + int((hash >> 9) % 80);
        // Lighter until black text reads on it.
        for (int lightness = 140 + int((hash >> 17) % 40); lightness < 255; lightness += 8) {
            const QColor colour = QColor::fromHsl(hue, saturation, lightness).toRgb();
            if (contrastRatio(colour, Qt::black) >= 4.5) {
                if (apart(colour))
                    return colour;
                if (attempt == 0)
                    fallback = colour;
                break;
            }
        }
        hash = (hash ^ quint32(attempt + 1)) * 16777619u;
    }
    return fallback;
}

} // namespace chart
