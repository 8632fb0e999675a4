#pragma once

#include "course.h"
#include "editordraft.h"
#include "entries.h"
#include "records.h"
#include "storedrecord.h"

#include <QDate>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

class Database;

// The diary entry being edited, without a window: the person's entries to
// page through, the entry shown with its basic data and its units, whether
// the input is saved, the input check, saving and deleting, the list view's
// lines and the draft of unsaved input.
//
// The editor window shows what the model holds and hands it what the user
// typed (setValues) before it checks, saves or keeps a draft; the units
// live here, the window's grid shows them. Failures of the diary throw
// StorageError, the model's state staying as it was before the call.
class EditorModel
{
public:
    // The basic data as the fields show and take it: the texts as typed.
    struct Values
    {
        QString date;      // dd.mm.yyyy
        QString time;      // of day, as the field shows it ("8 :30" while typed); no digit: none
        QString sport;
        QString restPulse; // empty: not recorded
        QString weight;    // kg as shown ("72,5"); empty: not recorded
        QString duration;  // h:mm as shown; no digit: none
        QString weather;
        QString shoe;
        QString feeling;
        QString notes;
    };

    // A unit as its row of the grid shows it.
    struct Unit
    {
        QString number;   // "1. "
        QString distance; // "10,000 km " as loaded, or as typed
        QString time;     // h:mm:ss; empty: none
        QString pulse;    // empty: none
        QString zone;
        // The distance as stored, when the unit was loaded; it goes back
        // unrounded as long as the row shows it as loaded.
        std::optional<double> storedKm;

        std::optional<double> unchangedKm() const;
    };

    // What showing the entry at the position found.
    enum class Shown {
        Entry,
        None, // no entry there (the person has none): a new one is being typed
        Gone, // deleted at another workstation after the list was read
    };

    // How a save ended.
    enum class Saved {
        Inserted,
        Updated,
        LoadStored,       // changed elsewhere, the user took the stored version
        Cancelled,        // changed elsewhere, the user cancelled: the input stays
        DeletedElsewhere, // nothing written; the input stays as a new entry
    };

    // Runs the save's writes for a record read before, asking the user when
    // another workstation has changed it since (saveChecked in a window).
    using CheckedWrite = std::function<CheckedSave(StoredRecord& stored, const std::function<void()>& write)>;

    // The first item of the sport and zone lists: none chosen.
    static QString placeholderItem() { return QStringLiteral("-- bitte eintragen oder auswählen --"); }
    // The field names of the draft file, one per value.
    static const QStringList& draftFields();
    static QString loadedDistanceText(double km);

    EditorModel(Database& db, int userId, const QString& settingsPath);

    int userId() const { return m_userId; }

    // --- the person -------------------------------------------------------
    // Reads the values a new entry starts with and the person's maximum
    // heart rate.
    void readPerson();
    int defaultRestPulse() const { return m_defaultRestPulse; } // 0: none
    const QString& defaultWeight() const { return m_defaultWeight; }
    int maxHeartRate() const { return m_maxHeartRate; }

    // --- paging -----------------------------------------------------------
    // Reads the person's entries in date order; with moveToLast the last
    // one becomes the position.
    void readIds(bool moveToLast);
    const QStringList& ids() const { return m_ids; }
    // Whether the entry has a course, as the diary was when the list was
    // read (the entry shown when no ID is given).
    bool hasCourse(const QString& id) const { return m_withCourse.contains(id); }
    bool hasCourse() const { return hasCourse(m_id); }
    int position() const { return m_position; }
    // Kept inside the list; -1 for an empty one.
    void setPosition(int position);
    // Reads the entry at the position into the values and units.
    Shown load();
    // The entry to be shown was deleted elsewhere: reads the list anew and
    // takes the position of the nearest entry left (of two as near the one
    // that was not shown before, so that paging goes on past it).
    void entryGone(const QString& shown);

    // --- the entry ----------------------------------------------------------
    // "-1" for a new entry.
    const QString& id() const { return m_id; }
    // A new entry: no ID, no units. The window sets its fields.
    void startNew();
    // The course of a training taken from a file into the form: a save
    // that stores the entry stores it with it; starting another entry or
    // paging away drops it.
    void setPendingCourse(course::Course course) { m_pendingCourse = std::move(course); }
    const course::Course& pendingCourse() const { return m_pendingCourse; }
    const Values& values() const { return m_values; }
    void setValues(const Values& values) { m_values = values; }
    void setDuration(const QString& text) { m_values.duration = text; }

    const QList<Unit>& units() const { return m_units; }
    // Appends count units as typed (distance as typed, without " km ").
    void addUnits(const QString& distance, const QString& time, const QString& pulse, const QString& zone, int count);
    // Changes the unit; an empty zone keeps the unit's zone.
    void changeUnit(int index, const QString& distance, const QString& time, const QString& pulse,
                    const QString& zone);
    void removeUnit(int index);
    // Swaps the unit with its neighbour (delta -1 or +1); the numbers follow
    // the places.
    void moveUnit(int index, int delta);
    // Numbers the units by their places, from 1.
    void renumberUnits();
    void clearUnits() { m_units.clear(); }
    // The distance of the units in whole metres, as the diary's sums count.
    double unitKm() const;

    bool dirty() const { return m_dirty; }
    void setDirty(bool dirty) { m_dirty = dirty; }

    // --- check and save -----------------------------------------------------
    // The input faults, each a line "- ..."; none when the entry can be
    // saved. A duration left empty becomes "0:00". Without units,
    // keepWithoutUnits is asked whether to save all the same.
    QStringList check(const QDate& today, const std::function<bool()>& keepWithoutUnits);
    // The values and units as they are stored.
    Entries::Entry entry() const;
    // Stores the entry (new or changed) with its units in one transaction;
    // the list is read anew (a new entry at the end of the paging).
    Saved save(const CheckedWrite& checked);
    // The best times the last save set over standard distances, each
    // against the person's best before it (for a running sport only);
    // empty after any other save.
    const QList<records::Notice>& recordNotices() const { return m_recordNotices; }
    // Deletes the entry shown; the one before it becomes the position (the
    // first stays first). False when it was gone already.
    bool remove();

    // --- many entries at once, chosen in the list view -------------------------
    // The fault line of a sport typed for them ("- keine Sportart
    // ausgewählt", a character or length the column cannot take); empty
    // when it can be stored.
    static QString sportFault(const QString& sport);
    // Each changes the entries in one transaction and reads the list anew:
    // the entry shown keeps the position while it is there, else the
    // nearest one left takes it. Returns how many entries were there to be
    // changed. A failure leaves diary and model as they were.
    int assignShoe(const QStringList& ids, const QString& shoe);
    int changeSport(const QStringList& ids, const QString& sport);
    int removeEntries(const QStringList& ids);

    // --- list view ----------------------------------------------------------
    // The cells of the list view, line n for entry n of the paging: ID,
    // date, time, sport, km, resting pulse, weight, shoe, weather, feeling,
    // notes, the sum of the unit times (h:mm:ss) and the pace over the units
    // that have a time (empty where there is none). The paging follows the diary as it is now: entries deleted
    // elsewhere leave it, new ones join at the end.
    QList<QStringList> listLines();

    // --- draft of unsaved input ----------------------------------------------
    EditorDraft& draft() { return m_draft; }
    const EditorDraft& draft() const { return m_draft; }
    EditorDraft::Content draftContent() const;
    // Takes the draft's fields and units over the values; the input counts
    // as unsaved.
    void applyDraft(const EditorDraft::Content& content);

private:
    Database& m_db;
    int m_userId = -1;
    QStringList m_ids;
    QSet<QString> m_withCourse; // the entries of m_ids that have a course
    int m_position = -1;
    QString m_id = QStringLiteral("-1");
    Values m_values;
    QList<Unit> m_units;
    bool m_dirty = false;
    int m_defaultRestPulse = 0;
    QString m_defaultWeight;
    int m_maxHeartRate = 0;
    // The entry shown, as it was read: a save notices a change made
    // elsewhere since.
    StoredRecord m_stored;
    // A new entry whose save lost its answer: it may be stored under this ID.
    QString m_unsureId;
    EditorDraft m_draft;
    course::Course m_pendingCourse;
    QList<records::Notice> m_recordNotices;

    Saved write(const CheckedWrite& checked);
    // Reads the list anew after entries were changed or deleted.
    void followList();
};
