#pragma once

#include "diarysums.h"

// The diary-wide sums of diarysums.h the per-entry way: one SUM statement
// for every entry, as the diary operations first ran them. They give the
// same numbers to the last bit as the set-based sums; the tests compare the
// two and the benchmark measures them side by side.
namespace perentry {

EntryKm EntryDistances(Database& db, int userId);
EntryKm EntryDistances(Database& db, int userId, const QDate& start, const QDate& end,
                       const QString& sport = QString());
EntryKm EntryDistancesOfZone(Database& db, int userId, const QDate& start, const QDate& end,
                             const QString& zone, const QString& sport = QString());
QHash<QString, EntryKm> EntryDistancesByZone(Database& db, int userId, const QDate& start, const QDate& end,
                                             const QString& sport = QString());
double TotalDistance(Database& db, const QDate& start, const QDate& end, int userId);
double ShoeDistance(Database& db, int userId, const QString& shoe);
QHash<QString, double> ShoeDistances(Database& db, int userId);
double SumEntryDistances(Database& db, const QStringList& entryIds);

} // namespace perentry
