#include "editordraft.h"

#include "ownfiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

namespace {

const QString kHeading = QStringLiteral("[Entwurf]");
const QString kUnitsHeading = QStringLiteral("[Einheiten]");
const QString kUnitKey = QStringLiteral("Einheit");
const QString kWrittenForm = QStringLiteral("dd.MM.yyyy hh:mm:ss");

QString escaped(const QString& value)
{
    QString out;
    out.reserve(value.size());
    for (const QChar c : value) {
        switch (c.unicode()) {
        case '\\': out += QLatin1String("\\\\"); break;
        case '\n': out += QLatin1String("\\n"); break;
        case '\r': out += QLatin1String("\\r"); break;
        case '\t': out += QLatin1String("\\t"); break;
        default: out += c;
        }
    }
    return out;
}

// False for a backslash that starts no known sign.
bool unescaped(const QString& value, QString* out)
{
    out->clear();
    for (qsizetype i = 0; i < value.size(); ++i) {
        if (value.at(i) != QLatin1Char('\\')) {
            *out += value.at(i);
            continue;
        }
        if (++i >= value.size())
            return false;
        switch (value.at(i).unicode()) {
        case '\\': *out += QLatin1Char('\\'); break;
        case 'n': *out += QLatin1Char('\n'); break;
        case 'r': *out += QLatin1Char('\r'); break;
        case 't': *out += QLatin1Char('\t'); break;
        default: return false;
        }
    }
    return true;
}

QString line(const QString& key, const QString& value)
{
    return key + QLatin1Char('=') + escaped(value) + QLatin1Char('\n');
}

std::optional<EditorDraft::Content> parse(const QByteArray& bytes, int userId)
{
    QStringDecoder decoder(QStringDecoder::Utf8);
    const QString text = decoder(bytes);
    if (decoder.hasError())
        return std::nullopt;
    QStringList lines = text.split(QLatin1Char('\n'));
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    for (QString& l : lines)
        if (l.endsWith(QLatin1Char('\r')))
            l.chop(1);
    if (lines.isEmpty() || lines.first() != kHeading)
        return std::nullopt;

    EditorDraft::Content content;
    bool inUnits = false;
    bool haveUser = false;
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QString& l = lines.at(i);
        if (l == kUnitsHeading && !inUnits) {
            inUnits = true;
            continue;
        }
        const qsizetype eq = l.indexOf(QLatin1Char('='));
        if (eq <= 0)
            return std::nullopt;
        const QString key = l.left(eq);
        const QString raw = l.mid(eq + 1);
        if (inUnits) {
            if (key != kUnitKey)
                return std::nullopt;
            QStringList cells;
            for (const QString& cell : raw.split(QLatin1Char('\t'))) {
                QString value;
                if (!unescaped(cell, &value))
                    return std::nullopt;
                cells << value;
            }
            if (cells.size() != EditorDraft::kUnitFields)
                return std::nullopt;
            content.units << cells;
            continue;
        }
        QString value;
        if (!unescaped(raw, &value))
            return std::nullopt;
        bool ok = true;
        if (key == QLatin1String("UserID")) {
            content.userId = value.toInt(&ok);
            haveUser = ok;
        } else if (key == QLatin1String("Geschrieben")) {
            content.written = QDateTime::fromString(value, kWrittenForm);
            ok = content.written.isValid();
        } else if (key == QLatin1String("Eintrag")) {
            value.toInt(&ok);
            content.entryId = value;
        } else {
            content.fields.insert(key, value);
        }
        if (!ok)
            return std::nullopt;
    }
    if (!haveUser || content.userId != userId || !content.written.isValid())
        return std::nullopt;
    return content;
}

} // namespace

EditorDraft::EditorDraft(const QString& settingsPath, int userId)
    : m_path(QFileInfo(settingsPath).absoluteDir().filePath(fileName(userId))), m_userId(userId)
{
}

QString EditorDraft::fileName(int userId)
{
    return QStringLiteral("Entwurf-%1.txt").arg(userId);
}

bool EditorDraft::write(const Content& content, QString* error)
{
    QString text = kHeading + QLatin1Char('\n');
    text += line(QStringLiteral("UserID"), QString::number(m_userId));
    text += line(QStringLiteral("Geschrieben"), content.written.toString(kWrittenForm));
    text += line(QStringLiteral("Eintrag"), content.entryId);
    for (auto it = content.fields.cbegin(); it != content.fields.cend(); ++it)
        text += line(it.key(), it.value());
    text += kUnitsHeading + QLatin1Char('\n');
    for (const QStringList& unit : content.units) {
        QStringList cells;
        for (int i = 0; i < kUnitFields; ++i)
            cells << escaped(unit.value(i));
        text += kUnitKey + QLatin1Char('=') + cells.join(QLatin1Char('\t')) + QLatin1Char('\n');
    }
    // Only its person may read it, as the diary.
    return ownfiles::writeWhole(m_path, text.toUtf8(), ownfiles::Access::OwnerOnly, error);
}

std::optional<EditorDraft::Content> EditorDraft::load()
{
    QFile file(m_path);
    if (!file.exists())
        return std::nullopt;
    std::optional<Content> content;
    if (file.size() <= kLargestFile && file.open(QIODevice::ReadOnly))
        content = parse(file.read(kLargestFile + 1), m_userId);
    file.close();
    if (!content)
        remove();
    return content;
}

void EditorDraft::remove()
{
    QFile::remove(m_path);
}
