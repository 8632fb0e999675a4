#pragma once

#include <QDate>
#include <QString>

class Database;

// A person's diary written for spreadsheets: two CSV files, one line per
// diary entry and one line per training unit.
//
// The files follow RFC 4180 with the separator and numbers German
// spreadsheets expect: UTF-8 with a byte-order mark, ";" between the
// fields, CRLF after every line (the header line included), the decimal
// comma. A field is put in double quotes, with its own quotes doubled,
// when it holds a ";", a quote, a CR or LF, or begins or ends with a
// blank; texts are written as stored, nothing is cut or replaced.
//
// Entries: Datum; Uhrzeit; Sportart; Dauer; Strecke (km); Wetter; Schuhe;
// Ruhepuls; Gewicht (kg); Befinden; Notizen, by date and time. The
// distance is the sum of the entry's units (0 without units); Dauer is
// "h:mm" as stored.
// Units: Datum; Uhrzeit (of their entry); Nr.; Strecke (km); Zeit
// (hh:mm:ss); Tempo ("5:07 min/km", for cycling "27,9 km/h"; empty
// without distance or time);
// Puls; Trainingsart, by their entry's date and time and by Nr.
// Dates are dd.mm.yyyy and times hh:mm:ss. Numbers carry up to six
// decimals, without trailing zeros. A pulse or weight of 0 or less (-1 is
// the program's "none") is an empty field.
namespace exchange {

struct CsvExport
{
    QString entriesFile; // the paths written
    QString unitsFile;
    int entries = 0; // lines below the header
    int units = 0;
};

// Writes the person's entries of the period (both end days included; an
// invalid date leaves that end open, so two invalid dates give the whole
// diary) into entriesPath and their units into unitsPath. An empty period
// gives files with the header line only.
//
// Both files are read with two statements in one snapshot of the diary,
// then each is written beside its target and put in place only when it
// is complete: a failed export leaves no half-written file, and a file
// that was there stays as it was. Throws StorageError with a German
// message when the diary cannot be read or a file cannot be written, and
// when both paths name the same file.
CsvExport exportDiary(Database& db, int userId, const QDate& from, const QDate& to, const QString& entriesPath,
                      const QString& unitsPath);

// The person's races (planned ones included) and distance goals, each in a
// file of its own of the same form as the diary's, whatever the period:
// Races: Datum; Wettkampf; Strecke (km); Zielzeit (h:mm:ss, empty for none);
// Notizen, by date. Goals: Jahr; Sportart ("alle Sportarten" for the goal
// of all sports together); Strecke (km), by year and sport. Read in one
// snapshot, each file put in place only when it is complete; throws as
// exportDiary does.
struct PlansExport
{
    int races = 0;
    int goals = 0;
};
PlansExport exportPlans(Database& db, int userId, const QString& racesPath, const QString& goalsPath);

} // namespace exchange
