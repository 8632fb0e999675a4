#include "chart.h"
#include "dateedit.h"
#include "diarycalc.h"
#include "editorfixture.h"
#include "openstatistics.h"
#include "inifile.h"
#include "tform5.h"

#include <QCheckBox>
#include <QComboBox>
#include <QSvgRenderer>

#include <cmath>

// The training load, pace and sport charts of the statistics window and
// its sport choice, driven through the window's controls.
class TestTrainingCharts : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<EditorFixture> fx;
    int user = 0;

    TForm5* open() { return openStatistics(*fx, user); }
    static void setPeriod(TForm5* f, const QString& from, const QString& to)
    {
        f->FromDate1->setText(from);
        f->TilDate1->setText(to);
    }
    static const chart::Series* series(const chart::Chart& c, const QString& name)
    {
        for (const chart::Series& s : c.series)
            if (s.name == name)
                return &s;
        return nullptr;
    }
    // Banister's load of a man of resting pulse 48 and maximum 190.
    static double trimp(double minutes, double pulse)
    {
        const double reserve = (pulse - 48.0) / (190.0 - 48.0);
        return minutes * reserve * 0.64 * std::exp(1.92 * reserve);
    }

private Q_SLOTS:
    void init()
    {
        fx = std::make_unique<EditorFixture>();
        user = fx->addUser(); // a man, resting pulse 48, maximum 190
        // January: one run of 30 min; March: a run of 15 km in 80 min, a
        // ride of 20 km in 50 min, a run without units of an hour.
        const int january = fx->addEntry(user, QStringLiteral("10.01.2025"));
        fx->addUnit(january, 1, QStringLiteral("2"), QStringLiteral("00:30:00"), QStringLiteral("150"));
        const int run = fx->addEntry(user, QStringLiteral("01.03.2025"));
        fx->addUnit(run, 1, QStringLiteral("10"), QStringLiteral("00:50:00"), QStringLiteral("150"));
        fx->addUnit(run, 2, QStringLiteral("5"), QStringLiteral("00:30:00"), QStringLiteral("160"));
        const int ride = fx->addEntry(user, QStringLiteral("02.03.2025"));
        fx->addUnit(ride, 1, QStringLiteral("20"), QStringLiteral("00:50:00"), QStringLiteral("140"));
        fx->exec(QStringLiteral("UPDATE main SET Kategorie = 'Radfahren' WHERE ID = ") + quoted(ride));
        fx->addEntry(user, QStringLiteral("03.03.2025"));
    }
    void cleanup() { fx.reset(); }

    // The sport choice narrows the distance chart and the zone shares and
    // is kept for the next opening.
    void sportChoice()
    {
        TForm5* f = open();
        QVERIFY(f);
        QCOMPARE(f->ComboBox4->itemText(0), QStringLiteral("alle Sportarten"));
        QCOMPARE(f->ComboBox4->count(), 3);
        setPeriod(f, QStringLiteral("01.03.2025"), QStringLiteral("31.03.2025"));
        f->ComboBox3->setCurrentIndex(4);
        QCOMPARE(f->chart().foot.value(1), QStringLiteral("35,0 km im gewählten Trainingsbereich und Zeitraum"));
        f->ComboBox4->setCurrentIndex(f->ComboBox4->findText(QStringLiteral("Laufen")));
        QCOMPARE(f->chart().title.value(0), QStringLiteral("Trainingskilometer Laufen vom 01.03.2025 bis 31.03.2025"));
        QCOMPARE(f->chart().foot, QStringList({QStringLiteral("2 Trainingseinheiten"),
                                               QStringLiteral("15,0 km im gewählten Trainingsbereich und Zeitraum")}));
        f->ComboBox3->setCurrentIndex(1);
        QCOMPARE(f->chart().foot.value(1), QStringLiteral("15,0 km im gewählten Zeitraum"));
        // Out of use where a sport makes no sense, flat calendar charts.
        f->ComboBox3->setCurrentIndex(2);
        QVERIFY(!f->ComboBox4->isEnabled());
        f->ComboBox3->setCurrentIndex(7);
        QVERIFY(!f->ComboBox4->isEnabled());
        QVERIFY(!f->BitCheckBox1->isEnabled());
        f->ComboBox3->setCurrentIndex(8);
        QVERIFY(f->ComboBox4->isEnabled());
        f->close();
        QCOMPARE(IniFile(fx->session().settingsPath).readString(QStringLiteral("Statistik"), QStringLiteral("Sportart"), {}),
                 QStringLiteral("Laufen"));
        TForm5* again = open();
        QCOMPARE(again->ComboBox4->currentText(), QStringLiteral("Laufen"));
        again->close();
    }

    // Daily loads, and fitness, fatigue and form from the person's first
    // entry, against a plain loop over the days.
    void trainingLoad()
    {
        TForm5* f = open();
        setPeriod(f, QStringLiteral("01.03.2025"), QStringLiteral("31.03.2025"));
        f->ComboBox3->setCurrentIndex(7);
        const chart::Chart& c = f->chart();
        QCOMPARE(c.slots, 31);
        QCOMPARE(c.title.value(0), QStringLiteral("Trainingsbelastung (Fitness, Ermüdung, Form)"));
        const chart::Series* load = series(c, QStringLiteral("Tagesbelastung"));
        const chart::Series* fitness = series(c, QStringLiteral("Fitness"));
        const chart::Series* fatigue = series(c, QStringLiteral("Ermüdung"));
        const chart::Series* form = series(c, QStringLiteral("Form"));
        QVERIFY(load && fitness && fatigue && form);
        QCOMPARE(load->values.size(), 31);

        QHash<QDate, double> loads{{QDate(2025, 1, 10), trimp(30, 150)},
                                   {QDate(2025, 3, 1), trimp(50, 150) + trimp(30, 160)},
                                   {QDate(2025, 3, 2), trimp(50, 140)}};
        double fit = 0, tired = 0;
        for (QDate day = QDate(2025, 1, 10); day <= QDate(2025, 3, 31); day = day.addDays(1)) {
            const double before = fit - tired;
            fit += (loads.value(day) - fit) * (1 - std::exp(-1.0 / 42));
            tired += (loads.value(day) - tired) * (1 - std::exp(-1.0 / 7));
            if (day < QDate(2025, 3, 1))
                continue;
            const int i = int(QDate(2025, 3, 1).daysTo(day));
            QVERIFY(std::abs(load->values[i].y() - loads.value(day)) < 1e-9);
            QVERIFY(std::abs(fitness->values[i].y() - fit) < 1e-9);
            QVERIFY(std::abs(fatigue->values[i].y() - tired) < 1e-9);
            QVERIFY(std::abs(form->values[i].y() - before) < 1e-9);
        }
        QVERIFY(c.foot.value(0).startsWith(QStringLiteral("Am 31.03.2025: Fitness ")));
        // The run without units has an hour without intensity.
        QCOMPARE(c.foot.last(), QStringLiteral("Trainingszeit ohne Puls und Bereich, nicht gezählt: 1:00 h"));
        QVERIFY(c.axisMinimum < 0); // the form went below 0
        // Marks, tooltips and foot all with one decimal.
        QCOMPARE(chart::formatValue(11, c.markFormat), QStringLiteral("11,0"));

        // Without the person's pulses there is nothing to weigh.
        fx->exec(QStringLiteral("UPDATE users SET Maxpuls = NULL WHERE ID = ") + quoted(user));
        f->CreateDiagramm();
        QCOMPARE(c.slots, 0);
        QVERIFY(c.foot.value(0).contains(QStringLiteral("Ruhepuls und maximaler Puls")));
        // The message alone, without empty axes (their labels are black).
        const QImage message = f->Chart1->toImage();
        bool black = false;
        for (int y = 0; y < message.height() && !black; ++y)
            for (int x = 0; x < message.width() && !black; ++x)
                black = qGray(message.pixel(x, y)) < 40;
        QVERIFY(!black);

        // Saved in each kind of the dialog.
        fx->exec(QStringLiteral("UPDATE users SET Maxpuls = 190 WHERE ID = ") + quoted(user));
        f->CreateDiagramm();
        for (int kind = 1; kind <= 5; ++kind)
            QVERIFY(f->saveChart(fx->folder().file(QStringLiteral("load%1").arg(kind)), kind));
        QVERIFY(QSvgRenderer(fx->folder().file(QStringLiteral("load5"))).isValid());
        f->close();
    }

    // Pace per entry in min/km, speed in km/h for cycling; for all sports
    // the commonest sport.
    void paceAndKilometresBySport()
    {
        TForm5* f = open();
        setPeriod(f, QStringLiteral("01.03.2025"), QStringLiteral("31.03.2025"));
        f->ComboBox3->setCurrentIndex(8);
        const chart::Chart& c = f->chart();
        QCOMPARE(c.title.value(0), QStringLiteral("Tempo-Entwicklung Laufen"));
        QCOMPARE(c.series.size(), 2);
        QCOMPARE(c.series[0].values.size(), 1); // the run without units has no pace
        QCOMPARE(c.series[0].values[0], QPointF(0, 80.0 / 15.0));
        QCOMPARE(c.valueText(80.0 / 15.0), QStringLiteral("5:20 min/km"));
        QVERIFY(c.foot.value(0).startsWith(QStringLiteral("1 Trainingseinheit mit Strecke und Zeit, ")));
        f->ComboBox4->setCurrentIndex(f->ComboBox4->findText(QStringLiteral("Radfahren")));
        QCOMPARE(c.series[0].values[0], QPointF(1, 24.0));
        QCOMPARE(c.valueText(24.0), QStringLiteral("24,0 km/h"));
        QVERIFY(c.axisStep < 10);
        // The next chart has its own axis again.
        f->ComboBox3->setCurrentIndex(5);
        QCOMPARE(c.axisStep, 10.0);

        // Weeks: the week of 24 February to 2 March holds both sports,
        // the four weeks after it are empty; most kilometres at the bottom.
        f->ComboBox4->setCurrentIndex(0);
        f->ComboBox3->setCurrentIndex(9);
        QCOMPARE(c.slots, 6);
        QCOMPARE(c.slotNames.value(0), QStringLiteral("KW 9/2025"));
        QCOMPARE(c.series.size(), 2);
        QCOMPARE(c.series[0].name, QStringLiteral("Radfahren"));
        QCOMPARE(c.series[0].values.value(0), QPointF(0, 20));
        QCOMPARE(c.series[1].values.value(0), QPointF(0, 15));
        QCOMPARE(c.series[1].values.value(5), QPointF(5, 0));
        QCOMPARE(c.series[0].colour, chart::fixedColour(QStringLiteral("Radfahren")));
        f->ComboBox3->setCurrentIndex(10);
        QCOMPARE(c.slotNames, QStringList({QString::fromUtf8("Mär 2025")}));
        f->ComboBox4->setCurrentIndex(f->ComboBox4->findText(QStringLiteral("Laufen")));
        QCOMPARE(c.series.size(), 1);
        QCOMPARE(c.foot.value(0), QStringLiteral("15,0 km im gewählten Zeitraum (1 Monat)"));
        // A pace chart without paces only says so.
        setPeriod(f, QStringLiteral("01.04.2025"), QStringLiteral("30.04.2025"));
        f->ComboBox3->setCurrentIndex(8);
        QVERIFY(c.messageOnly);
        f->close();
    }

    // A month of exactly 419,95 km in distances stored in single precision
    // shows one total in every evaluation.
    void oneTotalInEveryEvaluation()
    {
        const QString tenFifteen = QString::number(double(float(10.15)), 'g', 17);
        for (int day = 1; day <= 29; ++day) {
            const int entry = fx->addEntry(user, QStringLiteral("%1.12.2025").arg(day, 2, 10, QLatin1Char('0')));
            fx->addUnit(entry, 1, tenFifteen, QStringLiteral("00:50:00"), QStringLiteral("150"));
            fx->addUnit(entry, 2, QString::number(double(float(4.3)), 'g', 17), QStringLiteral("00:20:00"),
                        QStringLiteral("150"));
        }
        fx->addUnit(fx->addEntry(user, QStringLiteral("30.12.2025")), 1, QString::number(double(float(0.9)), 'g', 17),
                    QStringLiteral("00:05:00"), QStringLiteral("150"));
        TForm5* f = open();
        setPeriod(f, QStringLiteral("01.12.2025"), QStringLiteral("31.12.2025"));
        const chart::Chart& c = f->chart();
        for (int evaluation : {1, 2, 4}) {
            f->ComboBox3->setCurrentIndex(evaluation);
            QVERIFY2(c.foot.value(1).startsWith(QStringLiteral("420,0 km im gewählten")), qPrintable(c.foot.join('|')));
        }
        f->ComboBox3->setCurrentIndex(10);
        QCOMPARE(c.foot.value(0), QStringLiteral("420,0 km im gewählten Zeitraum (1 Monat)"));
        QCOMPARE(GetTotalDistance(fx->session().ZDatabase1, QDate(2025, 12, 1), QDate(2025, 12, 31), user),
                 QStringLiteral("420,0"));
        f->close();
    }
};

QTEST_MAIN(TestTrainingCharts)
#include "tst_trainingcharts.moc"
