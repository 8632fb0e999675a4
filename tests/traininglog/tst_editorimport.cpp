#include "editorfixture.h"
#include "editorinput.h"

#include "../exchange/trainingfiles.h"

#include <QDir>
#include <QDropEvent>
#include <QFileDialog>
#include <QMimeData>
#include <QProgressDialog>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>
#include <QUrl>

using namespace editorinput;

namespace {

QDateTime localStart(int day, int hour)
{
    return QDateTime(QDate(2025, 5, day), QTime(hour, 10, 20)).toUTC();
}

// Drops files onto the editor as the desktop does.
void drop(TForm4* w, const QStringList& paths)
{
    QMimeData data;
    QList<QUrl> urls;
    for (const QString& path : paths)
        urls << QUrl::fromLocalFile(path);
    data.setUrls(urls);
    QDragEnterEvent enter(QPoint(200, 200), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(w, &enter);
    QVERIFY(enter.isAccepted());
    // No field takes the files as text: the drop reaches the window.
    for (QWidget* child : w->findChildren<QWidget*>())
        QVERIFY2(!child->acceptDrops(), qPrintable(child->objectName()));
    QDropEvent event(QPointF(200, 200), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(w, &event);
    QCoreApplication::processEvents();
}

} // namespace

class TestEditorImport : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init() { initTestEnvironment(); }
    void oneFileBecomesANewEntryToComplete();
    void manyFilesAreSavedWithOneSummary();
    void tracksOfOneOutingAreOneEntryInTheForm();
};

// The button asks for files in the documents folder, later where the last
// import came from; the training is shown as a new entry, saved as usual;
// the same training again is shown, not made twice.
void TestEditorImport::oneFileBecomesANewEntryToComplete()
{
    EditorFixture f;
    const int user = f.addUser();
    TForm4* w = f.openEditor(user);
    QVERIFY(w->ImportButton);
    QCOMPARE(w->ImportButton->toolTip(), QStringLiteral("Trainings aus Dateien übernehmen (FIT, TCX, GPX)"));
    QTemporaryDir watch;
    const QString path = watch.filePath(QStringLiteral("lauf.tcx"));
    writeFile(path, tcxFile(localStart(3, 7), {{1234.56, 299.6, 135}, {2000, 600, 0}}, QStringLiteral("Other")));
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    QDir().mkpath(documents);

    auto choose = [&](const QString& startsIn, bool byKey) {
        if (byKey)
            QVERIFY(showActive(*w));
        QTimer::singleShot(0, this, [&] {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            QCOMPARE(QDir(dialog->directory()).canonicalPath(), QDir(startsIn).canonicalPath());
            QCOMPARE(dialog->nameFilters(), QStringList(QStringLiteral("Trainingsdateien (*.fit *.FIT *.tcx *.gpx)")));
            QCOMPARE(dialog->fileMode(), QFileDialog::ExistingFiles);
            dialog->selectFile(path);
            static_cast<QDialog*>(dialog)->accept();
        });
        if (byKey) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_O, Qt::ControlModifier);
        } else {
            w->ImportButton->click();
        }
    };
    choose(documents, false);
    QVERIFY(w->hasUnsavedChanges());
    QCOMPARE(control<QLineEdit>(w, "DateEdit1")->text(), QStringLiteral("03.05.2025"));
    QCOMPARE(control<MaskEdit>(w, "maskeditL1")->text(), QStringLiteral("07:10"));
    QCOMPARE(control<QComboBox>(w, "ComboBox3")->currentText(), QStringLiteral("Sonstiges"));
    QVERIFY(control<QComboBox>(w, "ComboBox3")->findText(QStringLiteral("Sonstiges")) > 0);
    QCOMPARE(control<MaskEdit>(w, "maskeditL3")->text(), QStringLiteral("00:15"));
    QCOMPARE(units(w)->cells(1, 1), QStringLiteral("1,2 km "));
    QCOMPARE(units(w)->cells(2, 1), QStringLiteral("00:05:00"));
    QCOMPARE(units(w)->cells(3, 1), QStringLiteral("135"));
    QCOMPARE(units(w)->cells(4, 1), QStringLiteral("extensiver DL"));
    QCOMPARE(units(w)->cells(3, 2), QString());

    control<QComboBox>(w, "ComboBox1")->setEditText(QStringLiteral("sonnig"));
    answering({}, [&] { tool(w, "ToolButton10")->click(); });
    QVERIFY(!w->hasUnsavedChanges());
    QCOMPARE(f.value(QStringLiteral("SELECT COUNT(*) FROM main")), QStringLiteral("1"));
    QCOMPARE(f.value(QStringLiteral("SELECT Strecke FROM units WHERE SubID = 1")), QStringLiteral("1,23456"));
    QCOMPARE(f.value(QStringLiteral("SELECT TRIM(Wetter) || TRIM(Kategorie) || Dauer FROM main")),
             QStringLiteral("sonnigSonstiges0:15 "));

    Messages::clearShown();
    Messages::setNextAnswer(QMessageBox::Ok);
    choose(watch.path(), true); // Ctrl+O
    QCOMPARE(Messages::shown().size(), 1);
    QVERIFY(Messages::shown().first().text.contains(QStringLiteral("schon im Tagebuch")));
    QCOMPARE(f.value(QStringLiteral("SELECT COUNT(*) FROM main")), QStringLiteral("1"));
    QCOMPARE(w->statusPanel(2)->text(), QStringLiteral("  Eintrag 1/1"));
    QVERIFY(!w->hasUnsavedChanges());
    f.discardEditor();
}

// A dropped folder: every training saved, one box at the end, the list and
// the total brought up to date; a cancelled import keeps what it saved.
void TestEditorImport::manyFilesAreSavedWithOneSummary()
{
    EditorFixture f;
    const int user = f.addUser();
    TForm4* w = f.openEditor(user);
    QTemporaryDir watch;
    for (int day = 1; day <= 6; ++day)
        writeFile(watch.filePath(QStringLiteral("t%1.tcx").arg(day)), tcxFile(localStart(day, 8), {{5000, 1500, 150}}));
    writeFile(watch.filePath(QStringLiteral("z.gpx")), "<gpx version=\"1.1\"><wpt lat=\"1\" lon=\"2\"/></gpx>");

    // Cancelled while the first file is read: that one is saved.
    QTimer canceller;
    connect(&canceller, &QTimer::timeout, this, [&] {
        if (auto* progress = w->findChild<QProgressDialog*>(QStringLiteral("ImportProgress"))) {
            progress->cancel();
            canceller.stop();
        }
    });
    canceller.start(0);
    Messages::clearShown();
    Messages::setNextAnswer(QMessageBox::Ok);
    drop(w, {watch.path()});
    QTRY_COMPARE(Messages::shown().size(), 1);
    const QRegularExpression cancelled(QStringLiteral("^Die Übernahme wurde nach (\\d) von 7 Dateien abgebrochen"));
    const QRegularExpressionMatch match = cancelled.match(Messages::shown().first().text);
    QVERIFY2(match.hasMatch(), qPrintable(Messages::shown().first().text));
    const int saved = match.captured(1).toInt();
    QVERIFY(saved < 6);
    QCOMPARE(f.value(QStringLiteral("SELECT COUNT(*) FROM main")), QString::number(saved));

    Messages::clearShown();
    Messages::setNextAnswer(QMessageBox::Ok);
    drop(w, {watch.path()});
    QTRY_COMPARE(Messages::shown().size(), 1);
    const auto trainings = [](int n) { return QString::number(n) + (n == 1 ? " Training" : " Trainings"); };
    QCOMPARE(Messages::shown().first().text,
             QStringLiteral("Übernommen: ") + trainings(6 - saved) + QStringLiteral("\nSchon vorhanden: ")
                 + trainings(saved)
                 + QStringLiteral("\nAbgelehnt: 1 Datei\n\nz.gpx: Die Datei enthält kein Training (keine Trackpunkte)."));
    QCOMPARE(w->entries().size(), 6);
    QCOMPARE(w->statusPanel(1)->text(), QStringLiteral("  Gesamt: 30,0 km"));
    QCOMPARE(w->statusPanel(2)->text(), QStringLiteral("  Eintrag %1/6").arg(saved > 0 ? saved : 6)); // the entry shown stays
    QCOMPARE(f.value(QStringLiteral("SELECT COUNT(*) FROM units")), QStringLiteral("6"));

    // A folder of one file is saved at once, not shown in the form.
    QTemporaryDir one;
    writeFile(one.filePath(QStringLiteral("a.tcx")), tcxFile(localStart(20, 8), {{1000, 300, 0}}));
    Messages::setNextAnswer(QMessageBox::Ok);
    drop(w, {one.path()});
    QTRY_COMPARE(f.value(QStringLiteral("SELECT COUNT(*) FROM main")), QStringLiteral("7"));
    QVERIFY(!w->hasUnsavedChanges());

    f.discardEditor();
}

// A GPX of an outing a device split at each pause is one entry, shown as
// one file of one training is; an old training takes no weight or pulse
// of today, a recent one the person's.
void TestEditorImport::tracksOfOneOutingAreOneEntryInTheForm()
{
    EditorFixture f;
    const int user = f.addUser();
    TForm4* w = f.openEditor(user);
    QTemporaryDir watch;
    const auto walk = [&](const QString& name, const QDate& day) {
        QString gpx = QStringLiteral("<gpx version=\"1.1\">");
        for (int i = 0; i < 3; ++i) {
            const QDateTime start = QDateTime(day, QTime(9 + i, 0)).toUTC();
            gpx += QStringLiteral("<trk><name>ACTIVE LOG #%1</name><trkseg><trkpt lat=\"%2\" lon=\"8\"><time>%3</time>"
                                  "</trkpt><trkpt lat=\"%4\" lon=\"8\"><time>%5</time></trkpt></trkseg></trk>")
                       .arg(i + 1)
                       .arg(50.0 + 0.01 * i)
                       .arg(start.toString(Qt::ISODate))
                       .arg(50.0 + 0.01 * i + 0.009)
                       .arg(start.addSecs(1200).toString(Qt::ISODate));
        }
        const QString path = watch.filePath(name);
        writeFile(path, (gpx + QStringLiteral("</gpx>")).toUtf8());
        return path;
    };
    drop(w, {walk(QStringLiteral("alt.gpx"), QDate(2025, 5, 3))});
    QVERIFY(w->hasUnsavedChanges());
    QCOMPARE(f.value(QStringLiteral("SELECT COUNT(*) FROM main")), QStringLiteral("0"));
    QCOMPARE(units(w)->gridRowCount(), 5);
    QCOMPARE(units(w)->cells(1, 3), QStringLiteral("1,0 km "));
    QCOMPARE(units(w)->cells(2, 3), QStringLiteral("00:20:00"));
    QCOMPARE(control<MaskEdit>(w, "maskeditL3")->text(), QStringLiteral("01:00"));
    QCOMPARE(control<NumericEdit>(w, "EnhancedEdit1")->text(), QString());
    QCOMPARE(control<NumericEdit>(w, "EnhancedEdit2")->text(), QString());

    Messages::setNextAnswer(QMessageBox::No); // the input shown is let go
    drop(w, {walk(QStringLiteral("neu.gpx"), QDate::currentDate().addDays(-1))});
    QCOMPARE(control<NumericEdit>(w, "EnhancedEdit1")->text(), QStringLiteral("48"));
    QCOMPARE(control<NumericEdit>(w, "EnhancedEdit2")->text(), QStringLiteral("72,5"));
    f.discardEditor();

    // A person without resting pulse: the field stays empty, as for a new entry.
    TForm4* v = f.openEditor(f.addUser(QStringLiteral("Ohne"), QStringLiteral("Puls"), QStringLiteral("70"), -1));
    drop(v, {walk(QStringLiteral("heute.gpx"), QDate::currentDate().addDays(-1))});
    QCOMPARE(control<NumericEdit>(v, "EnhancedEdit1")->text(), QString());
    QCOMPARE(control<NumericEdit>(v, "EnhancedEdit2")->text(), QStringLiteral("70"));
    f.discardEditor();
}

QTEST_MAIN(TestEditorImport)
#include "tst_editorimport.moc"
