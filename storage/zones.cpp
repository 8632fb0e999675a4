#include "zones.h"

#include "database.h"
#include "query.h"
#include "sqltext.h"

namespace Zones {

StoredRecord storedRecord(const QString& id)
{
    return StoredRecord({QStringLiteral("SELECT ID, TRBereich, minHF, maxHF FROM bereiche WHERE ID = ") + quoted(id)});
}

void insert(Database& db, const Zone& zone)
{
    db.execute(QStringLiteral("INSERT INTO bereiche (ID, TRBereich, minHF, maxHF) VALUES (gen_id(Gen_Bereich,1), ")
               + quoted(zone.name) + QStringLiteral(",") + quoted(zone.minHF) + QStringLiteral(",")
               + quoted(zone.maxHF) + QStringLiteral(")"));
}

bool update(Database& db, const QString& id, const Zone& zone)
{
    Query query(db);
    return query.execSqlOnRecord(QStringLiteral("UPDATE bereiche SET TRBereich = ") + quoted(zone.name)
                                 + QStringLiteral(",") + QStringLiteral("minHF = ") + quoted(zone.minHF)
                                 + QStringLiteral(",") + QStringLiteral("maxHF = ") + quoted(zone.maxHF)
                                 + QStringLiteral(" WHERE ID = ") + quoted(id));
}

bool remove(Database& db, const QString& id)
{
    Query query(db);
    return query.execSqlOnRecord(QStringLiteral("DELETE FROM bereiche WHERE ID = ") + quoted(id));
}

} // namespace Zones
