#pragma once

#include <QDate>
#include <QString>
#include <QStringList>

// The text forms of durations, paces, distances and zone lines, built on the
// date and decimal forms of textforms.h.

// Duration text of a diary entry ("h:mm", as stored in main.Dauer) to whole
// minutes. A text without a colon is read whole as minutes; a part that is
// no number counts as 0.
int DurationToMinutes(const QString& text);

// The duration as stored ("h:mm", "10:30") from the text of the duration
// field ("hh:mm", blanks where nothing was typed: " 1:30"); hours 0 to 99,
// minutes 0 to 59. Empty when the text is no such duration.
QString storedDuration(const QString& fieldText);

// A time typed without all its digits, completed as a runner means it:
// digits typed in one go stand for the last places ("715" is 7:15 min,
// "00:07:15"; "4500" is 45:00 min); parts typed with their separators are
// the last parts ("7:15" in a field hh:mm:ss is 00:07:15). fieldText is the
// text of a masked time field (sections of digits and blanks between
// colons); the result has the same sections, all filled. Empty when the
// input cannot be read so (one part typed alone, a gap between parts, one
// digit in a later part, minutes or seconds above 59).
QString completedTimeText(const QString& fieldText);

// A number of diary entries as the editor counts them: "1 Trainingseinheit",
// "0 Trainingseinheiten", "12 Trainingseinheiten".
QString entryCountText(qsizetype count);

// Whole minutes as shown: "1:05 h"; "k.A." for 0 or fewer minutes.
QString MinutesToDuration(int minutes);

// Pace of a unit: time "hh:mm:ss" over the distance in km, as "5:07 min/km".
// Parts of the time that are no number count as 0. Empty when the distance
// or the time is not above 0.
QString CalcPace(const QString& time, float distanceKm);

// "5:07 min/km": minutes without leading zero, seconds with two digits.
QString paceText(qint64 minutes, int seconds);

// A race time to the second: "21:34" under an hour, else "1:32:10";
// empty for no time (0 or less, or none).
QString raceTimeText(double seconds);

// Sports whose units are measured as a speed in km/h rather than a pace in
// minutes per km: cycling ("Radfahren", "Rennrad", "MTB", "Bike" ...).
// The one rule of every window that shows a pace.
bool speedSport(const QString& sport);

// "27,9 km/h": one decimal, the decimal comma.
QString speedText(double kmh);

// Speed of a unit: its time "hh:mm:ss" over the distance, as "27,9 km/h";
// empty where CalcPace is empty.
QString CalcSpeed(const QString& time, float distanceKm);

// How a unit of the sport is measured: CalcSpeed for speed sports,
// CalcPace for every other.
QString unitPaceText(const QString& sport, const QString& time, float distanceKm);

// A period as titles name it: "01.03.2025 bis 31.03.2025".
QString periodText(const QDate& from, const QDate& to);

// A calendar week as the charts name it: "KW 5/2025" (week-based year).
QString weekLabelText(int week, int weekYear);
// A month as the charts name it: "Jan 2025", "Mär 2025", "Dez 2025".
QString monthLabelText(int month, int year);

// Distances count in whole metres: a stored distance (10.1499998 for a typed
// 10,15) is taken to the metre before it is added or shown, so every sum is
// the exact sum of the metres (a double holds it to far below a metre), the
// same whichever way and in whichever order it is added.
qint64 distanceMetres(double km);
double wholeMetres(double km); // distanceMetres in kilometres

// Kilometres with one decimal and the decimal comma, without " km": the
// distance taken to whole metres, then rounded half away from zero
// (419,95 km gives "420,0"). Every window shows distances and their sums so.
QString distanceText(double km);

// The editor's distance text: as distanceText when the value has a fraction
// of a kilometre, else the whole kilometres ("12,5" and "12"), without " km".
QString entryDistanceText(double km);

// The time signs of a free text written out: a mark right after a digit
// stands for a time, two apostrophes or a double quote for seconds, one
// apostrophe for minutes ("3'30''" becomes "3 min30 sec", "50\"" becomes
// "50 sec"). Every other quote or apostrophe ("Lauf mit \"Anna\"", "O'Brien")
// stays as typed, also the end of a quotation after a digit ("\"Gruppe 2\"").
QString timeSignsAsWords(const QString& text);

// One training zone as "ID;TrBereich;minHF;maxHF;".
QString zoneLine(const QString& id, const QString& name, const QString& minHF, const QString& maxHF);

// The four fields of a zone line: ID, name, minHF, maxHF. A name may hold
// semicolons of its own: the ID is the first field, the limits are the last two.
QStringList splitZoneLine(const QString& line);
