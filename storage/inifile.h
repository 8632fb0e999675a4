#pragma once

#include <QString>
#include <QStringList>

// The settings file, read and written by section and key as the Windows
// profile functions do: section and key names compare without letter case,
// all other lines of the file stay as they are, a missing file or key gives
// the caller's default, truth values are written as 1 and 0. The file is in
// code page 1252.
//
// An IniFile reads the file once, when it is made, and keeps what is written
// to it until commit(), which replaces the file whole: a window reads its
// settings with one IniFile and writes them with another when it closes.
class IniFile
{
public:
    // A settings file larger than this is no settings file of this program.
    static constexpr qint64 kLargestFile = 1024 * 1024;

    explicit IniFile(QString path);

    const QString& path() const { return m_path; }

    QString readString(const QString& section, const QString& key, const QString& defaultValue) const;
    int readInteger(const QString& section, const QString& key, int defaultValue) const;
    bool readBool(const QString& section, const QString& key, bool defaultValue) const;

    // Kept until commit().
    void writeString(const QString& section, const QString& key, const QString& value);
    void writeInteger(const QString& section, const QString& key, int value);
    void writeBool(const QString& section, const QString& key, bool value);

    // Writes the file when something was written to it. Throws StorageError
    // when the file cannot be written whole (the old file then stays as it
    // was, and the changes stay here for another try), or when it was there
    // but could not be read: writing it back would lose its other lines.
    void commit();

    // A file above kLargestFile is moved aside to a name beside it, so that
    // the program starts with the default settings and the file is kept.
    // Gives the note for the user, empty when the file is small enough.
    static QString setAsideWhenTooLarge(const QString& path);

private:
    QString m_path;
    QStringList m_lines;
    QString m_lineEnd = QStringLiteral("\r\n");
    bool m_endsWithLineEnd = true;
    QString m_unreadable; // why the file that is there could not be read
    bool m_changed = false;
};

// Lists are stored as items each followed by "%"; "a%b%" holds a and b.
// An empty value gives one empty item; a last item without its "%" counts.
QStringList splitItemList(const QString& value);
QString joinItemList(const QStringList& items);
