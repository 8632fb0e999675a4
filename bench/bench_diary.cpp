// Times the program on a generated diary of many years (20 unless given):
// start-up, the diary-entry editor and the diary-wide sums. The sums are
// timed the fast way (one statement for all entries) and the per-entry way
// (one statement per entry, perentrysums.h) side by side; the windows only
// have the fast way, their per-entry column stays empty. Run it by hand:
//   build/bin/bench_diary [years]
// It is not part of the test suite, which never asserts on time.
#include "dateedit.h"
#include "datafiles.h"
#include "diarycalc.h"
#include "diarytraining.h"
#include "diarygenerator.h"
#include "maskedit.h"
#include "messages.h"
#include "numericedit.h"
#include "query.h"
#include "records.h"
#include "session.h"
#include "sqltext.h"
#include "tform1.h"
#include "tform3.h"
#include "tform4.h"
#include "tform5.h"
#include "tform6.h"
#include "tform9.h"
#include "tform10.h"
#include "stringgrid.h"
#include "reportpreview.h"
#include "textforms.h"
#include "chart.h"
#include "backup.h"
#include "besteffort.h"
#include "courses.h"
#include "csvexport.h"
#include "fitwriter.h"
#include "goals.h"
#include "overview.h"
#include "overviewpanel.h"
#include "races.h"
#include "perentrysums.h"
#include "delayrelay.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QToolButton>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <optional>

namespace {

double msOf(const std::function<void()>& work)
{
    QElapsedTimer timer;
    timer.start();
    work();
    return double(timer.nsecsElapsed()) / 1e6;
}

// Lets the window system catch up, as it would before the user's next click.
void settle()
{
    QApplication::processEvents();
}

struct Row
{
    const char* what;
    double fast;
    std::optional<double> perEntry;
};

// Runs the work the fast way and then the per-entry way.
Row bothWays(const char* what, const std::function<void()>& fast, const std::function<void()>& perEntry)
{
    const double fastMs = msOf(fast);
    return {what, fastMs, msOf(perEntry)};
}

// Work of the windows, which have the fast way only.
Row fastWay(const char* what, const std::function<void()>& work)
{
    return {what, msOf(work), std::nullopt};
}

template <typename T>
T* control(QWidget* w, const char* name)
{
    T* c = w->findChild<T*>(QString::fromLatin1(name));
    if (!c)
        qFatal("control %s not found", name);
    return c;
}

TForm4* openEditor(TForm1& main, int userId)
{
    main.ComboBox1->setCurrentIndex(main.ComboBox2->findText(QString::number(userId)));
    main.ToolButton3->click();
    settle();
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* editor = qobject_cast<TForm4*>(w); editor && editor->isVisible())
            return editor;
    qFatal("the editor did not open");
}

void closeEditor(TForm4* editor)
{
    Messages::setNextAnswer(QMessageBox::No);
    editor->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    Messages::clearQueuedAnswers();
}

// Types a new entry with five units, as the user does, up to "Eingaben speichern".
void typeEntryWithFiveUnits(TForm4* w, const QString& shoe)
{
    Messages::setNextAnswer(QMessageBox::No);
    control<QToolButton>(w, "ToolButton1")->click();
    Messages::clearQueuedAnswers();
    control<DateEdit>(w, "DateEdit1")->setText(QStringLiteral("15.06.2016"));
    control<MaskEdit>(w, "maskeditL1")->setText(QStringLiteral("18:30"));
    control<QComboBox>(w, "ComboBox3")->setEditText(QStringLiteral("Laufen"));
    control<QComboBox>(w, "ComboBox2")->setEditText(shoe);
    for (int i = 1; i <= 5; ++i) {
        control<QToolButton>(w, "SpeedButton5")->click();
        control<NumericEdit>(w, "EnhancedEdit3")->setText(QStringLiteral("2,5"));
        control<MaskEdit>(w, "maskeditL2")->setText(QStringLiteral("00:12:30"));
        control<NumericEdit>(w, "EnhancedEdit4")->setText(QStringLiteral("150"));
        control<QPushButton>(w, "Button1")->click();
    }
}

QString residentMemory()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return QStringLiteral("unknown");
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return QString::fromLatin1(line.mid(6).trimmed());
    return QStringLiteral("unknown");
}

void print(const Row& row)
{
    if (!row.perEntry) {
        std::printf("%-44s %10.1f %12s %8s\n", row.what, row.fast, "-", "-");
        return;
    }
    std::printf("%-44s %10.1f %12.1f %8.1f\n", row.what, row.fast, *row.perEntry,
                row.fast > 0.0 ? *row.perEntry / row.fast : 0.0);
}

// The charts of training load and trends; they have no per-entry way.
const char* const kTrendCharts[] = {"statistics: training load (window)", "statistics: pace trend (window)",
                                    "statistics: km per week by sport (window)",
                                    "statistics: km per month by sport (window)"};

// What every part of the benchmark works on: the started program, the
// busiest person of the generated diary and the shoe of most of its entries.
struct Bench
{
    TForm1* main;
    Session& s;
    int user;
    QString shoe;
    const DiarySpec& spec;
    QString folder;
};

void benchSums(const Bench& b)
{
    Session& s = b.s;
    const int user = b.user;
    const QString& shoe = b.shoe;
    const QDate allYears(1980, 1, 1);
    print(bothWays(
        "GetTotalDistance, all years", [&] { GetTotalDistance(s.ZDatabase1, allYears, QDate::currentDate(), user); },
        [&] { distanceText(perentry::TotalDistance(s.ZDatabase1, allYears, QDate::currentDate(), user)); }));
    print(bothWays(
        "shoe mileage (entries of a shoe, their sum)", [&] { ShoeDistance(s.ZDatabase1, user, shoe); },
        [&] { perentry::ShoeDistance(s.ZDatabase1, user, shoe); }));
    print(bothWays(
        "mileage of each of the person's shoes", [&] { ShoeDistances(s.ZDatabase1, user); },
        [&] { perentry::ShoeDistances(s.ZDatabase1, user); }));
    print(bothWays(
        "GetEntriesOfShoe + SumEntryDistances",
        [&] {
            QStringList entries;
            GetEntriesOfShoe(s.ZDatabase1, entries, user, shoe);
            SumEntryDistances(s.ZDatabase1, entries);
        },
        [&] {
            QStringList entries;
            GetEntriesOfShoe(s.ZDatabase1, entries, user, shoe);
            perentry::SumEntryDistances(s.ZDatabase1, entries);
        }));
    print(bothWays(
        "kilometres of every entry (list view)", [&] { EntryDistances(s.ZDatabase1, user); },
        [&] { perentry::EntryDistances(s.ZDatabase1, user); }));
}

void benchEditor(const Bench& b)
{
    TForm1* main = b.main;
    const int user = b.user;
    const QString& shoe = b.shoe;
    // The editor for the person with the most entries, each step once.
    closeEditor(openEditor(*main, user)); // the engine's caches are warm
    QList<Row> editorRows = {{"editor: open", 0, {}},       {"editor: fill the list view", 0, {}},
                             {"list filter on 20 years", 0, {}},        {"editor: sort the list by pace", 0, {}},
                             {"editor: page to the first entry", 0, {}}, {"editor: page to the last entry", 0, {}},
                             {"editor: save an entry with 5 units", 0, {}}};
    TForm4* editor = nullptr;
    QList<double> ms;
    ms << msOf([&] { editor = openEditor(*main, user); });
    ms << msOf([&] {
        control<QToolButton>(editor, "ToolButton8")->click();
        settle();
    });
    // One change of the filter once the typing pauses: from all rows to the
    // few that match, read with the matching statement and hidden in the grid.
    ms << msOf([&] {
        control<QLineEdit>(editor, "FilterEdit")->setText(QStringLiteral("GRÜN"));
        editor->FilterChange();
        settle();
    });
    if (!control<QLabel>(editor, "StatusPanel0")->text().contains(QStringLiteral(" von ")))
        qFatal("the filter did not narrow the list");
    control<QLineEdit>(editor, "FilterEdit")->clear();
    editor->FilterChange();
    ms << msOf([&] {
        StringGrid* grid = control<StringGrid>(editor, "StringAlignGrid2");
        // The click on the heading "Tempo" (logical column 12).
        Q_EMIT grid->horizontalHeader()->sectionClicked(12);
        settle();
    });
    control<QToolButton>(editor, "ToolButton12")->click();
    ms << msOf([&] {
        control<QToolButton>(editor, "ToolButton3")->click();
        settle();
    });
    ms << msOf([&] {
        control<QToolButton>(editor, "ToolButton6")->click();
        settle();
    });
    typeEntryWithFiveUnits(editor, shoe);
    ms << msOf([&] {
        control<QToolButton>(editor, "ToolButton10")->click();
        settle();
    });
    if (!Messages::shown().isEmpty())
        qFatal("a message box came up while saving");
    closeEditor(editor);
    for (int i = 0; i < editorRows.size(); ++i)
        editorRows[i].fast = ms[i];
    for (const Row& row : editorRows)
        print(row);
}

void benchShoeWindow(const Bench& b)
{
    TForm1* main = b.main;
    const int user = b.user;
    // The shoe window for the same person: its list with the kilometres of every shoe.
    main->ComboBox1->setCurrentIndex(main->ComboBox2->findText(QString::number(user)));
    const auto openShoeWindow = [&] {
        main->ToolButton1->click();
        settle();
        TForm3* shoes = main->findChild<TForm3*>();
        if (!shoes || !shoes->isVisible() || shoes->shoeList().isEmpty())
            qFatal("the shoe window did not open with its shoes");
        shoes->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    };
    openShoeWindow(); // warm caches
    print(fastWay("shoe window: open with all shoes listed", openShoeWindow));
}

QList<double> benchStatistics(const Bench& b)
{
    TForm1* main = b.main;
    const DiarySpec& spec = b.spec;
    // The statistics over the whole diary of the same person: each evaluation
    // composed and drawn once.
    main->ToolButton6->click();
    settle();
    TForm5* stats = main->findChild<TForm5*>();
    if (!stats || !stats->isVisible())
        qFatal("the statistics window did not open");
    control<DateEdit>(stats, "FromDate1")->setText(dateText(spec.firstDay));
    control<DateEdit>(stats, "TilDate1")->setText(dateText(QDate(spec.firstDay.year() + spec.years - 1, 12, 31)));
    const char* evaluations[] = {"statistics: zone shares",   "statistics: sport shares (km)",
                                 "statistics: sport shares (time)", "statistics: km per day",
                                 "statistics: weight per day", "statistics: shoes"};
    for (int evaluation = 1; evaluation <= 6; ++evaluation) {
        control<QComboBox>(stats, "ComboBox3")->setCurrentIndex(evaluation);
        settle();
        print(fastWay(evaluations[evaluation - 1], [&] {
            stats->CreateDiagramm();
            stats->Chart1->toImage();
        }));
    }
    control<QCheckBox>(stats, "BitCheckBox2")->click();
    for (int evaluation = 4; evaluation <= 5; ++evaluation) {
        control<QComboBox>(stats, "ComboBox3")->setCurrentIndex(evaluation);
        settle();
        print(fastWay(evaluation == 4 ? "statistics: km per week" : "statistics: weight per week", [&] {
            stats->CreateDiagramm();
            stats->Chart1->toImage();
        }));
    }
    // The charts of training load and trends, composed and drawn; they have
    // no per-entry way.
    QList<double> trendMs(4);
    for (int evaluation = 7; evaluation <= 10; ++evaluation) {
        control<QComboBox>(stats, "ComboBox3")->setCurrentIndex(evaluation);
        settle();
        trendMs[evaluation - 7] = msOf([&] {
            stats->CreateDiagramm();
            stats->Chart1->toImage();
        });
        if (stats->chart().slots == 0)
            qFatal("a chart of training load or trends came out empty");
    }
    stats->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return trendMs;
}

void benchReport(const Bench& b)
{
    TForm1* main = b.main;
    const DiarySpec& spec = b.spec;
    // The diary report of the same person, composed into the report window's
    // preview: the last year, then all years.
    main->ToolButton7->click();
    settle();
    TForm6* reports = main->findChild<TForm6*>();
    if (!reports || !reports->isVisible())
        qFatal("the report window did not open");
    const QString lastYear = QString::number(spec.firstDay.year() + spec.years - 1);
    control<DateEdit>(reports, "FromDate1")->setText(QStringLiteral("01.01.") + lastYear);
    control<DateEdit>(reports, "TilDate1")->setText(QStringLiteral("31.12.") + lastYear);
    control<QCheckBox>(reports, "BitCheckBox3")->setCheckState(Qt::Checked);
    control<QComboBox>(reports, "ComboBox3")->setCurrentIndex(1);
    settle();
    print(fastWay("report window: diary report of one year", [&] { reports->ComboBox3Change(); }));
    control<DateEdit>(reports, "FromDate1")->setText(dateText(spec.firstDay));
    settle();
    const int pages = reports->PrintPreview1->pageCount();
    print(fastWay("report window: diary report of all years", [&] { reports->ComboBox3Change(); }));
    std::printf("%-44s %10d\n", "  (pages of all years)", pages);
    reports->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void benchImport(const Bench& b)
{
    TForm1* main = b.main;
    const int user = b.user;
    const QString& folder = b.folder;
    // A watch's history taken into the same person's diary: 1,000 FIT files
    // of an hour each (a sample every second, six laps), then one more file
    // into the editor's form. One way only: the import has no per-entry twin.
    const QString watch = folder + QStringLiteral("Uhr/");
    QDir().mkpath(watch);
    const QList<FitLap> laps(6, FitLap{600, 2000.0, 148});
    const QDateTime first = QDateTime(QDate::currentDate().addDays(-1001), QTime(5, 17)).toUTC();
    const double writing = msOf([&] {
        for (int i = 0; i < 1000; ++i) {
            QFile file(watch + QStringLiteral("%1.fit").arg(i, 4, 10, QLatin1Char('0')));
            if (!file.open(QIODevice::WriteOnly) || file.write(fitActivity(first.addDays(i), laps)) < 0)
                qFatal("the watch files could not be written");
        }
    });
    TForm4* editor = openEditor(*main, user);
    const int before = int(editor->entries().size());
    Messages::setNextAnswer(QMessageBox::Ok);
    const double history = msOf([&] {
        editor->importPaths({watch});
        settle();
    });
    if (editor->entries().size() != before + 1000)
        qFatal("the import did not take every training");
    Messages::clearShown();
    QFile::remove(watch + QStringLiteral("0999.fit"));
    const QString single = folder + QStringLiteral("eins.fit");
    QFile one(single);
    if (!one.open(QIODevice::WriteOnly) || one.write(fitActivity(first.addDays(1000), laps)) < 0)
        qFatal("the watch file could not be written");
    one.close();
    const double form = msOf([&] {
        editor->importPaths({single});
        settle();
    });
    if (!editor->hasUnsavedChanges() || !Messages::shown().isEmpty())
        qFatal("the single file did not come into the form");
    closeEditor(editor);
    std::printf("\nimport of watch files (one way):\n");
    std::printf("%-44s %10.1f\n", "import: 1,000 FIT files of an hour", history);
    std::printf("%-44s %10.1f\n", "import: one FIT file of an hour into the form", form);
    std::printf("%-44s %10.1f\n", "  (writing the 1,000 files, not counted)", writing);
}

// A course of some hours at one sample a second (a slow loop with its
// pulse, altitude and cadence), as a long ride or an ultra run records it.
course::Course longCourse(const QDateTime& start, int hours = 10)
{
    course::Course c;
    c.start = start;
    c.samples.reserve(hours * 3600);
    double metres = 0.0;
    for (int s = 0; s < hours * 3600; ++s) {
        course::Sample p;
        p.seconds = s;
        const double angle = s / 1800.0;
        p.latitude = 50.1 + 0.02 * std::sin(angle);
        p.longitude = 8.6 + 0.03 * std::cos(angle);
        metres += 2.8 + 0.3 * std::sin(s / 97.0);
        p.distance = metres;
        p.altitude = 120.0 + 40.0 * std::sin(s / 600.0);
        p.heartRate = 135 + (s / 7) % 25;
        p.cadence = 84 + s % 5;
        c.samples << p;
    }
    return c;
}

void benchCourse(const Bench& b)
{
    Session& s = b.s;
    // The courses the import stored, and a course of ten hours opened from
    // the editor's course button.
    Query q(s.ZDatabase1);
    q.open(QStringLiteral("SELECT COUNT(*), SUM(OCTET_LENGTH(v.Daten)) FROM verlauf v JOIN main m ON m.ID = v.MainID "
                          "WHERE m.UserID = ")
           + quoted(b.user));
    const int courses = int(q.field(0).asInteger());
    const double kbPerHour = courses > 0 ? q.field(1).asFloat() / courses / 1024.0 : 0.0;
    const QStringList ids = Entries::ids(s.ZDatabase1, b.user);
    const QString last = ids.last();
    Courses::store(s.ZDatabase1, last, longCourse(QDateTime::currentDateTimeUtc().addDays(-1)));
    std::optional<course::Course> read;
    const double reading = msOf([&] { read = Courses::read(s.ZDatabase1, last); });
    if (!read || read->samples.size() != 36000)
        qFatal("the course of ten hours did not come back");
    TForm4* editor = openEditor(*b.main, b.user);
    if (editor->model().id() != last || !editor->VerlaufButton->isEnabled())
        qFatal("the editor does not offer the course");
    TForm9* window = nullptr;
    const double opening = msOf([&] {
        editor->VerlaufButton->click();
        settle();
        window = editor->findChild<TForm9*>();
    });
    if (!window || !window->isVisible())
        qFatal("the course window did not open");
    window->close();
    settle();
    closeEditor(editor);
    std::printf("\ncourse of a training (one way):\n");
    std::printf("%-44s %10.1f\n", "course: read a course of 10 hours", reading);
    std::printf("%-44s %10.1f\n", "course window: open a course of 10 hours", opening);
    std::printf("%-44s %10s\n", "  (courses stored by the import, kB an hour)",
                qPrintable(QStringLiteral("%1 / %2").arg(courses).arg(kbPerHour, 0, 'f', 1)));
}

// Best efforts as a diary holds them when every run has a course: each
// running entry gets one over each standard distance it covers, at a pace of
// 4:00 to 5:00 min/km. Then the records window's reads, against one
// statement per entry.
void benchRecords(const Bench& b)
{
    Session& s = b.s;
    const course::Course threeHours = longCourse(QDateTime::currentDateTimeUtc(), 3);
    QList<course::Effort> efforts;
    const double computing = msOf([&] { efforts = course::bestEfforts(threeHours); });
    if (efforts.isEmpty())
        qFatal("a course of three hours gave no best efforts");
    Query q(s.ZDatabase1);
    for (const course::StandardDistance& d : course::standardDistances())
        q.execSql(QStringLiteral("INSERT INTO bestzeiten (MainID, Strecke, Sekunden, Beginn, Einheit, UserID, Datum, Lauf) SELECT m.ID, ")
                  + quoted(d.metres) + QStringLiteral(", ") + QString::number(d.exact / 1000.0, 'f', 4)
                  + QStringLiteral(" * (240 + MOD(m.ID * 7, 60)), 0, 0, m.UserID, m.Datum, 1 FROM main m WHERE m.UserID = ") + quoted(b.user)
                  + QStringLiteral(" AND m.Kategorie = 'Laufen' AND NOT EXISTS (SELECT 1 FROM bestzeiten x WHERE "
                                   "x.MainID = m.ID AND x.Strecke = ")
                  + quoted(d.metres) + QStringLiteral(") AND (SELECT SUM(u.strecke) FROM units u WHERE u.MainID = m.ID) >= ")
                  + QString::number(d.exact / 1000.0, 'f', 4));
    q.open(QStringLiteral("SELECT COUNT(*) FROM bestzeiten b JOIN main m ON m.ID = b.MainID WHERE m.UserID = ")
           + quoted(b.user));
    const qint64 stored = q.field(0).asInteger();
    q.close();
    records::Table table;
    std::printf("\nbest efforts and predictions:\n");
    std::printf("%-44s %10.1f\n", "best efforts of a course of 3 hours", computing);
    print(bothWays(
        "records: best three of all time",
        [&] { table = records::read(s.ZDatabase1, b.user); },
        [&] {
            // one read of the efforts of each entry
            QList<records::Effort> all;
            for (const QString& id : Entries::ids(s.ZDatabase1, b.user)) {
                const ResultSet rows = s.ZDatabase1.select(
                    QStringLiteral("SELECT Strecke, Sekunden FROM bestzeiten WHERE MainID = ") + quoted(id));
                for (const ResultRow& row : rows.rows) {
                    records::Effort e;
                    e.metres = int(row.value(0).asInteger());
                    e.seconds = row.value(1).asFloat();
                    e.entryId = id;
                    all.append(e);
                }
            }
            std::sort(all.begin(), all.end(),
                      [](const records::Effort& x, const records::Effort& y) { return x.seconds < y.seconds; });
        }));
    if (table.allTime.isEmpty() || table.years.isEmpty())
        qFatal("the records of the diary are empty");
    print(fastWay("records: best three of one year",
                  [&] { records::ofYear(s.ZDatabase1, b.user, table.years.value(1, table.years.first())); }));
    print(fastWay("records: predictions from the last 90 days", [&] {
        records::forecast(records::since(s.ZDatabase1, b.user, QDate::currentDate().addDays(-records::kPredictionDays)));
    }));
    // The window as the main window's button opens it, drawn.
    TForm10* window = nullptr;
    print(fastWay("records window: open with its predictions", [&] {
        b.main->ComboBox1->setCurrentIndex(b.main->ComboBox2->findText(QString::number(b.user)));
        b.main->RecordsButton->click();
        settle();
        window = b.main->findChild<TForm10*>();
    }));
    if (!window || !window->isVisible() || window->RecordsGrid->gridRowCount() < 2)
        qFatal("the records window did not open with best times");
    window->close();
    settle();
    std::printf("%-44s %10lld\n", "  (best efforts stored for the person)", static_cast<long long>(stored));
}

// The main window's overview of the busiest person, with a race ahead and a
// goal of the year, so that each of its reads runs: the reads alone, and the
// panel after the person is chosen in the main window.
void benchOverview(const Bench& b)
{
    Session& s = b.s;
    const QDate today = QDate::currentDate();
    Races::insert(s.ZDatabase1, {{}, b.user, today.addDays(30), QStringLiteral("Stadtlauf"), 10.0, 2700, {}});
    Goals::set(s.ZDatabase1, b.user, {today.year(), QString(), 2000.0});
    overview::Overview o;
    std::printf("\noverview in the main window:\n");
    print(fastWay("overview: read for the busiest person", [&] { o = overview::read(s.ZDatabase1, b.user, today); }));
    if (o.last.isEmpty() || !o.race || o.goals.isEmpty())
        qFatal("the overview of the busiest person is empty");
    b.main->ComboBox1->setCurrentIndex(0);
    settle();
    print(fastWay("main window: overview after a person change", [&] {
        b.main->ComboBox1->setCurrentIndex(b.main->ComboBox2->findText(QString::number(b.user)));
        settle();
    }));
    if (b.main->Overview1->userId() != b.user || b.main->Overview1->WeekLabel->text().isEmpty())
        qFatal("the main window shows no overview of the person");
}

void benchCsvExport(const Bench& b)
{
    Session& s = b.s;
    const int user = b.user;
    const QString& folder = b.folder;
    // The whole diary of the busiest person (the imported trainings
    // included) written as the two CSV files for spreadsheets.
    const QString entriesPath = folder + QStringLiteral("Einträge.csv");
    const QString unitsPath = folder + QStringLiteral("Einheiten.csv");
    exchange::CsvExport written;
    const double csv = msOf([&] {
        written = exchange::exportDiary(s.ZDatabase1, user, QDate(), QDate(), entriesPath, unitsPath);
    });
    if (written.entries == 0 || written.units == 0)
        qFatal("the export wrote no entries");
    std::printf("\nCSV export (one way):\n");
    std::printf("%-44s %10.1f\n", "CSV export of the whole diary of the busiest person", csv);
    std::printf("%-44s %10s\n", "  (entries and units written)",
                qPrintable(QStringLiteral("%1 / %2").arg(written.entries).arg(written.units)));
}

void benchTrends(const Bench& b, const QList<double>& trendMs)
{
    Session& s = b.s;
    const int user = b.user;
    // The series of the statistics charts over the whole diary of the
    // busiest person, each with its one read. One way only.
    const DiarySpan span = GetDiarySpan(s.ZDatabase1, user);
    const QString sport = training::commonestSport(s.ZDatabase1, user, span.first, span.last);
    training::LoadSeries load;
    QList<training::PacePoint> pace;
    training::SportKm weeks, months;
    const double loadMs = msOf([&] { load = training::trainingLoad(s.ZDatabase1, user, span.first, span.last); });
    const double paceMs =
        msOf([&] { pace = training::paceTrend(s.ZDatabase1, user, sport, span.first, span.last); });
    const double weekMs = msOf([&] {
        weeks = training::kmBySport(s.ZDatabase1, user, span.first, span.last, training::Bucket::Week);
    });
    const double monthMs = msOf([&] {
        months = training::kmBySport(s.ZDatabase1, user, span.first, span.last, training::Bucket::Month);
    });
    if (load.days.isEmpty() || pace.isEmpty() || weeks.sports.isEmpty() || months.slots.isEmpty())
        qFatal("the training series came out empty");
    std::printf("\ntraining load and trends (one way):\n");
    std::printf("%-44s %10.1f\n", "training load, all years (calc)", loadMs);
    std::printf("%-44s %10.1f\n", "pace trend, all years (calc)", paceMs);
    std::printf("%-44s %10.1f\n", "km per week by sport, all years (calc)", weekMs);
    std::printf("%-44s %10.1f\n", "km per month by sport, all years (calc)", monthMs);
    for (int i = 0; i < 4; ++i)
        std::printf("%-44s %10.1f\n", kTrendCharts[i], trendMs[i]);
    const QString counts =
        QStringLiteral("%1 / %2 / %3").arg(load.days.size()).arg(pace.size()).arg(weeks.slots.size());
    std::printf("%-44s %10s\n", "  (days, pace points, weeks)", qPrintable(counts));
}

void benchBackup(const Bench& b)
{
    Session& s = b.s;
    const QString& folder = b.folder;
    // The engine's backup of the whole diary, with its check (a restore into
    // a temporary file), and the restore in place of the diary. One way only.
    const QString diary = datafiles::databasePath(folder);
    const QString target = folder + QStringLiteral("Sicherung.fbk");
    BackupInfo info;
    const double made = msOf([&] { info = backupDiary(diary, target); });
    s.ZDatabase1.disconnect();
    const double restored = msOf([&] { restoreDiary(target, diary); });
    s.ZDatabase1.connect(diary);
    Query q(s.ZDatabase1);
    q.open(QStringLiteral("SELECT COUNT(*) FROM main"));
    if (info.entries == 0 || q.field(0).asInteger() != info.entries)
        qFatal("the restored diary lacks entries");
    std::printf("\nbackup and restore (one way):\n");
    std::printf("%-44s %10.1f\n", "backup of the whole diary", made);
    std::printf("%-44s %10.1f\n", "restore of the whole diary", restored);
    std::printf("%-44s %10.1f\n", "  (size of the backup, MB)", double(QFileInfo(target).size()) / 1e6);
}

void benchWithoutIndexes(const Bench& b)
{
    Session& s = b.s;
    const int user = b.user;
    const DiarySpec& spec = b.spec;
    // Before the indexes existed, each per-entry sum read the whole units
    // table; one year of the busiest person shows what that cost.
    const QDate yearStart(spec.firstDay.year() + spec.years - 1, 1, 1);
    const QDate yearEnd(yearStart.year(), 12, 31);
    const double fastYear = msOf([&] { GetTotalDistance(s.ZDatabase1, yearStart, yearEnd, user); });
    s.ZDatabase1.execute(QStringLiteral("DROP INDEX IX_UNITS_MAINID"));
    s.ZDatabase1.execute(QStringLiteral("DROP INDEX IX_MAIN_USERID_DATUM"));
    s.ZDatabase1.execute(QStringLiteral("DROP INDEX IX_MAIN_USERID_SCHUHE"));
    const double unindexedYear =
        msOf([&] { distanceText(perentry::TotalDistance(s.ZDatabase1, yearStart, yearEnd, user)); });
    std::printf("\nwithout the indexes, as before (per-entry column):\n");
    print({"GetTotalDistance, last year", fastYear, unindexedYear});
}


// --- a club's diary on a server over a slow link -----------------------------

// The tests' own database server (fbserver.sh), for the time of the benchmark.
class BenchServer
{
public:
    explicit BenchServer(const QString& folder) : m_folder(folder) {}
    ~BenchServer()
    {
        if (!m_address.isEmpty())
            script(QStringLiteral("stop"));
    }

    // Empty when it runs, else why not.
    QString start()
    {
        if (!script(QStringLiteral("start")))
            return QStringLiteral("the tests' server did not start");
        QFile env(m_folder + QStringLiteral("/server.env"));
        if (!env.open(QIODevice::ReadOnly))
            return QStringLiteral("the tests' server wrote no server.env");
        for (const QByteArray& line : env.readAll().split('\n')) {
            const QString text = QString::fromUtf8(line);
            const QString key = text.section(QLatin1Char('='), 0, 0);
            QString value = text.section(QLatin1Char('='), 1);
            value.remove(QLatin1Char('\''));
            if (key == QLatin1String("TRAMORA_SERVER_SKIP"))
                return value;
            if (key == QLatin1String("TRAMORA_SERVER"))
                m_address = value;
            else if (key == QLatin1String("TRAMORA_SERVER_DATA"))
                m_data = value;
            else if (key == QLatin1String("ISC_USER") || key == QLatin1String("ISC_PASSWORD"))
                qputenv(key.toLatin1(), value.toUtf8());
        }
        return m_address.isEmpty() ? QStringLiteral("the tests' server named no address") : QString();
    }

    quint16 port() const { return quint16(m_address.section(QLatin1Char('/'), 1).toUInt()); }
    QString data() const { return m_data; }

private:
    bool script(const QString& command)
    {
        QProcess p;
        p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        p.start(QStringLiteral("bash"), {QString::fromUtf8(TRAMORA_SERVER_SCRIPT), command, m_folder});
        return p.waitForFinished(120000) && p.exitCode() == 0;
    }

    QString m_folder;
    QString m_address;
    QString m_data;
};

void writeAliases(const QString& folder, quint16 port, const QString& database)
{
    QDir().mkpath(folder);
    QFile aliases(folder + QStringLiteral("/aliases.conf"));
    if (!aliases.open(QIODevice::WriteOnly))
        qFatal("aliases.conf cannot be written");
    aliases.write("workout=127.0.0.1/" + QByteArray::number(port) + ':' + QFile::encodeName(database) + "\r\n");
}

// The four steps of a member at a workstation of the club, through a relay
// that delays each direction by delayMs: the time of each and the round
// trips it took.
void clubSteps(TForm1& main, DelayRelay& relay, int user, const QString& shoe, int delayMs, QList<Row>& rows,
               QList<int>& trips)
{
    relay.setDelay(delayMs);
    const auto step = [&](const std::function<void()>& work) {
        relay.resetRoundTrips();
        rows << Row{"", msOf(work), std::nullopt};
        trips << relay.roundTrips();
    };
    // the person chosen in the main window first: its overview is not the editor's
    main.ComboBox1->setCurrentIndex(main.ComboBox2->findText(QString::number(user)));
    settle();
    TForm4* editor = nullptr;
    step([&] { editor = openEditor(main, user); });
    step([&] {
        control<QToolButton>(editor, "ToolButton8")->click();
        settle();
    });
    control<QToolButton>(editor, "ToolButton12")->click();
    for (const char* button : {"ToolButton3", "ToolButton5", "ToolButton6", "ToolButton4"})
        step([&] {
            control<QToolButton>(editor, button)->click();
            settle();
        });
    typeEntryWithFiveUnits(editor, shoe);
    Messages::clearShown();
    step([&] {
        control<QToolButton>(editor, "ToolButton10")->click();
        settle();
    });
    if (!Messages::shown().isEmpty())
        qFatal("a message box came up while saving");
    closeEditor(editor);
}

void benchClub(const QString& folder)
{
    std::printf("\nclub diary on the tests' server (200 persons), direct and through a relay of 10 ms each way:\n");
    BenchServer server(folder + QStringLiteral("server"));
    if (const QString why = server.start(); !why.isEmpty()) {
        std::printf("  skipped: %s\n", qPrintable(why));
        return;
    }
    const QString database = server.data() + QStringLiteral("/club.fdb");
    DiarySpec spec;
    spec.years = 1;
    spec.persons = 200;
    spec.firstDay = QDate(QDate::currentDate().year() - 1, 1, 1);
    GeneratedDiary club;
    {
        const QString direct = folder + QStringLiteral("club-direct");
        writeAliases(direct, server.port(), database);
        Session s;
        datafiles::openStorage(s, direct + QLatin1Char('/'));
        club = generateDiary(s.ZDatabase1, spec);
    }
    std::printf("%lld persons, %d entries, %d units\n", static_cast<long long>(club.userIds.size()), club.entries,
                club.units);

    DelayRelay relay(server.port(), 0);
    const QString workstation = folder + QStringLiteral("club-workstation");
    writeAliases(workstation, relay.port(), database);
    // A workstation's session: the program started, its main window shown.
    std::unique_ptr<TForm1> main;
    const auto startProgram = [&] {
        main.reset();
        main = std::make_unique<TForm1>(StartOptions{workstation + QLatin1Char('/'), 0});
        main->show();
        settle();
    };
    startProgram();
    Query q(main->session().ZDatabase1);
    q.open(QStringLiteral("SELECT FIRST 1 Schuhe, COUNT(*) FROM main WHERE UserID = ") + quoted(club.busiestUser)
           + QStringLiteral(" AND Schuhe <> '' GROUP BY Schuhe ORDER BY 2 DESC"));
    const QString shoe = q.field(0).asString();
    q.close();

    // Direct: the second round of the steps, the server's caches warm.
    // Through the relay: the first round of a session just started (each
    // statement met for the first time) and a second one.
    QList<Row> direct, first, again;
    QList<int> directTrips, firstTrips, againTrips;
    clubSteps(*main, relay, club.busiestUser, shoe, 0, direct, directTrips);
    direct.clear();
    directTrips.clear();
    clubSteps(*main, relay, club.busiestUser, shoe, 0, direct, directTrips);
    relay.setDelay(10);
    startProgram();
    clubSteps(*main, relay, club.busiestUser, shoe, 10, first, firstTrips);
    clubSteps(*main, relay, club.busiestUser, shoe, 10, again, againTrips);
    main.reset();
    const char* const steps[] = {"club: open the editor",         "club: list view",
                                 "club: page to the first entry", "club: page to the next entry",
                                 "club: page to the last entry",  "club: page to the previous entry",
                                 "club: save an entry with 5 units"};
    std::printf("%-36s %9s %16s %16s\n", "operation", "direct ms", "20 ms RTT: first", "again (ms/trips)");
    for (int i = 0; i < direct.size(); ++i)
        std::printf("%-36s %9.1f %10.1f / %3d %10.1f / %3d\n", steps[i], direct[i].fast, first[i].fast,
                    firstTrips[i], again[i].fast, againTrips[i]);
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    DiarySpec spec;
    QTemporaryDir dir;
    const QString folder = dir.path() + QLatin1Char('/');
    // --club: the club's diary on a server alone
    if (argc > 1 && QByteArray(argv[1]) == "--club") {
        benchClub(folder);
        return 0;
    }
    spec.years = argc > 1 ? std::atoi(argv[1]) : 20;
    GeneratedDiary diary;
    double generating = 0.0;
    {
        Session s;
        datafiles::openStorage(s, folder);
        generating = msOf([&] { diary = generateDiary(s.ZDatabase1, spec); });
    }
    std::printf("Diary of %d years: %lld persons, %d entries, %d units, %d shoes (generated in %.1f s)\n\n",
                spec.years, static_cast<long long>(diary.userIds.size()), diary.entries, diary.units, diary.shoes,
                generating / 1000.0);
    std::printf("%-44s %10s %12s %8s\n", "operation", "fast ms", "per-entry ms", "ratio");

    std::unique_ptr<TForm1> main;
    // Start-up: storage, start-up check, person list; the splash pause is left out.
    print(fastWay("start-up to a usable main window", [&] {
        main.reset();
        main = std::make_unique<TForm1>(StartOptions{folder, 0});
        main->show();
        settle();
    }));

    Session& s = main->session();
    const int user = diary.busiestUser;
    Query q(s.ZDatabase1);
    q.open(QStringLiteral("SELECT FIRST 1 Schuhe, COUNT(*) FROM main WHERE UserID = ") + quoted(user)
           + QStringLiteral(" AND Schuhe <> '' GROUP BY Schuhe ORDER BY 2 DESC"));
    const Bench b{main.get(), s, user, q.field(0).asString(), spec, folder};

    benchSums(b);
    benchEditor(b);
    benchShoeWindow(b);
    const QList<double> trendMs = benchStatistics(b);
    benchReport(b);
    benchImport(b);
    benchCourse(b);
    benchRecords(b);
    benchOverview(b);
    benchCsvExport(b);
    benchTrends(b, trendMs);
    benchBackup(b);
    benchWithoutIndexes(b);
    benchClub(folder);

    std::printf("\npeak resident memory: %s\n", qPrintable(residentMemory()));
    main.reset();
    return 0;
}
