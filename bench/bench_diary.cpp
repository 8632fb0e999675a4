// Times the diary operations on a diary of twenty years: one entry a day
// with three units each. Run it by hand (build/bin/bench_diary [years]);
// it is not part of the test suite, which never asserts on time.
#include "datafiles.h"
#include "diarycalc.h"
#include "session.h"
#include "sqltext.h"
#include "textforms.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <cstdio>

namespace {

void fill(Session& s, int years)
{
    Transaction t(s.ZDatabase1);
    Query& q = s.ZQuery1;
    q.execSql("INSERT INTO users (ID, Name, Vorname, GebDatum, Geschlecht) VALUES "
              "(gen_id(Gen_Users,1), 'Muster', 'Max', '01.01.1970', '0')");
    const QDate start(2006, 1, 1);
    for (QDate day = start; day < start.addYears(years); day = day.addDays(1)) {
        q.open("INSERT INTO main (ID, Datum, Uhrzeit, Schuhe, Kategorie, UserID) VALUES (gen_id(Gen_Main,1), "
               + quoted(dateText(day)) + ", '07:00:00', 'Renner', 'Laufen', '1') RETURNING ID");
        const QString id = q.field(0).asString();
        for (int sub = 1; sub <= 3; ++sub)
            q.execSql("INSERT INTO units (ID, MainID, SubID, Strecke, Zeit, Puls, Bereich) VALUES "
                      "(gen_id(Gen_Units,1), " + quoted(id) + ", " + quoted(sub)
                      + ", '3.5', '00:18:00', '150', 'extensiver DL')");
    }
    t.commit();
}

template <typename Work>
void measure(const char* what, Work work)
{
    QElapsedTimer timer;
    timer.start();
    work();
    std::printf("%-40s %8lld ms\n", what, static_cast<long long>(timer.elapsed()));
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int years = argc > 1 ? std::atoi(argv[1]) : 20;
    QTemporaryDir dir;
    Session s;
    datafiles::openStorage(s, dir.path() + '/');
    measure("fill", [&] { fill(s, years); });
    measure("entry list of the user", [&] {
        s.ZQuery1.open("SELECT  ID, Datum, Uhrzeit FROM main WHERE UserID = '1' ORDER BY Datum, Uhrzeit");
    });
    measure("GetTotalDistance (all years)", [&] { GetTotalDistance(QDate(1980, 1, 1), QDate::currentDate(), 1); });
    QStringList shoe;
    measure("GetEntriesOfShoe + SumEntryDistances", [&] {
        GetEntriesOfShoe(shoe, 1, "Renner");
        SumEntryDistances(shoe);
    });
    measure("GetTotalDuration (all years)", [&] { GetTotalDuration(QDate(1980, 1, 1), QDate::currentDate(), 1); });
    return 0;
}
