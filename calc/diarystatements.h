#pragma once

#include <QDate>
#include <QString>

// Statements that the diary operations share, so that an entry list read
// for a sum is the very list its operation reads.
namespace diarystatements {

// " AND Datum BETWEEN '<start>' AND '<end>'", with the column as given.
QString period(const QDate& start, const QDate& end, const QString& column = QStringLiteral("Datum"));

// " AND <column> = '<sport>'", or nothing for an empty sport (all sports).
QString ofSport(const QString& sport, const QString& column = QStringLiteral("Kategorie"));

// The user's entries of the period, by date and time (GetTotalDistance).
QString entriesForTotal(int userId, const QDate& start, const QDate& end);

// The user's entries that name the shoe, by date (GetEntriesOfShoe).
QString entriesOfShoe(int userId, const QString& shoe);

// The distance column in whole metres, as wholeMetres takes it (diaryforms.h).
QString metres(const QString& column = QStringLiteral("strecke"));

// The whole metres of one entry, optionally of one zone only (GetEntryDistance).
QString entryDistance(const QString& entryId, const QString& zone, bool byZone);

} // namespace diarystatements
