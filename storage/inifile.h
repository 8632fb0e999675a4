#pragma once

#include <QString>
#include <QStringList>

// The settings file, read and written key by key as the Windows profile
// functions do: section and key names compare without letter case, all
// other lines of the file stay as they are, a missing file or key gives the
// caller's default, truth values are written as 1 and 0. The file is held in
// code page 1252 and opened anew for every access.
class IniFile
{
public:
    explicit IniFile(QString path);

    const QString& path() const { return m_path; }

    QString readString(const QString& section, const QString& key, const QString& defaultValue) const;
    int readInteger(const QString& section, const QString& key, int defaultValue) const;
    bool readBool(const QString& section, const QString& key, bool defaultValue) const;

    // Throw StorageError when the file cannot be written.
    void writeString(const QString& section, const QString& key, const QString& value);
    void writeInteger(const QString& section, const QString& key, int value);
    void writeBool(const QString& section, const QString& key, bool value);

private:
    QString m_path;
};

// Lists are stored as items each followed by "%"; "a%b%" holds a and b.
// An empty value gives one empty item; a last item without its "%" counts.
QStringList splitItemList(const QString& value);
QString joinItemList(const QStringList& items);
