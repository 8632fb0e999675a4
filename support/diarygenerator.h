#pragma once

#include <QDate>
#include <QList>

class Database;

// Writes a realistic diary into a database of the program's format: three
// persons (or a club of more, DiarySpec::persons) who train on most days over the years, with one to five units a
// training, shoes that are worn out and replaced, the default zones and some
// of the persons' own, weights on most days and German texts with umlauts.
// The same seed gives the same diary.
struct DiarySpec
{
    int years = 20;
    quint32 seed = 1;
    QDate firstDay = QDate(2006, 1, 1);
    // More make a club: the three's ways of training under other names.
    int persons = 3;
};

struct GeneratedDiary
{
    QList<int> userIds;
    int busiestUser = -1; // the person with the most entries
    int entries = 0;
    int units = 0;
    int shoes = 0;
};

// The database must hold the program's tables (a freshly opened storage);
// all rows are written in one transaction.
GeneratedDiary generateDiary(Database& db, const DiarySpec& spec);
