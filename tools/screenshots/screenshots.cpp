// Takes the pictures of the program's windows for the manual and the README:
//   screenshots IMAGES [DIALOGS]
// A small generated diary in a temporary program folder, every window opened
// through the main window as a user opens it, drawn offscreen and saved as
// PNG into IMAGES. With DIALOGS, Qt's own file, print and font dialogs are
// drawn there too, to see that they speak German.
#include "coursecurves.h"
#include "courses.h"
#include "datafiles.h"
#include "dateedit.h"
#include "diarygenerator.h"
#include "entries.h"
#include "goals.h"
#include "overviewpanel.h"
#include "races.h"
#include "reportpreview.h"
#include "maskedit.h"
#include "messages.h"
#include "numericedit.h"
#include "session.h"
#include "startup.h"
#include "storageerror.h"
#include "tform1.h"
#include "tform2.h"
#include "tform3.h"
#include "tform4.h"
#include "tform5.h"
#include "tform6.h"
#include "tform7.h"
#include "tform8.h"
#include "tform9.h"
#include "tform10.h"
#include "tform11.h"
#include "textforms.h"
#include "translations.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFontDialog>
#include <QImage>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QPrintDialog>
#include <QPrinter>
#include <QTemporaryDir>
#include <QToolBar>
#include <QToolButton>

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

QString g_folder;
int g_failures = 0;

void settle()
{
    for (int i = 0; i < 5; ++i)
        QApplication::processEvents();
}

void save(QWidget* window, const QString& name)
{
    if (!window) {
        std::fprintf(stderr, "screenshots: no window for %s\n", qPrintable(name));
        ++g_failures;
        return;
    }
    window->show();
    settle();
    const QString path = g_folder + name + QStringLiteral(".png");
    if (!window->grab().save(path)) {
        std::fprintf(stderr, "screenshots: cannot write %s\n", qPrintable(path));
        ++g_failures;
    }
}

template <typename T>
T* openWindow()
{
    settle();
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* window = qobject_cast<T*>(w); window && window->isVisible())
            return window;
    return nullptr;
}

// The latest training days of the busiest person, so the pictures show a
// well-filled diary.
GeneratedDiary makeDiary(const QString& folder)
{
    Session session;
    datafiles::openStorage(session, folder);
    DiarySpec spec;
    spec.years = 2;
    spec.seed = 7;
    spec.firstDay = QDate(2023, 1, 1);
    return generateDiary(session.ZDatabase1, spec);
}

// A new training typed in as the user does: the basic data, a warm-up, a
// series of four intervals and a unit whose pulse is being typed, with the
// zone advice open.
void recordTraining(TForm4* editor)
{
    editor->ToolButton1->click();
    editor->DateEdit1->setText(QStringLiteral("02.01.2025"));
    editor->maskeditL1->setText(QStringLiteral("18:30"));
    editor->ComboBox3->setEditText(QStringLiteral("Laufen"));
    editor->EnhancedEdit1->setText(QStringLiteral("48"));
    editor->EnhancedEdit2->setText(QStringLiteral("79,5"));
    editor->maskeditL3->setText(QStringLiteral("1:05"));
    editor->ComboBox1->setEditText(QStringLiteral("sonnig, kalt"));
    editor->ComboBox2->setCurrentIndex(1); // the newest shoe
    editor->Memo1->setPlainText(QStringLiteral("locker, gute Beine"));
    editor->Memo2->setPlainText(QStringLiteral("Intervalle auf der Bahn"));
    const auto unit = [editor](const QString& km, const QString& time, const QString& pulse, const QString& zone,
                               int repetitions) {
        editor->SpeedButton5->click();
        editor->EnhancedEdit3->setText(km);
        editor->maskeditL2->setText(time);
        editor->EnhancedEdit4->setText(pulse);
        editor->ComboBox4->setCurrentIndex(editor->ComboBox4->findText(zone));
        if (repetitions > 1)
            editor->EnhancedEdit5->setText(QString::number(repetitions));
        editor->Button1->click();
    };
    unit(QStringLiteral("3,0"), QStringLiteral("00:18:00"), QStringLiteral("135"),
         QStringLiteral("Einlaufen / Auslaufen"), 1);
    unit(QStringLiteral("1,0"), QStringLiteral("00:04:05"), QStringLiteral("172"),
         QStringLiteral("Wiederholungsläufe"), 4);
    editor->SpeedButton5->click();
    editor->EnhancedEdit3->setText(QStringLiteral("2,0"));
    editor->maskeditL2->setText(QStringLiteral("00:12:30"));
    editor->EnhancedEdit4->setText(QStringLiteral("140"));
    editor->EnhancedEdit4Exit();
    editor->EnhancedEdit3Exit();
    editor->SpeedButton6->click();
}

// A run of 10 km around a loop as a watch records it, one sample a second:
// a hill between km 4 and 6, the pulse rising with the effort and the
// climb, a steady cadence and a stop of 40 seconds at km 6.4, during which
// the watch paused. The laps are the entry's units, as the import takes
// them: five of 2 km with their time, average pulse and the zone the
// advice gives for it.
struct ConstructedRun
{
    course::Course course;
    QList<Entries::Unit> laps;
};

double hillAt(double metres)
{
    const double km = metres / 1000.0;
    return 112.0 + 48.0 * std::exp(-std::pow((km - 5.0) / 0.7, 2.0)) + 4.0 * std::sin(km * 2.0 * M_PI / 5.0);
}

// The loop's points, metres east and north of its start: a wobbly oval.
QList<QPointF> loopShape()
{
    QList<QPointF> shape;
    const int steps = 4000;
    for (int i = 0; i <= steps; ++i) {
        const double a = 2.0 * M_PI * i / steps;
        const double r = 1.0 + 0.08 * std::sin(3.0 * a) + 0.05 * std::cos(5.0 * a);
        shape.append(QPointF(1750.0 * r * std::sin(a), 1050.0 * (1.0 - r * std::cos(a))));
    }
    return shape;
}

ConstructedRun constructedRun(const QList<training::Zone>& zones, int maxPulse)
{
    constexpr double metresPerDegree = 6371008.8 * M_PI / 180.0;
    constexpr double total = 10000.0;
    constexpr double pauseAt = 6400.0;
    constexpr double pauseSeconds = 40.0;
    QList<QPointF> shape = loopShape();
    QList<double> along{0.0};
    for (qsizetype i = 1; i < shape.size(); ++i)
        along.append(along.last() + QLineF(shape[i - 1], shape[i]).length());
    const double stretch = total / along.last();
    ConstructedRun run;
    run.course.start = QDateTime(QDate(2025, 1, 4), QTime(9, 30)).toUTC();
    double metres = 0.0;
    double seconds = 0.0;
    double pulse = 130.0;
    bool paused = false;
    qsizetype at = 1;
    while (metres < total) {
        const double grade = (hillAt(metres + 20.0) - hillAt(metres)) / 20.0;
        const double finish = metres > 9000.0 ? 0.25 : 0.0;
        const double speed = 3.2 - 9.0 * grade + finish + 0.08 * std::sin(seconds / 37.0);
        const double effort = 142.0 + 250.0 * std::max(0.0, grade) + 60.0 * finish + metres / 1000.0;
        pulse += (effort - pulse) / 30.0;
        while (at < along.size() - 1 && along[at] * stretch < metres)
            ++at;
        const double share = (metres / stretch - along[at - 1]) / std::max(1e-9, along[at] - along[at - 1]);
        const QPointF place = shape[at - 1] + (shape[at] - shape[at - 1]) * std::clamp(share, 0.0, 1.0);
        course::Sample s;
        s.seconds = seconds;
        s.latitude = 49.41 + place.y() * stretch / metresPerDegree;
        s.longitude = 8.69 + place.x() * stretch / (metresPerDegree * std::cos(49.41 * M_PI / 180.0));
        s.distance = metres;
        s.altitude = hillAt(metres);
        s.heartRate = std::round(pulse + 1.5 * std::sin(seconds / 17.0) + std::sin(seconds / 4.3));
        s.cadence = std::round(175.5 + 1.5 * std::sin(seconds / 41.0) + 1.5 * std::sin(seconds / 9.7 + 1.0)
                               + std::sin(seconds / 3.1) - 40.0 * std::min(0.0, grade));
        s.speed = speed;
        run.course.samples.append(s);
        metres += speed;
        seconds += 1.0;
        if (!paused && metres >= pauseAt) { // waiting at a crossing
            paused = true;
            seconds += pauseSeconds;
            pulse -= 14.0;
        }
    }
    // The laps of 2 km, with the zone when exactly one holds its pulse.
    const QList<course::Sample>& samples = run.course.samples;
    qsizetype from = 0;
    for (int lap = 1; lap <= 5; ++lap) {
        qsizetype to = from;
        double beats = 0.0;
        while (to + 1 < samples.size() && samples[to + 1].distance <= lap * 2000.0)
            beats += samples[++to].heartRate;
        const double lapSeconds = samples[to].seconds - samples[from].seconds
                                  - (samples[from].distance < pauseAt && samples[to].distance >= pauseAt
                                         ? pauseSeconds : 0.0);
        const int average = int(std::lround(beats / std::max<qsizetype>(1, to - from)));
        const int percent = int(std::lround(100.0 * average / maxPulse));
        QStringList holding;
        for (const training::Zone& z : zones)
            if (z.minHF > 0 && z.maxHF > 0 && z.minHF <= percent && percent <= z.maxHF)
                holding << z.name;
        Entries::Unit unit;
        unit.subId = QString::number(lap);
        unit.distance = QLocale(QLocale::German).toString((samples[to].distance - samples[from].distance) / 1000.0,
                                                          'f', 2);
        unit.time = QTime(0, 0).addSecs(int(std::lround(lapSeconds))).toString(QStringLiteral("h:mm:ss"));
        unit.pulse = QString::number(average);
        unit.zone = holding.size() == 1 ? holding.constFirst() : QString();
        run.laps.append(unit);
        from = to;
    }
    return run;
}

} // namespace

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    prepareApplication();
    installGermanTranslations(app);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() < 2) {
        std::fprintf(stderr, "usage: screenshots IMAGES [DIALOGS]\n");
        return 2;
    }
    g_folder = QDir(args.at(1)).absolutePath() + QLatin1Char('/');
    QDir().mkpath(g_folder);

    QTemporaryDir programFolder;
    const QString folder = programFolder.path() + QLatin1Char('/');
    GeneratedDiary diary;
    try {
        diary = makeDiary(folder);
    } catch (const StorageError& e) {
        std::fprintf(stderr, "screenshots: %s\n", qPrintable(e.message()));
        return 1;
    }

    auto main = std::make_unique<TForm1>(StartOptions{folder, 0});
    // The overview as on a day near the diary's end (the picture stays the same
    // whenever they are drawn), with a race ahead and goals of the year.
    const QDate today(2024, 12, 18);
    main->Overview1->setToday(today);
    try {
        Database& db = main->session().ZDatabase1;
        Races::insert(db, {{}, diary.busiestUser, today.addDays(12), QStringLiteral("Stadtlauf"), 10.0, 2700, {}});
        Goals::set(db, diary.busiestUser, {today.year(), QString(), 7000.0});
        Goals::set(db, diary.busiestUser, {today.year(), QStringLiteral("Laufen"), 3500.0});
    } catch (const StorageError& e) {
        std::fprintf(stderr, "screenshots: %s\n", qPrintable(e.message()));
        return 1;
    }
    main->ComboBox1->setCurrentIndex(main->ComboBox2->findText(QString::number(diary.busiestUser)));
    main->Overview1->refresh();
    save(main.get(), QStringLiteral("hauptfenster"));

    TForm2* users = main->createUserManagement();
    save(users, QStringLiteral("benutzerverwaltung"));
    delete users;

    main->ToolButton1->click();
    auto* shoes = openWindow<TForm3>();
    save(shoes, QStringLiteral("schuhverwaltung"));
    if (shoes)
        shoes->close();

    main->ToolButton10->click();
    auto* zones = openWindow<TForm8>();
    save(zones, QStringLiteral("trainingsbereiche"));
    if (zones)
        zones->close();

    main->ToolButton3->click();
    auto* editor = openWindow<TForm4>();
    save(editor, QStringLiteral("trainingseinheiten"));
    if (editor) {
        editor->ToolButton8->click();
        save(editor, QStringLiteral("listenansicht"));
        editor->ToolButton12->click();
        recordTraining(editor);
        save(editor, QStringLiteral("neuer_eintrag"));
        Messages::setNextAnswer(QMessageBox::No); // the training is not kept
        editor->close();
        Messages::clearQueuedAnswers();
    }

    TForm5::seedColours(3);
    main->ToolButton6->click();
    auto* statistics = openWindow<TForm5>();
    if (statistics) {
        statistics->FromDate1->setText(QStringLiteral("01.01.2024"));
        statistics->TilDate1->setText(QStringLiteral("31.12.2024"));
        statistics->ComboBox3->setCurrentIndex(1);
        save(statistics, QStringLiteral("statistik_bereiche"));
        statistics->ComboBox3->setCurrentIndex(4);
        statistics->ComboBox2->setCurrentIndex(0);
        if (!statistics->BitCheckBox3->isChecked())
            statistics->BitCheckBox3->click();
        save(statistics, QStringLiteral("statistik_strecke"));
        statistics->ComboBox3->setCurrentIndex(7);
        save(statistics, QStringLiteral("statistik_belastung"));
        statistics->ComboBox3->setCurrentIndex(10);
        save(statistics, QStringLiteral("statistik_sportarten"));
        statistics->ComboBox3->setCurrentIndex(1);
        statistics->close();
    }

    main->ToolButton8->click();
    save(openWindow<TForm7>(), QStringLiteral("info"));

    // The diary report of one month with weekly summaries, in its window
    // and its first page as printed.
    main->ToolButton7->click();
    auto* reports = openWindow<TForm6>();
    if (reports) {
        reports->FromDate1->setText(QStringLiteral("01.11.2024"));
        reports->TilDate1->setText(QStringLiteral("30.11.2024"));
        reports->ComboBox3->setCurrentIndex(1);
        if (!reports->BitCheckBox2->isChecked())
            reports->BitCheckBox2->click();
        save(reports, QStringLiteral("trainingsreport"));
        QImage page(1188, 840, QImage::Format_RGB32);
        page.fill(Qt::white);
        {
            QPainter painter(&page);
            painter.setRenderHint(QPainter::Antialiasing);
            painter.setRenderHint(QPainter::TextAntialiasing);
            reports->PrintPreview1->document().replay(painter, 0, QRectF(page.rect()));
        }
        if (!page.save(g_folder + QStringLiteral("bericht.png")))
            ++g_failures;
        reports->close();
    } else {
        ++g_failures;
    }

    // The course of a run in its window, over the distance and over the
    // time with the cursor on the top of the hill.
    try {
        // The zones of a new diary: the generated one has some of its own.
        constexpr int maxPulse = 190;
        QTemporaryDir newFolder;
        Session newDiary;
        datafiles::openStorage(newDiary, newFolder.path() + QLatin1Char('/'));
        const QList<training::Zone> zones = training::readZones(newDiary.ZDatabase1);
        const ConstructedRun run = constructedRun(zones, maxPulse);
        auto* course = new TForm9(main->session(), run.course, run.laps, zones, maxPulse, QStringLiteral("Laufen"));
        save(course, QStringLiteral("trainingsverlauf"));
        course->ComboBox1->setCurrentIndex(1);
        const course::Analysis& analysis = course->analysis();
        int top = -1;
        for (int i = 0; i < analysis.points.size(); ++i)
            if (top < 0 || analysis.points[i].smoothedAltitude > analysis.points[top].smoothedAltitude)
                top = i;
        course->Curves->setCursorPoint(top);
        course->CurvesCursorMoved(top);
        save(course, QStringLiteral("trainingsverlauf_zeit"));
        course->close();

        // The same run stored as a training of three weeks ago: the records
        // window shows its best times and a forecast from it.
        Entries::Entry entry;
        entry.date = dateText(QDate::currentDate().addDays(-21));
        entry.time = QStringLiteral("09:30");
        entry.category = QStringLiteral("Laufen");
        entry.userId = diary.busiestUser;
        const qint64 minutes = std::llround(run.course.samples.last().seconds / 60.0);
        entry.duration = QStringLiteral("%1:%2").arg(minutes / 60).arg(minutes % 60, 2, 10, QLatin1Char('0'));
        for (Entries::Unit lap : run.laps) {
            lap.distance.replace(QLatin1Char(','), QLatin1Char('.'));
            entry.units.append(lap);
        }
        Database& db = main->session().ZDatabase1;
        Courses::store(db, Entries::insert(db, entry), run.course);
        main->ComboBox1Change();
        main->RecordsButton->click();
        auto* records = openWindow<TForm10>();
        save(records, QStringLiteral("bestleistungen"));
        if (records)
            records->close();
        // The races: the run above as a race with its result, one ahead.
        double km = 0.0;
        for (const Entries::Unit& lap : std::as_const(entry.units))
            km += lap.distance.toDouble();
        Races::insert(db, {{}, diary.busiestUser, QDate::currentDate().addDays(-21), QStringLiteral("Herbstlauf"),
                           std::round(km * 10.0) / 10.0, 0, QStringLiteral("mit dem Lauftreff")});
        Races::insert(db, {{}, diary.busiestUser, QDate::currentDate().addDays(120),
                           QStringLiteral("Frühjahrsmarathon"), 42.195, 3 * 3600 + 30 * 60, {}});
        main->RacesButton->click();
        auto* races = openWindow<TForm11>();
        save(races, QStringLiteral("wettkaempfe"));
        if (races)
            races->close();
    } catch (const StorageError& e) {
        std::fprintf(stderr, "screenshots: %s\n", qPrintable(e.message()));
        ++g_failures;
    }

    if (args.size() > 2) {
        g_folder = QDir(args.at(2)).absolutePath() + QLatin1Char('/');
        QDir().mkpath(g_folder);
        QFileDialog files(main.get(), QStringLiteral("Diagramm als Grafik speichern"), folder,
                          QStringLiteral("PNG-Grafiken (*.png)"));
        files.setOption(QFileDialog::DontUseNativeDialog);
        files.setAcceptMode(QFileDialog::AcceptSave);
        files.resize(760, 440);
        save(&files, QStringLiteral("dateidialog"));
        QPrinter printer;
        QPrintDialog print(&printer, main.get());
        save(&print, QStringLiteral("druckdialog"));
        QFontDialog fonts(main.get());
        save(&fonts, QStringLiteral("schriftdialog"));
    }

    main.reset();
    return g_failures == 0 ? 0 : 1;
}
