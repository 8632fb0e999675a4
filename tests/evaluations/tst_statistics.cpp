#include "chart.h"
#include "dateedit.h"
#include "diarygenerator.h"
#include "diaryforms.h"
#include "editorfixture.h"
#include "evaluationcontrols.h"
#include "openstatistics.h"
#include "openedurls.h"
#include "panelchecks.h"
#include "savefolder.h"
#include "textforms.h"
#include "tform5.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QFileDialog>
#include <QImageReader>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>
#include <QLabel>
#include <QPrinter>
#include <QSlider>
#include <QSvgRenderer>

// The statistics window on a small diary of known numbers, driven through
// its controls as the user drives it.
class TestStatistics : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<EditorFixture> fx;
    int user = 0;
    QString zone; // the first zone by upper limit

    TForm5* open() { return openStatistics(*fx, user); }
    static void setPeriod(TForm5* f, const QString& from, const QString& to)
    {
        f->findChild<DateEdit*>(QStringLiteral("FromDate1"))->setText(from);
        f->findChild<DateEdit*>(QStringLiteral("TilDate1"))->setText(to);
    }
    static void choose(TForm5* f, const QString& name, int index)
    {
        f->findChild<QComboBox*>(name)->setCurrentIndex(index);
    }
    static QCheckBox* box(TForm5* f, const QString& name) { return f->findChild<QCheckBox*>(name); }
    static QStringList labels(const QList<chart::Slice>& slices)
    {
        QStringList out;
        for (const auto& s : slices)
            out << s.label;
        return out;
    }
    static QStringList labels(const QList<chart::Point>& points)
    {
        QStringList out;
        for (const auto& p : points)
            out << p.label + QLatin1Char('=') + QString::number(p.y);
        return out;
    }

    // Where the points of the chart differ from the rows of a select of two
    // label fields and a number (in its row order): a label, or a value
    // that is not the number rounded to a tenth. Empty when they agree.
    QString differences(const chart::Chart& c, const QString& sql, const QString& labelFormat)
    {
        const QList<chart::Point>& points = c.bars.isEmpty() ? c.line : c.bars;
        const QList<ResultRow> rows = fx->session().ZDatabase1.select(sql).rows;
        QString out;
        if (points.size() != rows.size())
            out += QStringLiteral("%1 points, %2 rows; ").arg(points.size()).arg(rows.size());
        for (int i = 0; i < qMin(points.size(), rows.size()); ++i) {
            const QString label = labelFormat.arg(rows[i][0].asString(), rows[i][1].asString());
            const double value = rows[i][2].asFloat();
            if (points[i].label != label || std::abs(points[i].y - value) > 0.05 + 1e-9)
                out += QStringLiteral("%1=%2 against %3=%4; ").arg(points[i].label).arg(points[i].y).arg(label).arg(value, 0, 'f', 3);
        }
        return out;
    }
    // A generated diary of 2006 and 2007; returns the person with the most entries.
    int generatedDiary()
    {
        return generateDiary(fx->session().ZDatabase1, DiarySpec{2, 1, QDate(2006, 1, 1)}).busiestUser;
    }

private Q_SLOTS:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
    void init()
    {
        fx = std::make_unique<EditorFixture>();
        user = fx->addUser();
        zone = fx->value(QStringLiteral("SELECT FIRST 1 TrBereich FROM bereiche ORDER BY maxHF")).trimmed();
        // March 2025: 15 km running (10 in the zone, 5 without one), 20 km
        // cycling in the zone, one run without kilometres.
        const int e1 = fx->addEntry(user, QStringLiteral("01.03.2025"), QStringLiteral("08:00:00"),
                                    QStringLiteral("Pegasus"), QStringLiteral(", '71.0', '50', '1:00'"));
        fx->addUnit(e1, 1, QStringLiteral("10"), QStringLiteral("00:50:00"), QStringLiteral("150"), zone);
        fx->addUnit(e1, 2, QStringLiteral("5"));
        const int e2 = fx->addEntry(user, QStringLiteral("02.03.2025"), QStringLiteral("08:00:00"), QString(),
                                    QStringLiteral(", '73.0', '50', '1:00'"));
        fx->addUnit(e2, 1, QStringLiteral("20"), QStringLiteral("00:50:00"), QStringLiteral("150"), zone);
        fx->exec(QStringLiteral("UPDATE main SET Kategorie = 'Rad' WHERE ID = ") + quoted(e2));
        fx->addEntry(user, QStringLiteral("03.03.2025"), QStringLiteral("08:00:00"), QStringLiteral("Pegasus"),
                     QStringLiteral(", NULL, '50', '1:00'"));
        // Outside the period: a January weighing and an old run in the shoe.
        const int e4 = fx->addEntry(user, QStringLiteral("10.01.2025"), QStringLiteral("08:00:00"), QString(),
                                    QStringLiteral(", '70.0', '50', '0:30'"));
        fx->addUnit(e4, 1, QStringLiteral("2"));
        const int e5 = fx->addEntry(user, QStringLiteral("01.01.2020"), QStringLiteral("08:00:00"),
                                    QStringLiteral("Pegasus"));
        fx->addUnit(e5, 1, QStringLiteral("7"));
    }
    void cleanup() { fx.reset(); }

    void shareEvaluations()
    {
        TForm5* f = open();
        QVERIFY(f);
        QCOMPARE(f->windowTitle(), QStringLiteral("Statistiken Max Muster"));
        setPeriod(f, QStringLiteral("01.03.2025"), QStringLiteral("31.03.2025"));
        choose(f, QStringLiteral("ComboBox3"), 1);
        const chart::Chart& c = f->chart();
        QCOMPARE(labels(c.pie), QStringList({QStringLiteral("85,7% ") + zone + QStringLiteral(" (30,0 km)"),
                                             QStringLiteral("14,3% nicht zugeordnet (5,0 km)")}));
        QCOMPARE(c.title, QStringList{QStringLiteral(
                              "Prozentualer Anteil der Trainingsbereiche vom 01.03.2025 bis 31.03.2025")});
        QCOMPARE(c.foot, QStringList({QStringLiteral("3 Trainingseinheiten"),
                                      QStringLiteral("35,0 km im gewählten Zeitraum")}));

        choose(f, QStringLiteral("ComboBox3"), 2);
        QCOMPARE(labels(c.pie), QStringList({QStringLiteral("43,1% Laufen (15,1 km)"),
                                             QStringLiteral("57,1% Rad (20,0 km)")}));
        QCOMPARE(c.foot.mid(2),
                 QStringList({QStringLiteral(
                                  "Im gewählten Zeitraum wurde 1 Trainingseinheit ohne Kilometerangaben gefunden."),
                              QStringLiteral(
                                  "Diese Trainingseinheit wurde mit je 0,1 km im Diagramm berücksichtigt.")}));
        QCOMPARE(c.title.value(1), QStringLiteral("vom 01.03.2025 bis 31.03.2025"));
        fx->addEntry(user, QStringLiteral("04.03.2025"));
        choose(f, QStringLiteral("ComboBox1"), 1); // any redraw reads anew
        QCOMPARE(c.foot.value(2), QStringLiteral(
                                      "Im gewählten Zeitraum wurden 2 Trainingseinheiten ohne Kilometerangaben gefunden."));
        QCOMPARE(c.foot.value(3), QStringLiteral(
                                      "Diese Trainingseinheiten wurden mit je 0,1 km im Diagramm berücksichtigt."));

        choose(f, QStringLiteral("ComboBox3"), 3);
        QCOMPARE(labels(c.pie), QStringList({QStringLiteral("75,0% Laufen (3:00 h)"),
                                             QStringLiteral("25,0% Rad (1:00 h)")}));
        QCOMPARE(c.foot, QStringList({QStringLiteral("4 Trainingseinheiten"),
                                      QStringLiteral("Gesamtzeitaufwand: 4:00 h")}));

        // The shoes over the whole diary, whatever the period says.
        choose(f, QStringLiteral("ComboBox3"), 6);
        QVERIFY(!f->findChild<DateEdit*>(QStringLiteral("FromDate1"))->isEnabled());
        QCOMPARE(labels(c.pie), QStringList({QStringLiteral("ohne Zuordnung 22,0 km "),
                                             QStringLiteral("Pegasus 22,0 km ")}));
        QCOMPARE(c.pie.value(1).value, 22.0);
        QCOMPARE(c.foot, QStringList{QStringLiteral("44,0 km gesamt")});
        QCOMPARE(c.title, QStringList{QStringLiteral("Nutzung der Laufschuhe über den gesamten Trainingszeitraum")});

        // A start after the end draws nothing; the shoes need no period.
        // An empty pie is the empty pie area, without the walls of a bar chart.
        choose(f, QStringLiteral("ComboBox3"), 1);
        setPeriod(f, QStringLiteral("31.03.2025"), QStringLiteral("01.03.2025"));
        QVERIFY(c.isEmpty());
        QVERIFY(c.title.isEmpty() && c.foot.isEmpty());
        for (const int evaluation : {1, 2}) {
            setPeriod(f, QStringLiteral("01.03.2030"), QStringLiteral("31.03.2030"));
            choose(f, QStringLiteral("ComboBox3"), evaluation);
            QVERIFY(c.pie.isEmpty());
            const QImage picture = f->Chart1->grab().toImage().convertToFormat(QImage::Format_RGB32);
            const auto* pixels = reinterpret_cast<const QRgb*>(picture.constBits());
            QVERIFY(std::none_of(pixels, pixels + picture.width() * picture.height(),
                                 [](QRgb p) { return (p | 0xff000000) == qRgb(0, 0, 132); }));
        }
    }

    void distanceAndWeight()
    {
        TForm5* f = open();
        choose(f, QStringLiteral("ComboBox3"), 4);
        const chart::Chart& c = f->chart();
        QCheckBox* weekly = box(f, QStringLiteral("BitCheckBox2"));
        QCheckBox* monthly = box(f, QStringLiteral("BitCheckBox3"));

        // Months: one without entries is a point of 0 in the distance ...
        setPeriod(f, QStringLiteral("01.01.2025"), QStringLiteral("31.03.2025"));
        monthly->click();
        QCOMPARE(labels(c.line), QStringList({QStringLiteral("1 / 2025=2"), QStringLiteral("2 / 2025=0"),
                                              QStringLiteral("3 / 2025=35")}));
        QCOMPARE(c.title, QStringList({QStringLiteral("Trainingskilometer vom 01.01.2025 bis 31.03.2025"),
                                       QStringLiteral("alle Bereiche - Monatsauswertung"), QString(), QString()}));
        QCOMPARE(c.foot, QStringList({QStringLiteral("4 Trainingseinheiten"),
                                      QStringLiteral("37,0 km im gewählten Trainingsbereich und Zeitraum")}));
        QCOMPARE(c.axisMinimum, 0.0);
        QCOMPARE(c.axisMaximum, 35 * 1.1);
        choose(f, QStringLiteral("ComboBox1"), f->findChild<QComboBox*>(QStringLiteral("ComboBox1"))->count() - 1);
        QCOMPARE(labels(c.line), QStringList({QStringLiteral("1 / 2025=2"), QStringLiteral("2 / 2025=0"),
                                              QStringLiteral("3 / 2025=5")}));
        choose(f, QStringLiteral("ComboBox1"), 0);

        // ... and none in the weight, whose average leaves out the entry
        // without a weight.
        choose(f, QStringLiteral("ComboBox3"), 5);
        QCOMPARE(labels(c.line), QStringList({QStringLiteral("1 / 2025=70"), QStringLiteral("3 / 2025=72")}));
        QCOMPARE(c.axisFormat, QStringLiteral("##0 kg"));
        QCOMPARE(c.axisMinimum, 52.0); // 72 * 1.1 * 0.66, rounded
        monthly->click();
        QCOMPARE(labels(c.line), QStringList({QStringLiteral("10.01.2025=70"), QStringLiteral("01.03.2025=71"),
                                              QStringLiteral("02.03.2025=73")}));

        // Bars, daily distance with two-digit years.
        choose(f, QStringLiteral("ComboBox2"), 0);
        choose(f, QStringLiteral("ComboBox3"), 4);
        QCOMPARE(labels(c.bars).first(), QStringLiteral("10.01.25=2"));
        QVERIFY(c.line.isEmpty());

        // Nothing run: the axis runs from 0 to 100.
        setPeriod(f, QStringLiteral("01.06.2025"), QStringLiteral("31.07.2025"));
        monthly->click();
        QCOMPARE(labels(c.bars), QStringList({QStringLiteral("6 / 2025=0"), QStringLiteral("7 / 2025=0")}));
        QCOMPARE(c.axisMaximum, 100.0);
        QCOMPARE(c.axisMinimum, 0.0);

        // Weeks at the turn of the year.
        const int late = fx->addEntry(user, QStringLiteral("31.12.2024"));
        fx->addUnit(late, 1, QStringLiteral("3"));
        const int early = fx->addEntry(user, QStringLiteral("01.01.2021"));
        fx->addUnit(early, 1, QStringLiteral("4"));
        weekly->click();
        QCOMPARE(monthly->checkState(), Qt::Unchecked);
        setPeriod(f, QStringLiteral("23.12.2024"), QStringLiteral("05.01.2025"));
        QCOMPARE(labels(c.bars), QStringList({QStringLiteral("KW 52 / 2024=0"), QStringLiteral("KW 1 / 2025=3")}));
        setPeriod(f, QStringLiteral("28.12.2020"), QStringLiteral("10.01.2021"));
        QCOMPARE(labels(c.bars), QStringList({QStringLiteral("KW 53 / 2020=4"), QStringLiteral("KW 1 / 2021=0")}));
    }

    // Sums per week and month, their averages of weights and the pies'
    // totals as the database sums the units: each added in full precision
    // and rounded once, entries without a weighing (stored as -1) left out.
    void sumsAgreeWithTheDatabase()
    {
        user = generatedDiary();
        TForm5* f = open();
        const chart::Chart& c = f->chart();
        const QString ofUser = QStringLiteral(" WHERE m.UserID = ") + quoted(user);
        const QString weekOf = QStringLiteral("EXTRACT(WEEK FROM m.Datum), "
                                              "EXTRACT(YEAR FROM m.Datum - MOD(EXTRACT(WEEKDAY FROM m.Datum) + 6, 7) + 3)");
        const QString monthOf = QStringLiteral("EXTRACT(MONTH FROM m.Datum), EXTRACT(YEAR FROM m.Datum)");
        auto distances = [&](const QString& by, const QString& period) {
            return QStringLiteral("SELECT ") + by + QStringLiteral(", SUM(u.strecke) FROM main m JOIN units u ON u.MainID = m.ID")
                + ofUser + period + QStringLiteral(" GROUP BY 1, 2 ORDER BY 2, 1");
        };
        auto weights = [&](const QString& by, const QString& period) {
            return QStringLiteral("SELECT ") + by + QStringLiteral(", AVG(m.Gewicht) FROM main m") + ofUser + period
                + QStringLiteral(" AND m.Gewicht > 0 GROUP BY 1, 2 ORDER BY 2, 1");
        };
        QVERIFY(fx->value(QStringLiteral("SELECT COUNT(*) FROM main m") + ofUser
                          + QStringLiteral(" AND m.Gewicht = -1")).toInt() > 10);

        setPeriod(f, QStringLiteral("01.01.2006"), QStringLiteral("31.12.2007"));
        choose(f, QStringLiteral("ComboBox3"), 4);
        box(f, QStringLiteral("BitCheckBox3"))->click();
        QCOMPARE(differences(c, distances(monthOf, QString()), QStringLiteral("%1 / %2")), QString());
        const QString total =
            distanceText(parseDecimal(fx->value(QStringLiteral("SELECT SUM(u.strecke) FROM main m JOIN units u ON u.MainID = m.ID")
                                   + ofUser)));
        QCOMPARE(c.foot.value(1), total + QStringLiteral(" km im gewählten Trainingsbereich und Zeitraum"));
        choose(f, QStringLiteral("ComboBox3"), 5);
        QCOMPARE(differences(c, weights(monthOf, QString()), QStringLiteral("%1 / %2")), QString());

        // A whole calendar year by weeks: 01.01.2006 lies in week 52 of 2005.
        setPeriod(f, QStringLiteral("01.01.2006"), QStringLiteral("31.12.2006"));
        QCheckBox* weekly = box(f, QStringLiteral("BitCheckBox2"));
        QVERIFY(weekly->isEnabled());
        weekly->click();
        const QString year2006 = QStringLiteral(" AND m.Datum BETWEEN '01.01.2006' AND '31.12.2006'");
        QCOMPARE(differences(c, weights(weekOf, year2006), QStringLiteral("KW %1 / %2")), QString());
        choose(f, QStringLiteral("ComboBox3"), 4);
        QCOMPARE(c.bars.size() + c.line.size(), 53);
        QCOMPARE(c.line.constFirst().label, QStringLiteral("KW 52 / 2005"));
        QCOMPARE(differences(c, distances(weekOf, year2006), QStringLiteral("KW %1 / %2")), QString());
        for (const auto& [from, to] : {std::pair("01.01.2027", "31.12.2027"), std::pair("01.01.2028", "31.12.2028")}) {
            setPeriod(f, QLatin1String(from), QLatin1String(to));
            QVERIFY2(weekly->isEnabled() && weekly->checkState() == Qt::Checked, from);
        }

        // A day without a weighing gives no point.
        setPeriod(f, QStringLiteral("01.04.2007"), QStringLiteral("30.04.2007"));
        weekly->click();
        choose(f, QStringLiteral("ComboBox3"), 5);
        QCOMPARE(c.line.size(), fx->value(QStringLiteral("SELECT COUNT(*) FROM main m") + ofUser
                                          + QStringLiteral(" AND m.Gewicht > 0 AND m.Datum BETWEEN '01.04.2007' "
                                                           "AND '30.04.2007'")).toInt());

        // The zone pie of a month: its total, and as unassigned exactly
        // the units without a known zone.
        const QString june = QStringLiteral(" AND m.Datum BETWEEN '01.06.2007' AND '30.06.2007'");
        setPeriod(f, QStringLiteral("01.06.2007"), QStringLiteral("30.06.2007"));
        choose(f, QStringLiteral("ComboBox3"), 1);
        const QString units = QStringLiteral("SELECT SUM(u.strecke) FROM main m JOIN units u ON u.MainID = m.ID")
            + ofUser + june;
        QCOMPARE(c.foot.value(1), distanceText(parseDecimal(fx->value(units))) + QStringLiteral(" km im gewählten Zeitraum"));
        const double unassigned = parseDecimal(fx->value(units + QStringLiteral(" AND NOT EXISTS (SELECT 1 FROM bereiche b "
                                                                                "WHERE b.TrBereich = u.Bereich)")));
        const QStringList pieLabels = labels(c.pie);
        QVERIFY(unassigned > 0);
        QVERIFY2(pieLabels.last().endsWith(QStringLiteral("nicht zugeordnet (") + distanceText(unassigned)
                                           + QStringLiteral(" km)")), qPrintable(pieLabels.join(u'|')));
        // With every unit in a zone, no rest at all.
        fx->exec(QStringLiteral("UPDATE units SET Bereich = ") + quoted(zone)
                 + QStringLiteral(" WHERE Bereich IS NULL OR Bereich NOT IN (SELECT TrBereich FROM bereiche)"));
        choose(f, QStringLiteral("ComboBox3"), 2);
        choose(f, QStringLiteral("ComboBox3"), 1);
        QVERIFY2(!labels(c.pie).join(u'|').contains(QStringLiteral("nicht zugeordnet")),
                 qPrintable(labels(c.pie).join(u'|')));
    }

    // The file takes the suffix of the chosen kind, a typed suffix chooses
    // the kind; the dialog starts in the documents folder, then where the
    // user saved last.
    void savesThroughTheDialog()
    {
        TForm5* f = open();
        setPeriod(f, QStringLiteral("01.03.2025"), QStringLiteral("31.03.2025"));
        choose(f, QStringLiteral("ComboBox3"), 4);
        OpenedUrls opened;
        const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
        QDir().mkpath(documents);
        QTemporaryDir elsewhere;
        auto save = [&](const QString& startsIn, const QString& filter, const QString& name) {
            QTimer::singleShot(0, this, [&] {
                auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
                QVERIFY(dialog);
                QCOMPARE(QDir(dialog->directory()).canonicalPath(), QDir(startsIn).canonicalPath());
                auto* types = dialog->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
                QVERIFY(types);
                types->setCurrentIndex(0);
                while (types->currentText() != filter && types->currentIndex() + 1 < types->count())
                    QTest::keyClick(types, Qt::Key_Down);
                dialog->selectFile(name);
                static_cast<QDialog*>(dialog)->accept();
            });
            f->SpeedButton2->click();
        };
        save(documents, QStringLiteral("PNG-Grafiken (*.png)"), elsewhere.filePath(QStringLiteral("schuhe2")));
        QCOMPARE(opened.paths(), QStringList(elsewhere.filePath(QStringLiteral("schuhe2.png"))));
        QCOMPARE(QImageReader(opened.paths().last()).format(), QByteArray("png"));
        save(elsewhere.path(), QStringLiteral("Bitmaps (*.bmp)"), QStringLiteral("schuhe3.svg"));
        QCOMPARE(opened.paths().last(), elsewhere.filePath(QStringLiteral("schuhe3.svg")));
        QVERIFY(QSvgRenderer(opened.paths().last()).isValid());
        // Without a program for the kind the picture is saved all the same,
        // and a box says where it lies.
        {
            const ViewerLookup none("");
            const qsizetype before = Messages::shown().size();
            Messages::setNextAnswer(QMessageBox::Ok);
            save(elsewhere.path(), QStringLiteral("PNG-Grafiken (*.png)"), QStringLiteral("schuhe4"));
            QCOMPARE(opened.paths().size(), 2);
            QVERIFY(QFileInfo::exists(elsewhere.filePath(QStringLiteral("schuhe4.png"))));
            QCOMPARE(Messages::shown().size(), before + 1);
            QCOMPARE(Messages::shown().last().icon, QMessageBox::Information);
            QVERIFY(Messages::shown().last().text.startsWith(QStringLiteral(
                "Die Grafik wurde gespeichert, kann aber nicht angezeigt werden: Es wurde kein Programm gefunden, "
                "das PNG-Dateien anzeigen kann.")));
            QVERIFY(Messages::shown().last().text.endsWith(elsewhere.filePath(QStringLiteral("schuhe4.png"))));
        }
        QCOMPARE(TForm5::chartFileFor(QStringLiteral("/a/b.txt"), QStringLiteral("Metadateien (*.wmf)")).path,
                 QStringLiteral("/a/b.txt.wmf"));
    }

    void panelStates()
    {
        TForm5* f = open();
        QCheckBox* weekly = box(f, QStringLiteral("BitCheckBox2"));
        QCheckBox* monthly = box(f, QStringLiteral("BitCheckBox3"));
        QVERIFY(weekly->isEnabled() && monthly->isEnabled());
        QVERIFY(!f->findChild<QToolButton*>(QStringLiteral("SpeedButton1"))->isEnabled());
        setPeriod(f, QStringLiteral("01.03.2025"), QStringLiteral("31.03.2025"));
        choose(f, QStringLiteral("ComboBox3"), 4);
        QVERIFY(f->findChild<QToolButton*>(QStringLiteral("SpeedButton2"))->isEnabled());
        weekly->click();
        QCOMPARE(weekly->checkState(), Qt::Checked);
        QVERIFY(!monthly->isEnabled()); // one month only

        // One week: the checked box turns grey and counts as unchecked ...
        setPeriod(f, QStringLiteral("03.03.2025"), QStringLiteral("05.03.2025"));
        QCOMPARE(weekly->checkState(), Qt::PartiallyChecked);
        QVERIFY(!weekly->isEnabled());
        QCOMPARE(f->chart().title.value(1), QStringLiteral("alle Bereiche - tägliche Auswertung"));
        // ... and comes back checked with a longer period.
        setPeriod(f, QStringLiteral("03.03.2025"), QStringLiteral("12.03.2025"));
        QCOMPARE(weekly->checkState(), Qt::Checked);
        // The pies grey both boxes.
        choose(f, QStringLiteral("ComboBox3"), 1);
        QCOMPARE(weekly->checkState(), Qt::PartiallyChecked);
        QVERIFY(!monthly->isEnabled());

        // The slider's depth: a third in pie mode.
        auto* slider = f->findChild<QSlider*>(QStringLiteral("RxSlider1"));
        slider->setValue(35);
        QCOMPARE(f->chart().depthPercent, 11);
        QCOMPARE(f->findChild<QLabel*>(QStringLiteral("Label4"))->text(), QStringLiteral("35%"));
        choose(f, QStringLiteral("ComboBox3"), 4);
        QCOMPARE(f->chart().depthPercent, 35);

        // A calendar pick after the end is refused with the box.
        Messages::setNextAnswer(QMessageBox::Ok);
        QVERIFY(!f->FromDate1AcceptDate(QDate(2025, 4, 1)));
        QCOMPARE(Messages::shown().last().text, QStringLiteral("Das Startdatum muss vor dem gewählten Enddatum liegen."));

        // The settings outlive the window.
        box(f, QStringLiteral("BitCheckBox1"))->click();
        choose(f, QStringLiteral("ComboBox2"), 0);
        f->close();
        TForm5* again = open();
        QCOMPARE(again->findChild<DateEdit*>(QStringLiteral("FromDate1"))->text(), QStringLiteral("03.03.2025"));
        QCOMPARE(again->findChild<DateEdit*>(QStringLiteral("TilDate1"))->text(), QStringLiteral("12.03.2025"));
        QCOMPARE(again->findChild<QComboBox*>(QStringLiteral("ComboBox2"))->currentIndex(), 0);
        QVERIFY(box(again, QStringLiteral("BitCheckBox1"))->isChecked());
        QCOMPARE(again->findChild<QSlider*>(QStringLiteral("RxSlider1"))->value(), 35);
        again->close();
    }

    // The evaluation, the sport and the chart style are there again at the
    // next opening; the save dialog proposes the evaluation and its period
    // in the picture kind saved last.
    void keepsItsChoices()
    {
        TForm5* f = open();
        setPeriod(f, QStringLiteral("01.03.2025"), QStringLiteral("31.03.2025"));
        choose(f, QStringLiteral("ComboBox3"), 4);
        QVERIFY(f->ComboBox4->findText(QStringLiteral("Rad")) > 0);
        choose(f, QStringLiteral("ComboBox4"), f->ComboBox4->findText(QStringLiteral("Rad")));
        choose(f, QStringLiteral("ComboBox2"), 0);
        OpenedUrls opened;
        QTemporaryDir folder;
        QString proposed;
        QString filter;
        auto save = [&](TForm5* window, const QString& pick, const QString& name) {
            QTimer::singleShot(0, this, [&, pick, name] {
                auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
                QVERIFY(dialog);
                proposed = QFileInfo(dialog->selectedFiles().value(0)).fileName();
                filter = dialog->selectedNameFilter();
                auto* types = dialog->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
                while (!pick.isEmpty() && types->currentText() != pick && types->currentIndex() + 1 < types->count())
                    QTest::keyClick(types, Qt::Key_Down);
                dialog->selectFile(folder.filePath(name));
                static_cast<QDialog*>(dialog)->accept();
            });
            window->SpeedButton2->click();
        };
        save(f, QStringLiteral("PNG-Grafiken (*.png)"), QStringLiteral("strecke"));
        QCOMPARE(proposed, QStringLiteral("Streckenauswertung (km) 01.03.2025-31.03.2025.bmp"));
        QCOMPARE(filter, QStringLiteral("Bitmaps (*.bmp)"));
        QCOMPARE(opened.paths().value(0), folder.filePath(QStringLiteral("strecke.png")));
        save(f, QString(), QStringLiteral("strecke2"));
        QCOMPARE(proposed, QStringLiteral("Streckenauswertung (km) 01.03.2025-31.03.2025.png"));
        QCOMPARE(filter, QStringLiteral("PNG-Grafiken (*.png)"));
        f->close();

        TForm5* again = open();
        QCOMPARE(again->ComboBox3->currentIndex(), 4);
        QCOMPARE(again->ComboBox4->currentText(), QStringLiteral("Rad"));
        QCOMPARE(again->ComboBox2->currentIndex(), 0);
        QVERIFY(!again->chart().bars.isEmpty());
        QVERIFY(again->SpeedButton2->isEnabled());
        // The shoes are counted over the whole diary: no period in the name.
        choose(again, QStringLiteral("ComboBox3"), 6);
        save(again, QString(), QStringLiteral("schuhe"));
        QCOMPARE(proposed, QStringLiteral("Schuhauswertung.png"));
        again->close();
    }

    // A long evaluation is shortened in its list; the panel keeps its width
    // and leaves the room to the chart.
    void longEvaluationLeavesTheRoomToTheChart()
    {
        TForm5* f = open();
        f->resize(788, 500);
        choose(f, QStringLiteral("ComboBox3"), 7);
        QApplication::processEvents();
        const QString text = f->ComboBox3->currentText();
        auto* list = dynamic_cast<evaluation::PanelList*>(f->ComboBox3);
        QVERIFY(list);
        QVERIFY(list->shownText().endsWith(QChar(0x2026)));
        list->showPopup(); // the open list shows the items whole
        QVERIFY(list->view()->width() > list->fontMetrics().horizontalAdvance(text));
        list->hidePopup();
        QVERIFY(f->findChild<QWidget*>(QStringLiteral("Panel1"))->width() < f->fontMetrics().horizontalAdvance(text));
        QVERIFY2(f->Chart1->width() >= 560, qPrintable(QString::number(f->Chart1->width())));
        if (const QString folder = qEnvironmentVariable("TRAMORA_CHART_PICTURES"); !folder.isEmpty())
            f->grab().save(folder + QStringLiteral("/statistics-long-evaluation.png"));
        QCOMPARE(cutOrUnreachable(f->findChild<QScrollArea*>(QStringLiteral("ScrollBox1"))).join(u';'), QString());
        f->close();
    }

    // Whatever the generator draws, black text reads on every slice and
    // on the points, and neighbouring slices differ.
    void readableColours()
    {
        TForm5* f = open();
        setPeriod(f, QStringLiteral("01.01.2025"), QStringLiteral("31.03.2025"));
        const chart::Chart& c = f->chart();
        for (const int evaluation : {1, 4}) {
            choose(f, QStringLiteral("ComboBox3"), evaluation);
            for (quint32 seed = 1; seed <= 60; ++seed) {
                TForm5::seedColours(seed);
                f->CreateDiagramm();
                QList<QColor> colours;
                for (const chart::Slice& slice : c.pie)
                    colours << slice.colour;
                for (const chart::Point& point : c.bars + c.line)
                    colours << point.colour;
                QVERIFY(!colours.isEmpty());
                for (int i = 0; i < colours.size(); ++i) {
                    QVERIFY2(chart::contrastRatio(colours[i], Qt::black) >= 4.5, qPrintable(colours[i].name()));
                    if (i > 0 && i < c.pie.size())
                        QVERIFY(colours[i] != colours[i - 1]);
                }
            }
        }
    }

    // The chart takes the room of a larger window; a small one keeps the
    // panel at the top left and scrolls it, nothing cut off.
    void growsAndShrinks()
    {
        TForm5* f = open();
        for (const char* name : {"SpeedButton1", "SpeedButton2", "SpeedButton3", "ComboBox3", "ComboBox4", "ComboBox5", "FromDate1",
                                 "TilDate1", "BitCheckBox2", "BitCheckBox3", "ComboBox1", "ComboBox2", "BitCheckBox1",
                                 "RxSlider1", "Label4", "Chart1"})
            QVERIFY2(f->findChild<QWidget*>(QLatin1String(name)), name);
        auto* area = f->findChild<QScrollArea*>(QStringLiteral("ScrollBox1"));
        QVERIFY(area);
        f->resize(1400, 1000);
        QApplication::processEvents();
        QCOMPARE(f->Chart1->geometry(), QRect(area->width(), 0, 1400 - area->width(), 1000));
        const QPoint combo = f->ComboBox3->mapTo(f, QPoint(0, 0));
        QVERIFY(combo.x() < 20 && combo.y() < 100);
        QCOMPARE(cutOrUnreachable(area).join(u';'), QString());

        f->resize(100, 100); // held at the smallest size (the panel as wide as its longest evaluation)
        QApplication::processEvents();
        QVERIFY2(f->width() <= 720 && f->height() <= 400, qPrintable(QStringLiteral("%1 x %2").arg(f->width()).arg(f->height())));
        QVERIFY(f->Chart1->width() >= 360 && f->Chart1->height() >= 280);
        QVERIFY(area->verticalScrollBar()->isVisible());
        if (const QString folder = qEnvironmentVariable("TRAMORA_CHART_PICTURES"); !folder.isEmpty())
            f->grab().save(folder + QStringLiteral("/statistics-smallest.png"));
        QCOMPARE(f->ComboBox3->mapTo(f, QPoint(0, 0)), combo);
        QCOMPARE(cutOrUnreachable(area).join(u';'), QString());
        f->close();
    }

    void savedPictures()
    {
        TForm5* f = open();
        setPeriod(f, QStringLiteral("01.03.2025"), QStringLiteral("31.03.2025"));
        choose(f, QStringLiteral("ComboBox3"), 1);
        const QSize size = f->Chart1->size();
        QVERIFY(size.width() > 100);
        QVERIFY(f->saveChart(fx->folder().file(QStringLiteral("chart.bmp")), 1));
        QVERIFY(f->saveChart(fx->folder().file(QStringLiteral("chart.emf")), 2));
        QVERIFY(f->saveChart(fx->folder().file(QStringLiteral("chart.wmf")), 3));
        QVERIFY(f->saveChart(fx->folder().file(QStringLiteral("chart.png")), 4));
        QVERIFY(f->saveChart(fx->folder().file(QStringLiteral("chart.svg")), 5));
        // An enhanced metafile begins with its header record (type 1), a
        // placeable metafile with its key.
        QVERIFY(readBytes(fx->folder().file(QStringLiteral("chart.emf"))).startsWith(QByteArray("\x01\0\0\0", 4)));
        QVERIFY(readBytes(fx->folder().file(QStringLiteral("chart.wmf"))).startsWith("\xd7\xcd\xc6\x9a"));
        for (const char* name : {"chart.bmp", "chart.png"}) {
            QImageReader reader(fx->folder().file(QLatin1String(name)));
            QCOMPARE(reader.size(), size);
            QVERIFY(!reader.read().isNull());
        }
        QSvgRenderer svg(fx->folder().file(QStringLiteral("chart.svg")));
        QVERIFY(svg.isValid());
        QCOMPARE(svg.viewBox().size(), size);
        QVERIFY(!f->saveChart(fx->folder().file(QStringLiteral("no/such/folder/chart.bmp")), 1));
        for (int kind : {2, 3}) {
            const QString lost = fx->folder().file(QStringLiteral("no/such/folder/chart.emf"));
            QVERIFY(!f->saveChart(lost, kind));
            QVERIFY(!QFile::exists(lost));
        }

        // Printed in landscape; the printer keeps its own orientation.
        QPrinter printer(QPrinter::ScreenResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(fx->folder().file(QStringLiteral("chart.pdf")));
        printer.setPageOrientation(QPageLayout::Portrait);
        f->printChart(printer);
        QCOMPARE(printer.pageLayout().orientation(), QPageLayout::Portrait);
        QVERIFY(readBytes(fx->folder().file(QStringLiteral("chart.pdf"))).startsWith("%PDF"));
    }
};

QTEST_MAIN(TestStatistics)
#include "tst_statistics.moc"
