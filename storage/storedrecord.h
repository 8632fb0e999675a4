#pragma once

#include "database.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

// A record as a window read it from the diary (one row, or a row with the
// rows that belong to it, such as an entry with its units), so that saving
// it can tell whether another workstation has changed it since.
//
// The record is read by its selects, in their order; what they return,
// the text form of every value of every row, is the record's stored form.
class StoredRecord
{
public:
    StoredRecord() = default;
    explicit StoredRecord(QStringList selects) : m_selects(std::move(selects)) {}

    // A record not yet stored (a new one) has no selects until its ID is known.
    void setSelects(QStringList selects) { m_selects = std::move(selects); }
    const QStringList& selects() const { return m_selects; }

    // Remembers the record as it is stored now; in the running transaction
    // when one is active.
    void take(Database& db);
    // Remembers the record as the window has just read it: the results of
    // its selects, in their order.
    void take(const QList<ResultSet>& results);
    // A record of one row, as the window holds its values (each value's
    // text form, in the order of the first select's columns).
    void take(const QStringList& values);
    void forget();
    // Inside the write of saveRecord: the record as the write has stored
    // it, returned by the statement that wrote it (the results of its
    // selects, in their order), so that the save need not read it again.
    void setWritten(const QList<ResultSet>& results);

    // The stored form now; empty when the record is not there.
    QString current(Database& db) const;

    // True when the stored record is there and is neither the one taken nor
    // the one of a save of this program whose answer was lost.
    bool changedElsewhere(Database& db) const;

private:
    friend struct SaveRun;
    QStringList m_selects;
    QString m_taken;
    QString m_pending; // written by a save whose answer was lost, maybe stored
    std::optional<QString> m_written; // as the running save's write stored it
};

// How a checked save ended.
struct SaveResult
{
    enum class Outcome {
        Saved,
        // the record was changed at another workstation since it was taken:
        // nothing was written
        ChangedElsewhere,
    };
    Outcome outcome = Outcome::Saved;
    // When the connection broke as the change was committed and a new
    // connection found it stored: the note that says so.
    QString notice;
};

// Runs write in one transaction. With check, it first makes sure that the
// record is as it was taken; when another workstation has changed it
// (before or during the save) nothing is written. After write the record's
// new form is taken, for the next save.
//
// A commit whose answer was lost is followed by a read on a new
// connection: when the change is there, the save counts as done (with a
// notice); when it is not, StorageError says so; when the diary cannot be
// reached, StorageError says that this is still unknown, and the next save
// takes the record as this one left it for unchanged.
SaveResult saveRecord(Database& db, StoredRecord& record, const std::function<void()>& write, bool check = true);

// How a save of a record that a window read ended, after the user was asked
// about a change made elsewhere.
enum class CheckedSave {
    Saved,
    // the record was changed elsewhere and the user chose its stored
    // version: the window loads it, the input is dropped
    LoadStored,
    // the record was changed elsewhere and the user cancelled: nothing
    // written, the input stays
    Cancelled,
};
