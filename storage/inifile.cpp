#include "inifile.h"

#include "cp1252.h"
#include "ownfiles.h"
#include "storageerror.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <optional>

namespace {

[[noreturn]] void notWritten(const QString& path, const QString& reason)
{
    throw StorageError(QStringLiteral("Die Einstellungen konnten nicht gespeichert werden: Die Datei %1 kann "
                                      "nicht geschrieben werden")
                           .arg(QDir::toNativeSeparators(path)),
                       reason);
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

IniFile::IniFile(QString path) : m_path(std::move(path))
{
    QFile file(m_path);
    if (!file.exists())
        return;
    if (file.size() > kLargestFile) {
        m_unreadable = QStringLiteral("Die Datei ist zu groß");
        return;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        m_unreadable = file.errorString();
        return;
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        m_unreadable = file.errorString();
        return;
    }
    const QString text = cp1252::decode(bytes);
    if (text.isEmpty())
        return;
    if (!text.contains(QLatin1String("\r\n")) && text.contains(QLatin1Char('\n')))
        m_lineEnd = QStringLiteral("\n");
    m_endsWithLineEnd = text.endsWith(QLatin1Char('\n'));
    QString normalised = text;
    normalised.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    m_lines = normalised.split(QLatin1Char('\n'));
    if (m_endsWithLineEnd)
        m_lines.removeLast();
}

QString IniFile::readString(const QString& section, const QString& key, const QString& defaultValue) const
{
    bool inSection = false;
    for (const QString& line : m_lines) {
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
    const QString keyLine = key + QLatin1Char('=') + value;
    qsizetype sectionStart = -1; // line index of the section's header
    qsizetype lastInSection = -1; // last non-blank line that belongs to it
    bool inSection = false;
    for (qsizetype i = 0; i < m_lines.size(); ++i) {
        const QString& line = m_lines[i];
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
            m_lines[i] = keyLine;
            m_changed = true;
            return;
        }
        if (!line.trimmed().isEmpty())
            lastInSection = i;
    }
    if (sectionStart < 0) {
        m_lines.append(QLatin1Char('[') + section + QLatin1Char(']'));
        m_lines.append(keyLine);
    } else {
        m_lines.insert(lastInSection + 1, keyLine);
    }
    // a line added at the end gets its line end
    m_endsWithLineEnd = true;
    m_changed = true;
}

void IniFile::writeInteger(const QString& section, const QString& key, int value)
{
    writeString(section, key, QString::number(value));
}

void IniFile::writeBool(const QString& section, const QString& key, bool value)
{
    writeString(section, key, value ? QStringLiteral("1") : QStringLiteral("0"));
}

void IniFile::commit()
{
    if (!m_changed)
        return;
    if (!m_unreadable.isEmpty())
        notWritten(m_path, m_unreadable);
    QString text = m_lines.join(m_lineEnd);
    if (m_endsWithLineEnd && !m_lines.isEmpty())
        text += m_lineEnd;
    // The new content goes to a file beside it that replaces the old one
    // only when it is written whole; there is no writing in place, which a
    // full disk would leave cut off. A folder that takes no new file keeps
    // the old settings and says so.
    QString reason;
    if (!ownfiles::writeWhole(m_path, cp1252::encode(text), ownfiles::Access::Kept, &reason))
        notWritten(m_path, reason);
    m_changed = false;
}

QString IniFile::setAsideWhenTooLarge(const QString& path)
{
    const QFileInfo info(path);
    if (!info.isFile() || info.size() <= kLargestFile)
        return {};
    QString aside = path + QStringLiteral(".zu-gross");
    for (int n = 2; QFileInfo::exists(aside); ++n)
        aside = path + QStringLiteral(".zu-gross-%1").arg(n);
    const QString size = QString::number(double(info.size()) / (1024 * 1024), 'f', 1).replace(QLatin1Char('.'), QLatin1Char(','));
    QString text = QStringLiteral("Die Einstellungsdatei %1 ist mit %2 MB viel größer als eine Einstellungsdatei "
                                  "dieses Programms und wurde nicht gelesen. Das Programm beginnt mit den "
                                  "Grundeinstellungen.")
                       .arg(QDir::toNativeSeparators(path), size);
    if (QFile::rename(path, aside))
        return text + QStringLiteral(" Die Datei ist als %1 erhalten.").arg(QDir::toNativeSeparators(aside));
    return text + QStringLiteral(" Sie bleibt unverändert; Einstellungen werden erst wieder gespeichert, wenn sie "
                                 "entfernt ist.");
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
