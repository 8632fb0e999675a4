#pragma once

#include <QDateTime>
#include <QMap>
#include <QString>
#include <QStringList>

#include <optional>

// The input of the diary-entry editor that is not saved yet, kept in a small
// file beside the settings file so that it outlives the end of the desktop
// session and a crash: "Entwurf-<UserID>.txt" in UTF-8 (0600), one per person,
// replaced whole on every write (a write that fails leaves the file before
// it). The editor writes it while the input changes, removes it when the
// input is saved or let go, and offers it at its next opening for the person.
//
// The file, line by line:
//   [Entwurf]
//   UserID=<ID of the person>
//   Geschrieben=<dd.mm.yyyy hh:mm:ss>
//   Eintrag=<ID of the stored entry being changed, -1 for a new one>
//   <field name>=<text>              one line per basic-data field
//   [Einheiten]
//   Einheit=<cells of one unit row, separated by tabs>
// Backslash, line feed, carriage return and tab in a value are written as
// \\, \n, \r and \t.
class EditorDraft
{
public:
    struct Content
    {
        int userId = -1;
        QString entryId = QStringLiteral("-1");
        QDateTime written;
        QMap<QString, QString> fields; // text of each basic-data field, by the field's name
        // Per unit row its five cells, and as sixth the distance as stored
        // when the row still shows it unchanged (empty otherwise).
        QList<QStringList> units;
    };

    // A draft file larger than this is none of this program's.
    static constexpr qint64 kLargestFile = 1024 * 1024;
    static constexpr int kUnitFields = 6;

    EditorDraft(const QString& settingsPath, int userId);

    const QString& path() const { return m_path; }

    // Replaces the file with the content; false when it could not be
    // written whole (error gets the reason), the file before then stays.
    bool write(const Content& content, QString* error = nullptr);
    // The person's draft; none when there is no file. A file that cannot be
    // read, or holds another person's input, is no draft: it is removed.
    std::optional<Content> load();
    void remove();

    static QString fileName(int userId);

private:
    QString m_path;
    int m_userId = -1;
};
