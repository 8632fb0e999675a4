#include "storabletext.h"

#include "cp1252.h"

namespace StoredText {
namespace {

bool isLineBreak(QChar c)
{
    return c == QLatin1Char('\n') || c == QLatin1Char('\r') || c == QChar::LineSeparator
           || c == QChar::ParagraphSeparator;
}

// What the input check names as the refused character.
QString describe(const QString& text, qsizetype at)
{
    const QChar c = text.at(at);
    if (isLineBreak(c))
        return QStringLiteral("ein Zeilenumbruch");
    if (c.category() == QChar::Other_Control)
        return QStringLiteral("das Steuerzeichen U+%1").arg(c.unicode(), 4, 16, QLatin1Char('0')).toUpper();
    if (at == 0 && c.isSpace())
        return QStringLiteral("ein Leerzeichen am Anfang");
    const qsizetype size = c.isHighSurrogate() && at + 1 < text.size() ? 2 : 1;
    return QStringLiteral("das Zeichen „") + text.mid(at, size) + QStringLiteral("“");
}

} // namespace

qsizetype refusedAt(const QString& text, Kind kind)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (kind == Kind::Memo && (c == QLatin1Char('\n') || c == QLatin1Char('\t')))
            continue;
        if (c.category() == QChar::Other_Control || isLineBreak(c) || !cp1252::canHold(QString(c)))
            return i;
        // The list is read back item by item up to each "%", and the
        // settings file drops blanks at the front of a value.
        if (kind == Kind::ListItem && (c == QLatin1Char('%') || (i == 0 && c.isSpace())))
            return i;
    }
    return -1;
}

QString fault(const QString& field, const QString& text, int maxLength, Kind kind)
{
    const qsizetype at = refusedAt(text, kind);
    if (at >= 0)
        return QStringLiteral("- ") + field + QStringLiteral(": ") + describe(text, at)
               + QStringLiteral(" kann nicht gespeichert werden");
    if (text.size() > maxLength)
        return QStringLiteral("- ") + field + QStringLiteral(": mehr als ") + QString::number(maxLength)
               + QStringLiteral(" Zeichen");
    return {};
}

} // namespace StoredText
