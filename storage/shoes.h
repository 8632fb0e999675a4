#pragma once

#include "storedrecord.h"

#include <QList>
#include <QString>

class Database;

// The running shoes of the persons: a model, the maximum mileage and the
// kilometres run before the shoe was recorded. The diary entries name their
// shoe by its model; the kilometres run since are summed over them
// (ShoeDistances).
namespace Shoes {

// A shoe as it is written.
struct Shoe
{
    QString model;
    int max = 0;
    int prev = 0;
};

// A shoe as the shoe window lists it, the values in their text forms.
struct Listed
{
    QString id;
    QString model;
    QString max;
    QString prev;
};

// The person's shoes.
QList<Listed> list(Database& db, const QString& userId);

// The stored form of the shoe with this ID (its values in the order of
// Listed), for a save that notices a change made at another workstation.
StoredRecord storedRecord(const QString& id);

// The ID of the person's shoe of this model; empty when there is none.
QString idOfModel(Database& db, const QString& userId, const QString& model);

void insert(Database& db, const QString& userId, const Shoe& shoe);

// How many of the owner's diary entries took the new model along.
struct Renamed
{
    QString from;
    int entries = 0;
};
// Writes the shoe, and gives the owner's diary entries that name the old
// model the new one, so that the shoe keeps their kilometres: all or none.
// False when the shoe is no longer there (deleted at another workstation),
// and nothing was written.
bool update(Database& db, const QString& id, const Shoe& shoe, Renamed* renamed = nullptr);

// The diary entries keep naming a deleted shoe.
bool remove(Database& db, const QString& id);

} // namespace Shoes
