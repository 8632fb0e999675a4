#include "diarycalc.h"

#include <QTest>

class TestDiaryForms : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void paceRoundsHalvesToEvenAndCarries();
    void paceOfUnreadableOrEmptyInput();
    void ridesInKilometresPerHour();
    void durationsBothWays();
    void distanceAndZoneTexts();
    void typedTimesAndDurations();
    void timeSignsBesideQuotations();
    void isoWeeks();
    void weekListsListEveryWeekOnce();
};

void TestDiaryForms::paceRoundsHalvesToEvenAndCarries()
{
    QCOMPARE(CalcPace("00:25:30", 5.0f), QString("5:06 min/km"));
    QCOMPARE(CalcPace("00:04:59", 1.0f), QString("4:59 min/km"));
    QCOMPARE(CalcPace("00:19:59", 2.0f), QString("10:00 min/km")); // 59.5 s up to 60, carried
    QCOMPARE(CalcPace("00:19:57", 2.0f), QString("9:58 min/km"));  // 58.5 s down to 58
    QCOMPARE(CalcPace("00:25:00", 5.0f), QString("5:00 min/km"));
    QCOMPARE(CalcPace("01:00:00", 0.1f), QString("600:00 min/km"));
    QCOMPARE(CalcPace("02:05:07", 21.1f), QString("5:56 min/km"));
    // 105 s over 0.56 km is just below 187.5 s exactly, but in single
    // precision it is the half, which goes to the even 8.
    QCOMPARE(CalcPace("00:01:45", 0.56f), QString("3:08 min/km"));
}

void TestDiaryForms::paceOfUnreadableOrEmptyInput()
{
    QCOMPARE(CalcPace("00:25:30", 0.0f), QString());
    QCOMPARE(CalcPace("00:25:30", -1.0f), QString());
    QCOMPARE(CalcPace("00:00:00", 5.0f), QString());
    QCOMPARE(CalcPace("ab:cd:ef", 5.0f), QString());
    QCOMPARE(CalcPace("00:25:30", std::numeric_limits<float>::quiet_NaN()), QString());
    QCOMPARE(CalcPace("00:25:30", 1e-44f), QString()); // no finite pace
    // Parts that are no number count as 0, the others still count.
    QCOMPARE(CalcPace("  :25:30", 5.0f), QString("5:06 min/km"));
    QCOMPARE(CalcPace("00:25:__", 5.0f), QString("5:00 min/km"));
    // Hours and minutes alone, and one-digit parts.
    QCOMPARE(CalcPace("00:25", 5.0f), QString("5:00 min/km"));
    QCOMPARE(CalcPace("0:5:30", 1.0f), QString("5:30 min/km"));
}

void TestDiaryForms::ridesInKilometresPerHour()
{
    QCOMPARE(unitPaceText("Radfahren", "01:00:00", 27.9f), QString("27,9 km/h"));
    QCOMPARE(unitPaceText(" MTB-Tour", "00:21:30", 10.0f), QString("27,9 km/h"));
    QCOMPARE(unitPaceText("Rennrad", "00:00:00", 10.0f), QString());
    QCOMPARE(unitPaceText("Rennrad", "01:00:00", 0.0f), QString());
    QCOMPARE(unitPaceText("Laufen", "00:25:30", 5.0f), QString("5:06 min/km"));
    QCOMPARE(unitPaceText("Paradelauf", "00:25:30", 5.0f), QString("5:06 min/km"));
    QCOMPARE(unitPaceText(QString(), "00:25:30", 5.0f), QString("5:06 min/km"));
}

void TestDiaryForms::durationsBothWays()
{
    QCOMPARE(DurationToMinutes("0:00"), 0);
    QCOMPARE(DurationToMinutes("1:30"), 90);
    QCOMPARE(DurationToMinutes(""), 0);
    QCOMPARE(DurationToMinutes("45"), 45);
    QCOMPARE(DurationToMinutes(" 1:05"), 65);
    QCOMPARE(DurationToMinutes("x:30"), 30);
    QCOMPARE(DurationToMinutes("99999999:00"), std::numeric_limits<int>::max());

    QCOMPARE(MinutesToDuration(0), QString("k.A."));
    QCOMPARE(MinutesToDuration(-5), QString("k.A."));
    QCOMPARE(MinutesToDuration(5), QString("0:05 h"));
    QCOMPARE(MinutesToDuration(60), QString("1:00 h"));
    QCOMPARE(MinutesToDuration(600), QString("10:00 h"));
}

void TestDiaryForms::distanceAndZoneTexts()
{
    QCOMPARE(distanceText(0.0f), QString("0,0"));
    QCOMPARE(distanceText(1234.56), QString("1234,6"));
    // Taken to whole metres, then halves away from zero, whether the binary
    // value lies above the half (single precision) or below it (double).
    QCOMPARE(distanceText(0.15f), QString("0,2"));
    QCOMPARE(distanceText(0.15), QString("0,2"));
    QCOMPARE(distanceText(419.95), QString("420,0"));
    QCOMPARE(distanceText(-0.0), QString("0,0")); // a file's -0 km
    QCOMPARE(entryDistanceText(-0.0), QString("0"));
    QCOMPARE(weekLabelText(5, 2025), QString("KW 5/2025"));
    QCOMPARE(monthLabelText(3, 2024), QString::fromUtf8("Mär 2024"));
    QCOMPARE(monthLabelText(12, 2025), QString("Dez 2025"));

    QCOMPARE(zoneLine("3", "regenerativer DL", "65", "68"), QString("3;regenerativer DL;65;68;"));
    // split back into its fields, also when the name holds semicolons
    QCOMPARE(splitZoneLine("3;regenerativer DL;65;68;"), QStringList({"3", "regenerativer DL", "65", "68"}));
    QCOMPARE(splitZoneLine(zoneLine("12", "Lauf; ruhig;", "0", "70")), QStringList({"12", "Lauf; ruhig;", "0", "70"}));
}

void TestDiaryForms::isoWeeks()
{
    QCOMPARE(GetWeekNumber(QDate(2021, 1, 1)), 53);
    QCOMPARE(GetWeekNumber(QDate(2024, 12, 31)), 1);
    QCOMPARE(GetWeekNumber(QDate(2026, 1, 4)), 1);
    QCOMPARE(GetWeekNumber(QDate(2026, 1, 5)), 2);
    QCOMPARE(GetMonth(QDate(2026, 12, 7)), 12);
    QCOMPARE(weekLine(QDate(2021, 1, 1)), QString("53;2020;0"));
    QCOMPARE(weekLine(QDate(2024, 12, 31)), QString("1;2025;0"));

    // Every day of three decades, leap years and 53-week years included.
    for (QDate day(1999, 12, 1); day < QDate(2031, 2, 1); day = day.addDays(1)) {
        int year = 0;
        const int week = day.weekNumber(&year);
        if (GetWeekNumber(day) != week || GetWeekYear(day) != year)
            QFAIL(qPrintable(day.toString(Qt::ISODate)));
    }
}

void TestDiaryForms::weekListsListEveryWeekOnce()
{
    QStringList list{"vorher"};
    GetWeekList(list, QDate(2025, 12, 23), QDate(2026, 1, 12));
    QCOMPARE(list, QStringList({"vorher", "52;2025;0", "1;2026;0", "2;2026;0", "3;2026;0"}));

    list.clear();
    GetWeekList(list, QDate(2024, 1, 2), QDate(2024, 1, 29));
    QCOMPARE(list, QStringList({"1;2024;0", "2;2024;0", "3;2024;0", "4;2024;0", "5;2024;0"}));

    list.clear();
    GetWeekList(list, QDate(2026, 1, 6), QDate(2026, 1, 11)); // Tuesday to Sunday
    QCOMPARE(list, QStringList({"2;2026;0"}));
    list.clear();
    GetWeekList(list, QDate(2020, 12, 31), QDate(2021, 1, 3)); // week 53 over the year end
    QCOMPARE(list, QStringList({"53;2020;0"}));

    list.clear();
    GetWeekList(list, QDate(2026, 1, 12), QDate(2025, 12, 23));
    GetWeekList(list, QDate(), QDate(2025, 12, 23));
    QVERIFY(list.isEmpty());

    // Seven years from a Sunday to a Monday: one line per Monday between.
    list.clear();
    const QDate start(2019, 12, 29), end(2027, 1, 4);
    GetWeekList(list, start, end);
    QCOMPARE(list.size(), int(start.addDays(1).daysTo(end) / 7) + 2);
    QCOMPARE(list.removeDuplicates(), 0);
    QCOMPARE(list.first(), QString("52;2019;0"));
    QCOMPARE(list.last(), QString("1;2027;0"));
    QVERIFY(list.contains("53;2020;0"));
    QVERIFY(list.contains("53;2026;0"));
}

void TestDiaryForms::timeSignsBesideQuotations()
{
    // The end of a quotation after a digit is no time sign.
    QCOMPARE(timeSignsAsWords("Lauf mit \"Gruppe 2\" und 'Tempo 5'"), "Lauf mit \"Gruppe 2\" und 'Tempo 5'");
    QCOMPARE(timeSignsAsWords("\"3'30''\" pro km, dann 50\""), "\"3 min30 sec\" pro km, dann 50 sec");
    QCOMPARE(timeSignsAsWords("O'Brien's 4' Pause, 'n Lauf"), "O'Brien's 4 min Pause, 'n Lauf");
}

void TestDiaryForms::typedTimesAndDurations()
{
    // Field texts of the masks hh:mm:ss and hh:mm, blanks where nothing was typed.
    const QList<std::pair<QString, QString>> completed = {
        {"71:5 :  ", "00:07:15"}, {"45:00:  ", "00:45:00"}, {"7 :15:  ", "00:07:15"},
        {"1 :05:30", "01:05:30"}, {"83:0 ", "08:30"},       {"12:34:5 ", "01:23:45"},
        {"75:  :  ", ""},         {"7 :  :  ", "00:00:07"},         {"7 :5 :  ", ""},
        {"12:  :30", ""},         {"79:0 :  ", ""},         {"  :  :  ", ""}};
    for (const auto& [typed, time] : completed)
        QCOMPARE(completedTimeText(typed), time);

    QCOMPARE(storedDuration(" 1:30"), QString("1:30"));
    QCOMPARE(storedDuration("10:05"), QString("10:05"));
    QCOMPARE(storedDuration("01:05"), QString("1:05"));
    QCOMPARE(storedDuration(" 1:60"), QString());
    QCOMPARE(storedDuration(" 1:3 "), QString());
    QCOMPARE(DurationToMinutes(storedDuration("12:30")), 750);

    QCOMPARE(entryCountText(1), QString("1 Trainingseinheit"));
    QCOMPARE(entryCountText(0), QString("0 Trainingseinheiten"));
    QCOMPARE(entryCountText(21), QString("21 Trainingseinheiten"));
}

QTEST_GUILESS_MAIN(TestDiaryForms)
#include "tst_diaryforms.moc"
