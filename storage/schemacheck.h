#pragma once

#include <QStringList>

class Database;

namespace datafiles {

// Where the database differs from the diary this program makes, in German,
// one line each; empty for a diary of the program. Checked are the tables
// the program uses, where present (the entries and the persons must be):
// each of its columns with its type, length and whether it may be empty;
// no further column that must be filled and has no default (inserts of
// the program would fail); no condition, unique index or foreign key on
// them beyond their primary key (on ID; on MainID for the courses). The database holds no trigger,
// procedure, function or package: the program makes none, and one of
// them could change or remove entries behind its back. Further tables,
// further optional columns and indexes are allowed.
QStringList schemaFaults(Database& db);

} // namespace datafiles
