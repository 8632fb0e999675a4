#include "inifile.h"

#include "cp1252.h"
#include "storageerror.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>

#include <optional>

namespace {

struct IniText
{
    QStringList lines;
    QString lineEnd = QStringLiteral("\r\n");
    bool endsWithLineEnd = true;
};

[[noreturn]] void notWritten(const QString& path, const QString& reason)
{
    throw StorageError(QStringLiteral("Die Einstellungen konnten nicht gespeichert werden: Die Datei %1 kann "
                                      "nicht geschrieben werden")
                           .arg(QDir::toNativeSeparators(path)),
                       reason);
}

// The file's lines; a missing file has none. With forWriting, a file that
// is there but cannot be read throws: writing it back would lose every
// other line.
IniText load(const QString& path, bool forWriting = false)
{
    IniText ini;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (forWriting && file.exists())
            notWritten(path, file.errorString());
        return ini;
    }
    const QByteArray bytes = file.readAll();
    if (forWriting && file.error() != QFileDevice::NoError)
        notWritten(path, file.errorString());
    const QString text = cp1252::decode(bytes);
    if (text.isEmpty())
        return ini;
    if (!text.contains(QLatin1String("\r\n")) && text.contains(QLatin1Char('\n')))
        ini.lineEnd = QStringLiteral("\n");
    ini.endsWithLineEnd = text.endsWith(QLatin1Char('\n'));
    QString normalised = text;
    normalised.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    ini.lines = normalised.split(QLatin1Char('\n'));
    if (ini.endsWithLineEnd)
        ini.lines.removeLast();
    return ini;
}

std::optional<QString> sectionName(const QString& line)
{
    const QString t = line.trimmed();
    if (!t.startsWith(QLatin1Char('[')))
        return std::nullopt;
    const qsizetype close = t.indexOf(QLatin1Char(']'));
    if (close < 0)
        return std::nullopt;
    return t.mid(1, close - 1).trimmed();
}

bool isKeyLine(const QString& line, const QString& key, QString* value = nullptr)
{
    const qsizetype eq = line.indexOf(QLatin1Char('='));
    if (eq < 0)
        return false;
    if (line.left(eq).trimmed().compare(key, Qt::CaseInsensitive) != 0)
        return false;
    if (value)
        *value = line.mid(eq + 1).trimmed();
    return true;
}

bool sameName(const QString& a, const QString& b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

QString stripQuotes(const QString& value)
{
    if (value.size() >= 2) {
        const QChar first = value.front();
        if ((first == QLatin1Char('"') || first == QLatin1Char('\'')) && value.back() == first)
            return value.mid(1, value.size() - 2);
    }
    return value;
}

} // namespace

IniFile::IniFile(QString path) : m_path(std::move(path)) {}

QString IniFile::readString(const QString& section, const QString& key, const QString& defaultValue) const
{
    const IniText ini = load(m_path);
    bool inSection = false;
    for (const QString& line : ini.lines) {
        if (const auto name = sectionName(line)) {
            inSection = sameName(*name, section);
            continue;
        }
        QString value;
        if (inSection && isKeyLine(line, key, &value))
            return stripQuotes(value);
    }
    return defaultValue;
}

int IniFile::readInteger(const QString& section, const QString& key, int defaultValue) const
{
    bool ok = false;
    const int value = readString(section, key, QString()).trimmed().toInt(&ok);
    return ok ? value : defaultValue;
}

bool IniFile::readBool(const QString& section, const QString& key, bool defaultValue) const
{
    return readInteger(section, key, defaultValue ? 1 : 0) != 0;
}

void IniFile::writeString(const QString& section, const QString& key, const QString& value)
{
    IniText ini = load(m_path, true);
    const QString keyLine = key + QLatin1Char('=') + value;

    qsizetype sectionStart = -1; // line index of the section's header
    qsizetype lastInSection = -1; // last non-blank line that belongs to it
    bool inSection = false;
    bool written = false;
    for (qsizetype i = 0; i < ini.lines.size() && !written; ++i) {
        const QString& line = ini.lines[i];
        if (const auto name = sectionName(line)) {
            if (inSection)
                break;
            inSection = sameName(*name, section);
            if (inSection)
                sectionStart = lastInSection = i;
            continue;
        }
        if (!inSection)
            continue;
        if (isKeyLine(line, key)) {
            ini.lines[i] = keyLine;
            written = true;
        } else if (!line.trimmed().isEmpty()) {
            lastInSection = i;
        }
    }
    if (!written) {
        if (sectionStart < 0) {
            ini.lines.append(QLatin1Char('[') + section + QLatin1Char(']'));
            ini.lines.append(keyLine);
        } else {
            ini.lines.insert(lastInSection + 1, keyLine);
        }
    }

    QString text = ini.lines.join(ini.lineEnd);
    if (ini.endsWithLineEnd || !written)
        text += ini.lineEnd;
    // The new content goes to a file beside it that replaces the old one
    // only when it is written whole; there is no writing in place, which a
    // full disk would leave cut off. A folder that takes no new file keeps
    // the old settings and says so.
    QSaveFile file(m_path);
    const QByteArray bytes = cp1252::encode(text);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        notWritten(m_path, file.errorString());
}

void IniFile::writeInteger(const QString& section, const QString& key, int value)
{
    writeString(section, key, QString::number(value));
}

void IniFile::writeBool(const QString& section, const QString& key, bool value)
{
    writeString(section, key, value ? QStringLiteral("1") : QStringLiteral("0"));
}

QStringList splitItemList(const QString& value)
{
    QStringList items;
    QString rest = value;
    do {
        const qsizetype p = rest.indexOf(QLatin1Char('%'));
        if (p < 0) {
            items.append(rest);
            break;
        }
        items.append(rest.left(p));
        rest.remove(0, p + 1);
    } while (!rest.isEmpty());
    return items;
}

QString joinItemList(const QStringList& items)
{
    QString value;
    for (const QString& item : items)
        value += item + QLatin1Char('%');
    return value;
}
