#include "savefolder.h"
#include "session.h"
#include "testsupport.h"

#include <QDir>
#include <QStandardPaths>
#include <QTest>

class TestSaveFolder : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
    void startsInDocumentsThenInTheFolderSavedTo();
};

void TestSaveFolder::startsInDocumentsThenInTheFolderSavedTo()
{
    TestFolder program;
    Session session;
    session.programFolder = program.path();
    session.settingsPath = program.file("config.ini");

    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    QDir().mkpath(documents);
    QCOMPARE(SaveFolder::startFolder(session), documents);

    QTemporaryDir elsewhere;
    SaveFolder::remember(session, elsewhere.filePath("bericht.pdf"));
    QCOMPARE(SaveFolder::startFolder(session), elsewhere.path());
    // Kept for the next run in the settings file.
    QCOMPARE(session.settings().readString("Ordner", "Speichern", {}), elsewhere.path());

    // A folder that is gone is not offered again.
    elsewhere.remove();
    QCOMPARE(SaveFolder::startFolder(session), documents);
    QVERIFY(SaveFolder::startFolder(session) != program.path());
}

QTEST_MAIN(TestSaveFolder)
#include "tst_savefolder.moc"
