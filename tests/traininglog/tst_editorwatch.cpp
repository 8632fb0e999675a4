#include "editorfixture.h"
#include "editorinput.h"

#include "../exchange/trainingfiles.h"
#include "watchfolder.h"

#include <QAction>
#include <QDir>
#include <QFileDialog>
#include <QMenu>
#include <QTemporaryDir>
#include <QTimer>

using namespace editorinput;

namespace {

// A run on a day of May 2025, its file modified hours ago.
void writeRun(const QTemporaryDir& watch, int day, int hoursAgo)
{
    const QString path = watch.filePath(QStringLiteral("run%1.tcx").arg(day));
    writeFile(path, tcxFile(QDateTime(QDate(2025, 5, day), QTime(7, 0), Qt::UTC), {{5000, 1500, 150}}));
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadWrite));
    QVERIFY(file.setFileTime(QDateTime::currentDateTimeUtc().addSecs(-3600 * hoursAgo),
                             QFileDevice::FileModificationTime));
}

void setFolder(Session& session, const QString& folder)
{
    IniFile settings = session.settings();
    exchange::setWatchFolder(settings, folder);
    settings.commit();
}

// Runs the queued steps of the windows (the start offer, the opening).
void settle()
{
    for (int i = 0; i < 3; ++i)
        QCoreApplication::processEvents();
}

} // namespace

class TestEditorWatch : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init() { initTestEnvironment(); }
    void cleanup() { Messages::clearQueuedAnswers(); }
    void theEditorOffersNewTrainingsOnce();
    void theMenuSetsTheFolderAndImports();
    void theStartOffersAndTheEditorTakes();
};

// Three new files offered at the opening and taken with one summary; the
// next opening asks nothing; a later file is offered, and once declined
// not again. An absent folder is silent.
void TestEditorWatch::theEditorOffersNewTrainingsOnce()
{
    EditorFixture f;
    const int user = f.addUser();
    settle(); // the start offer, without a folder
    QTemporaryDir watch;
    for (int day = 1; day <= 3; ++day)
        writeRun(watch, day, 5);
    setFolder(f.session(), watch.path());

    Messages::clearShown();
    Messages::setNextAnswer(QMessageBox::Yes);
    Messages::setNextAnswer(QMessageBox::Ok);
    f.openEditor(user);
    QTRY_COMPARE(Messages::shown().size(), 2);
    QCOMPARE(Messages::shown().first().text, QStringLiteral("Auf der Uhr gibt es 3 neue Trainings. Jetzt übernehmen?"));
    QVERIFY(Messages::shown().last().text.startsWith(QStringLiteral("Übernommen: 3 Trainings")));
    QCOMPARE(f.value(QStringLiteral("SELECT COUNT(*) FROM main")), QStringLiteral("3"));
    f.closeEditor();

    const auto opensSilently = [&] {
        Messages::clearShown();
        Messages::setNextAnswer(QMessageBox::Yes); // stays queued when nothing asks
        f.openEditor(user);
        settle();
        QVERIFY(Messages::shown().isEmpty());
        Messages::clearQueuedAnswers();
        f.closeEditor();
    };
    opensSilently();

    writeRun(watch, 4, 2);
    Messages::clearShown();
    Messages::setNextAnswer(QMessageBox::No);
    f.openEditor(user);
    QTRY_COMPARE(Messages::shown().size(), 1);
    QCOMPARE(Messages::shown().first().text, QStringLiteral("Auf der Uhr gibt es 1 neues Training. Jetzt übernehmen?"));
    f.closeEditor();
    opensSilently();
    QCOMPARE(f.value(QStringLiteral("SELECT COUNT(*) FROM main")), QStringLiteral("3"));

    setFolder(f.session(), watch.filePath(QStringLiteral("absent")));
    opensSilently();
}

// The button's menu: a folder chosen in the dialog offers its history at
// once (declined here); the import action then takes every training not
// in the diary, and tells when there is none; forgetting the folder
// disables it.
void TestEditorWatch::theMenuSetsTheFolderAndImports()
{
    EditorFixture f;
    const int user = f.addUser();
    settle();
    QTemporaryDir watch;
    writeRun(watch, 1, 5);
    writeRun(watch, 2, 5);
    TForm4* w = f.openEditor(user);
    settle();
    QCOMPARE(w->ImportButton->popupMode(), QToolButton::MenuButtonPopup);
    QVERIFY(!w->WatchImportAction->isEnabled());

    QTimer::singleShot(0, this, [&] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        QCOMPARE(dialog->objectName(), QStringLiteral("WatchFolderDialog"));
        dialog->setDirectory(watch.path());
        dialog->selectFile(watch.path());
        static_cast<QDialog*>(dialog)->accept();
    });
    Messages::clearShown();
    Messages::setNextAnswer(QMessageBox::No);
    w->WatchFolderAction->trigger();
    QCOMPARE(Messages::shown().size(), 1);
    QCOMPARE(Messages::shown().first().text, QStringLiteral("Auf der Uhr gibt es 2 neue Trainings. Jetzt übernehmen?"));
    QCOMPARE(QDir(exchange::watchFolder(f.session().settings())).canonicalPath(), QDir(watch.path()).canonicalPath());

    // A cancelled dialog keeps the folder.
    QTimer::singleShot(0, this, [] {
        if (auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget()))
            dialog->reject();
    });
    w->WatchFolderAction->trigger();
    QCOMPARE(QDir(exchange::watchFolder(f.session().settings())).canonicalPath(), QDir(watch.path()).canonicalPath());

    Messages::clearShown();
    answering({}, [&] {
        QMetaObject::invokeMethod(w->ImportMenu, "aboutToShow");
        QVERIFY(w->WatchImportAction->isEnabled());
        w->WatchImportAction->trigger();
    });
    QCOMPARE(f.value(QStringLiteral("SELECT COUNT(*) FROM main")), QStringLiteral("2"));
    QCOMPARE(w->entries().size(), 2);
    answering({}, [&] { w->WatchImportAction->trigger(); });
    QCOMPARE(Messages::shown().last().text, QStringLiteral("Auf der Uhr gibt es keine neuen Trainings."));

    w->WatchForgetAction->trigger();
    QMetaObject::invokeMethod(w->ImportMenu, "aboutToShow");
    QVERIFY(!w->WatchImportAction->isEnabled());
    QVERIFY(!w->WatchForgetAction->isEnabled());
    f.discardEditor();
}

// At the start, with the person chosen: Ja opens the editor, which takes
// the trainings without asking again.
void TestEditorWatch::theStartOffersAndTheEditorTakes()
{
    EditorFixture f; // its start offer is queued and runs below
    const int user = f.addUser();
    f.main().ShowUsers();
    f.main().ComboBox1Change();
    QTemporaryDir watch;
    writeRun(watch, 1, 5);
    writeRun(watch, 2, 5);
    setFolder(f.session(), watch.path());

    Messages::clearShown();
    Messages::setNextAnswer(QMessageBox::Yes);
    Messages::setNextAnswer(QMessageBox::Ok);
    QTRY_COMPARE(Messages::shown().size(), 2);
    QCOMPARE(Messages::shown().first().text, QStringLiteral("Auf der Uhr gibt es 2 neue Trainings. Jetzt übernehmen?"));
    QVERIFY(Messages::shown().last().text.startsWith(QStringLiteral("Übernommen: 2 Trainings")));
    QPointer<TForm4> editor = TForm4::findOpen(user);
    QVERIFY(editor);
    QCOMPARE(editor->entries().size(), 2);
    QCOMPARE(f.value(QStringLiteral("SELECT COUNT(*) FROM main")), QStringLiteral("2"));
    editor->close();
    QTRY_VERIFY(editor.isNull());
}

QTEST_MAIN(TestEditorWatch)
#include "tst_editorwatch.moc"
