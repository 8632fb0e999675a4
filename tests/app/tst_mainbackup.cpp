#include "editorfixture.h"

#include "datafiles.h"
#include "overviewpanel.h"
#include "stringgrid.h"

#include <QDialog>
#include <QDir>
#include <QFileDialog>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>

namespace {

// Answers the next modal dialog: the file dialog with a file, any other
// dialog (the export's period) with OK, and then the file dialog after it.
void answerDialogs(QObject* context, const QString& file, int dialogs = 1)
{
    QTimer::singleShot(0, context, [=] {
        QWidget* modal = QApplication::activeModalWidget();
        if (auto* files = qobject_cast<QFileDialog*>(modal)) {
            files->selectFile(file);
            static_cast<QDialog*>(files)->accept();
        } else if (auto* dialog = qobject_cast<QDialog*>(modal)) {
            dialog->accept();
        }
        if (dialogs > 1)
            answerDialogs(context, file, dialogs - 1);
    });
}

QString lastText()
{
    return Messages::shown().isEmpty() ? QString() : Messages::shown().last().text;
}

} // namespace

class TestMainBackup : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init() { initTestEnvironment(); }
    void backupRestoreAndExportFromTheToolbar();
    void automaticBackupOnClosing();
};

// A backup holds the diary as it was; restoring it brings that back and
// keeps the diary before it; the export writes the person's two files.
void TestMainBackup::backupRestoreAndExportFromTheToolbar()
{
    EditorFixture f;
    const int user = f.addUser();
    f.addUnit(f.addEntry(user, QStringLiteral("01.03.2025")), 1, QStringLiteral("10.5"));
    QTemporaryDir out;
    const QString backup = out.filePath(QStringLiteral("sicher.fbk"));
    TForm1& main = f.main();
    QCOMPARE(main.BackupButton->toolTip(), QStringLiteral("Datensicherung erstellen..."));

    Messages::setNextAnswer(QMessageBox::Ok);
    answerDialogs(this, backup);
    main.BackupButton->click();
    QVERIFY(QFileInfo(backup).size() > 0);
    QVERIFY2(lastText().contains(QStringLiteral("1 Person und 1 Eintrag")), qPrintable(lastText()));

    f.addEntry(user, QStringLiteral("02.03.2025"));
    TForm4* editor = f.openEditor(user);
    QVERIFY(editor);
    QCOMPARE(main.Overview1->LastGrid->cells(0, 1), QStringLiteral("02.03.2025"));
    Messages::clearShown();
    Messages::setNextAnswer(QMessageBox::Yes);
    Messages::setNextAnswer(QMessageBox::Ok);
    answerDialogs(this, backup);
    main.RestoreButton->click();
    QCOMPARE(Messages::shown().size(), 2);
    QVERIFY2(Messages::shown().first().text.contains(QStringLiteral("Das Tagebuch enthält jetzt 1 Person und 2 "
                                                                    "Einträge.")),
             qPrintable(Messages::shown().first().text));
    QCOMPARE(f.value(QStringLiteral("SELECT COUNT(*) FROM main")), QStringLiteral("1"));
    QCOMPARE(QDir(f.folder().file(QStringLiteral("Database")))
                 .entryList({QStringLiteral("data.fdb.vor-Wiederherstellung-*")})
                 .size(),
             1);
    // The editor was closed for the restore and opened again on the restored diary.
    TForm4* reopened = TForm4::findOpen(user);
    QVERIFY(reopened);
    QCOMPARE(reopened->entries().size(), 1);
    // The overview shows the restored diary.
    QCOMPARE(main.Overview1->LastGrid->cells(0, 1), QStringLiteral("01.03.2025"));

    Messages::clearShown();
    Messages::setNextAnswer(QMessageBox::Ok);
    answerDialogs(this, out.filePath(QStringLiteral("Tagebuch.csv")), 2);
    main.ExportButton->click();
    QVERIFY2(lastText().startsWith(QStringLiteral("Exportiert sind 1 Eintrag und 1 Trainingsinhalt:")),
             qPrintable(lastText()));
    QVERIFY(readBytes(out.filePath(QStringLiteral("Tagebuch.csv"))).startsWith("\xEF\xBB\xBF" "Datum;"));
    QVERIFY(QFileInfo::exists(out.filePath(QStringLiteral("Tagebuch Trainingsinhalte.csv"))));
    QVERIFY(readBytes(out.filePath(QStringLiteral("Tagebuch Wettkämpfe.csv"))).startsWith("\xEF\xBB\xBF" "Datum;"));
    QVERIFY(readBytes(out.filePath(QStringLiteral("Tagebuch Ziele.csv"))).startsWith("\xEF\xBB\xBF" "Jahr;"));
    f.discardEditor();

    // A person the backup does not hold is gone after the restore: the
    // toolbar and the overview follow the person chosen then.
    const int later = f.addUser(QStringLiteral("Neu"), QStringLiteral("Nina"));
    main.ShowUsers();
    main.ComboBox1->setCurrentIndex(main.ComboBox2->findText(QString::number(later)));
    QCOMPARE(main.Overview1->userId(), later);
    Messages::setNextAnswer(QMessageBox::Yes);
    Messages::setNextAnswer(QMessageBox::Ok);
    answerDialogs(this, backup);
    main.RestoreButton->click();
    QCOMPARE(main.currentUser(), QString::number(user));
    QCOMPARE(main.Overview1->userId(), user);
    QVERIFY(main.RecordsButton->isEnabled());
}

// On closing, once a day, unless switched off.
void TestMainBackup::automaticBackupOnClosing()
{
    for (bool enabled : {true, false}) {
        EditorFixture f;
        f.addEntry(f.addUser(), QStringLiteral("01.03.2025"));
        if (!enabled) {
            IniFile settings = f.session().settings();
            settings.writeBool(QStringLiteral("Sicherung"), QStringLiteral("Automatisch"), false);
            settings.commit();
        }
        const QString folder = f.folder().file(QStringLiteral("Sicherungen"));
        f.main().close();
        const QStringList made = QDir(folder).entryList({QStringLiteral("*.fbk")});
        QCOMPARE(made, enabled ? QStringList(QStringLiteral("Tramora-Sicherung %1.fbk")
                                                 .arg(QDate::currentDate().toString(Qt::ISODate)))
                               : QStringList());
    }
}

QTEST_MAIN(TestMainBackup)
#include "tst_mainbackup.moc"
