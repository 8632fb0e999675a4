#include "editorfixture.h"
#include "editorinput.h"

#include "editordraft.h"

#include <QApplication>
#include <QDialog>
#include <QGuiApplication>
#include <QMetaMethod>
#include <QRegularExpression>
#include <QTimer>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>

using namespace editorinput;

namespace {

const QRegularExpression kOffer(QStringLiteral(
    "^Es gibt nicht gespeicherte Eingaben vom \\d\\d\\.\\d\\d\\.\\d{4}, \\d\\d:\\d\\d\\. Wiederherstellen\\?$"));

QString draftPath(EditorFixture& f, int user)
{
    return EditorDraft(f.session().settingsPath, user).path();
}

// Opens the editor and answers the draft's question, when one comes; the
// boxes asked are in Messages::shown().
TForm4* openAnswering(EditorFixture& f, int user, QMessageBox::StandardButton answer)
{
    Messages::clearShown();
    TForm4* w = nullptr;
    answering({answer}, [&] {
        w = f.openEditor(user);
        QCoreApplication::processEvents();
    });
    return w;
}

// The editor ends as in a crash: no closing step runs.
void crash(EditorFixture& f, TForm4* w)
{
    delete w;
    f.main().ComboBox1->setEnabled(true);
}

// A limit of the file size below the draft's stands in for a full disk.
void withFullDisk(const std::function<void()>& step)
{
    rlimit before{};
    QVERIFY(getrlimit(RLIMIT_FSIZE, &before) == 0);
    const auto handler = signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{64, before.rlim_max};
    QVERIFY(setrlimit(RLIMIT_FSIZE, &limit) == 0);
    step();
    setrlimit(RLIMIT_FSIZE, &before);
    signal(SIGXFSZ, handler);
}

} // namespace

class TestEditorDraft : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init() { initTestEnvironment(); }

    void newEntryOutlivesACrash();
    void changeOfAStoredEntry();
    void endOfTheDesktopSession();
    void draftsThatAreNotOffered();
    void draftOnAFullDisk();
};

void TestEditorDraft::newEntryOutlivesACrash()
{
    EditorFixture f;
    const int user = f.addUser();
    TForm4* w = openAnswering(f, user, QMessageBox::Ok);
    QVERIFY(Messages::shown().isEmpty());
    newEntry(w, "01.03.2025", "08:30", "Radfahren");
    control<MaskEdit>(w, "maskeditL3")->setText("1:15");
    control<QComboBox>(w, "ComboBox1")->setEditText("sonnig");
    control<QPlainTextEdit>(w, "Memo1")->setPlainText("gut\nmüde\\ am Ende");
    control<QPlainTextEdit>(w, "Memo2")->setPlainText("Tab\there");
    enterUnit(w, "12,5", "00:30:00", "150", 1);
    enterUnit(w, "3");
    const QString path = draftPath(f, user);
    QTRY_VERIFY(QFile::exists(path));
    crash(f, w);

    w = openAnswering(f, user, QMessageBox::Yes);
    QCOMPARE(Messages::shown().size(), 1);
    QVERIFY2(kOffer.match(Messages::shown().first().text).hasMatch(), qPrintable(Messages::shown().first().text));

    // Every field and unit is back, as a new entry not saved yet.
    QVERIFY(w->hasUnsavedChanges());
    QCOMPARE(control<QLabel>(w, "Label16")->text(), QString("-1"));
    QCOMPARE(w->statusPanel(3)->text(), QString("  Neuer Eintrag"));
    QVERIFY(tool(w, "ToolButton10")->isEnabled());
    for (const auto& [name, text] : {std::pair{"DateEdit1", "01.03.2025"}, {"maskeditL1", "08:30"},
                                     {"maskeditL3", " 1:15"}, {"ComboBox3", "Radfahren"}, {"ComboBox1", "sonnig"},
                                     {"Memo1", "gut\nmüde\\ am Ende"}, {"Memo2", "Tab\there"}})
        QCOMPARE(w->draftContent().fields.value(name), QString::fromUtf8(text));
    StringGrid* grid = units(w);
    QCOMPARE(grid->gridRowCount(), 4);
    QCOMPARE(grid->cells(1, 1), QString("12,5 km "));
    QCOMPARE(grid->cells(2, 1) + grid->cells(3, 1), QString("00:30:00150"));
    QVERIFY(!grid->cells(4, 1).isEmpty());
    QCOMPARE(control<QLabel>(w, "Label18")->text(), QString("15,5 km"));

    // Saving stores it and the draft goes.
    save(w);
    QCOMPARE(f.value("SELECT COUNT(*) FROM units"), QString("2"));
    QCOMPARE(f.value("SELECT Kategorie FROM main"), QString("Radfahren"));
    QVERIFY(!QFile::exists(path));
}

void TestEditorDraft::changeOfAStoredEntry()
{
    EditorFixture f;
    const int user = f.addUser();
    const int entry = f.addEntry(user, "02.03.2025");
    f.addUnit(entry, 1, "10.25");
    const QString path = draftPath(f, user);

    TForm4* w = openAnswering(f, user, QMessageBox::Ok);
    tool(w, "ToolButton13")->click();
    control<QPlainTextEdit>(w, "Memo2")->setPlainText("geändert");
    QTRY_VERIFY(QFile::exists(path));
    crash(f, w);

    // Yes: the change of that entry, its loaded distance kept as stored.
    w = openAnswering(f, user, QMessageBox::Yes);
    QCOMPARE(Messages::shown().size(), 1);
    QCOMPARE(control<QLabel>(w, "Label16")->text(), QString::number(entry));
    QVERIFY(w->hasUnsavedChanges());
    QVERIFY(tool(w, "ToolButton10")->isEnabled());
    QCOMPARE(control<QPlainTextEdit>(w, "Memo2")->toPlainText(), QString::fromUtf8("geändert"));
    save(w);
    QCOMPARE(f.value("SELECT COUNT(*) FROM main"), QString("1"));
    QCOMPARE(f.value("SELECT Notizen FROM main"), QString::fromUtf8("geändert"));
    QCOMPARE(f.value("SELECT Strecke FROM units"), QString("10,25"));
    QVERIFY(!QFile::exists(path));

    // No lets the draft go and shows the entry as stored.
    tool(w, "ToolButton13")->click();
    control<QPlainTextEdit>(w, "Memo2")->setPlainText("verworfen");
    QTRY_VERIFY(QFile::exists(path));
    crash(f, w);
    w = openAnswering(f, user, QMessageBox::No);
    QCOMPARE(Messages::shown().size(), 1);
    QVERIFY(!QFile::exists(path));
    QVERIFY(!w->hasUnsavedChanges());
    QCOMPARE(control<QPlainTextEdit>(w, "Memo2")->toPlainText(), QString::fromUtf8("geändert"));

    // The entry deleted meanwhile: the input comes back as a new entry.
    tool(w, "ToolButton13")->click();
    control<QPlainTextEdit>(w, "Memo2")->setPlainText("neu");
    QTRY_VERIFY(QFile::exists(path));
    crash(f, w);
    f.exec("DELETE FROM units");
    f.exec("DELETE FROM main");
    w = openAnswering(f, user, QMessageBox::Yes);
    QCOMPARE(control<QLabel>(w, "Label16")->text(), QString("-1"));
    QCOMPARE(control<QPlainTextEdit>(w, "Memo2")->toPlainText(), QString("neu"));
    QCOMPARE(units(w)->cells(1, 1), QString("10,3 km "));
    QVERIFY(w->hasUnsavedChanges());

    // Closing with No lets it go.
    f.discardEditor();
    QVERIFY(!QFile::exists(path));
}

void TestEditorDraft::endOfTheDesktopSession()
{
    EditorFixture f;
    const int user = f.addUser();
    const QString path = draftPath(f, user);
    TForm4* w = openAnswering(f, user, QMessageBox::Ok);
    newEntry(w);
    control<QPlainTextEdit>(w, "Memo1")->setPlainText("Abmeldung");

    // The desktop saves its session: the draft is written at once, not
    // after the pause of the typing.
    const QMetaMethod commit = QMetaMethod::fromSignal(&QGuiApplication::commitDataRequest);
    int noManager = 0; // the editor does not look at the session manager
    void* args[] = {nullptr, &noManager};
    QMetaObject::activate(qGuiApp, &QGuiApplication::staticMetaObject,
                          commit.methodIndex() - QGuiApplication::staticMetaObject.methodOffset(), args);
    QVERIFY(QFile::exists(path));
    QVERIFY(QFile::remove(path));

    // The program is stopped: no question, the input stays as the draft.
    control<QPlainTextEdit>(w, "Memo1")->setPlainText("Abmeldung jetzt");
    Messages::clearShown();
    Messages::setEnding(true);
    f.closeEditor();
    QVERIFY(Messages::shown().isEmpty());
    QVERIFY(QFile::exists(path));
    QCOMPARE(f.value("SELECT COUNT(*) FROM main"), QString("0"));

    // Stopped again while the draft's question is open: the draft stays.
    w = openAnswering(f, user, QMessageBox::No);
    QVERIFY(QFile::exists(path));
    Messages::setEnding(false);
    f.closeEditor();

    w = openAnswering(f, user, QMessageBox::Yes);
    QCOMPARE(Messages::shown().size(), 1);
    QCOMPARE(control<QPlainTextEdit>(w, "Memo1")->toPlainText(), QString("Abmeldung jetzt"));

    // Stopped while the question about the input not saved is open (before
    // a new entry): its No is nobody's answer, the input stays as the draft.
    QVERIFY(QFile::remove(path));
    QTimer::singleShot(0, [] {
        Messages::setEnding(true);
        if (auto* box = qobject_cast<QDialog*>(QApplication::activeModalWidget()))
            box->reject();
    });
    w->ToolButton1Click();
    QCOMPARE(control<QPlainTextEdit>(w, "Memo1")->toPlainText(), QString("Abmeldung jetzt"));
    QVERIFY(QFile::exists(path));
    f.closeEditor();
    QVERIFY(QFile::exists(path));
    Messages::setEnding(false);
}

void TestEditorDraft::draftsThatAreNotOffered()
{
    EditorFixture f;
    const int user = f.addUser();
    const int other = f.addUser("Andere", "Anna");
    TForm4* w = openAnswering(f, user, QMessageBox::Ok);
    newEntry(w);
    QTRY_VERIFY(QFile::exists(draftPath(f, user)));
    crash(f, w);

    // Another person's draft is neither offered nor touched.
    w = openAnswering(f, other, QMessageBox::Yes);
    QVERIFY(Messages::shown().isEmpty());
    QVERIFY(!w->hasUnsavedChanges());
    f.closeEditor();
    QVERIFY(QFile::exists(draftPath(f, user)));

    // A file that is no draft of this person is ignored and removed.
    const QList<QByteArray> broken = {
        "Unsinn\n",
        "[Entwurf]\nUserID=" + QByteArray::number(other) + "\nGeschrieben=01.03.2025 08:00:00\n",
        "[Entwurf]\nUserID=" + QByteArray::number(user) + "\nGeschrieben=gestern\n",
        "[Entwurf]\nUserID=" + QByteArray::number(user) + "\nGeschrieben=01.03.2025 08:00:00\n[Einheiten]\nEinheit=1\n",
        "[Entwurf]\nUserID=" + QByteArray::number(user) + "\nGeschrieben=01.03.2025 08:00:00\nMemo1=\xff\xfe\n",
    };
    for (const QByteArray& bytes : broken) {
        QFile file(draftPath(f, user));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        file.close();
        w = openAnswering(f, user, QMessageBox::Yes);
        QVERIFY2(Messages::shown().isEmpty(), bytes.constData());
        QVERIFY(!QFile::exists(draftPath(f, user)));
        QVERIFY(!w->hasUnsavedChanges());
        f.closeEditor();
    }
}

void TestEditorDraft::draftOnAFullDisk()
{
    EditorFixture f;
    const int user = f.addUser();
    const QString path = draftPath(f, user);
    ::umask(022);
    TForm4* w = openAnswering(f, user, QMessageBox::Ok);
    newEntry(w);
    control<QPlainTextEdit>(w, "Memo1")->setPlainText("vorher");
    w->keepDraftNow();
    const QByteArray before = readBytes(path);
    QVERIFY(before.contains("Memo1=vorher"));
    QCOMPARE(fileMode(path), 0600);

    // The new draft does not fit: the one before stays, the user hears of
    // it once.
    Messages::clearShown();
    for (const char* text : {"nachher", "noch später"}) {
        control<QPlainTextEdit>(w, "Memo1")->setPlainText(QString::fromUtf8(text));
        answering({}, [&] { withFullDisk([&] { w->keepDraftNow(); }); });
        QCOMPARE(readBytes(path), before);
    }
    QCOMPARE(Messages::shown().size(), 1);
    QVERIFY2(Messages::shown().first().text.contains("nicht vorläufig aufbewahrt"),
             qPrintable(Messages::shown().first().text));

    // With space again the draft follows the input.
    w->keepDraftNow();
    QVERIFY(readBytes(path).contains("Memo1=noch später"));
    QCOMPARE(Messages::shown().size(), 1);
    crash(f, w);
}

QTEST_MAIN(TestEditorDraft)
#include "tst_editordraft.moc"
