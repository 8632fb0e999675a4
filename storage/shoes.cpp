#include "shoes.h"

#include "database.h"
#include "query.h"
#include "sqltext.h"

namespace Shoes {

QList<Listed> list(Database& db, const QString& userId)
{
    const ResultSet rows = db.select(
        QStringLiteral("SELECT ID, Modell, MaxLeistung, PrevLeistung FROM schuhe WHERE UserID = ") + quoted(userId));
    QList<Listed> shoes;
    shoes.reserve(rows.rows.size());
    for (const ResultRow& row : rows.rows)
        shoes.append({row[0].asString(), row[1].asString(), row[2].asString(), row[3].asString()});
    return shoes;
}

StoredRecord storedRecord(const QString& id)
{
    return StoredRecord(
        {QStringLiteral("SELECT ID, Modell, MaxLeistung, PrevLeistung FROM schuhe WHERE ID = ") + quoted(id)});
}

QString idOfModel(Database& db, const QString& userId, const QString& model)
{
    const ResultSet rows = db.select(QStringLiteral("SELECT ID FROM schuhe WHERE modell = ") + quoted(model)
                                         + QStringLiteral(" AND UserID = ") + quoted(userId),
                                     1);
    return rows.rows.isEmpty() ? QString() : rows.rows.first().value(0).asString();
}

void insert(Database& db, const QString& userId, const Shoe& shoe)
{
    db.execute(QStringLiteral("INSERT INTO schuhe (ID, modell, maxleistung, prevleistung, UserID) VALUES "
                              "(gen_id(Gen_schuhe,1), ")
               + quoted(shoe.model) + QStringLiteral(",") + quoted(shoe.max) + QStringLiteral(",") + quoted(shoe.prev)
               + QStringLiteral(",") + quoted(userId) + QStringLiteral(")"));
}

bool update(Database& db, const QString& id, const Shoe& shoe, Renamed* renamed)
{
    // The diary names a shoe by its model: the owner's entries that name the
    // old one change with the shoe, or the shoe loses their kilometres.
    Transaction transaction(db);
    Query q(db);
    q.open(QStringLiteral("SELECT modell, UserID FROM schuhe WHERE ID = ") + quoted(id));
    if (q.eof())
        return false; // deleted at another workstation meanwhile
    const QString before = q.field(0).asString();
    const QString owner = q.field(1).asString();
    if (!q.execSqlOnRecord(QStringLiteral("UPDATE schuhe SET modell = ") + quoted(shoe.model)
                           + QStringLiteral(", maxleistung = ") + quoted(shoe.max) + QStringLiteral(", prevleistung = ")
                           + quoted(shoe.prev) + QStringLiteral(" WHERE ID = ") + quoted(id)))
        return false;
    // The database compares the texts as it compares the model names: a
    // model that differs from the old one by trailing blanks is the same.
    const QString entries = QStringLiteral(" WHERE UserID = ") + quoted(owner) + QStringLiteral(" AND Schuhe = ")
                            + quoted(before) + QStringLiteral(" AND Schuhe <> ") + quoted(shoe.model);
    q.open(QStringLiteral("SELECT COUNT(*) FROM main") + entries);
    const int count = int(q.field(0).asInteger());
    if (count > 0)
        q.execSql(QStringLiteral("UPDATE main SET Schuhe = ") + quoted(shoe.model) + entries);
    transaction.commit();
    if (renamed)
        *renamed = {before, count};
    return true;
}

bool remove(Database& db, const QString& id)
{
    Query query(db);
    return query.execSqlOnRecord(QStringLiteral("DELETE FROM Schuhe WHERE ID = ") + quoted(id));
}

} // namespace Shoes
