#pragma once

#include "storedrecord.h"

#include <QString>

class Database;

// The training zones of the diary: a name and the heart-rate limits in per
// cent of the maximum pulse (0 where a limit is not given). The list the
// windows show is read with the other lists over the diary (GetZoneList).
namespace Zones {

struct Zone
{
    QString name;
    int minHF = 0;
    int maxHF = 0;
};

// The stored form of the zone with this ID, for a save that notices a
// change made at another workstation.
StoredRecord storedRecord(const QString& id);

void insert(Database& db, const Zone& zone);
// False when the zone is no longer there (deleted at another workstation).
bool update(Database& db, const QString& id, const Zone& zone);
bool remove(Database& db, const QString& id);

} // namespace Zones
