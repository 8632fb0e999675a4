#include "datafiles.h"
#include "diaryimport.h"
#include "fitwriter.h"
#include "inifile.h"
#include "session.h"
#include "testsupport.h"
#include "trainingfiles.h"
#include "watchfolder.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using exchange::WatchNews;

namespace {

QDateTime start(int day, int hour)
{
    return QDateTime(QDate(2025, 6, day), QTime(hour, 5), Qt::UTC);
}

// One TCX file holding the activities of both.
QByteArray bothActivities(QByteArray first, const QByteArray& second)
{
    const qsizetype from = second.indexOf("<Activity ");
    const qsizetype to = second.indexOf("</Activities>");
    first.insert(first.indexOf("</Activities>"), second.mid(from, to - from));
    return first;
}

} // namespace

class TestWatchFolder : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void countsTheTrainingsNotInTheDiary();
    void theMarkLeavesOutWhatWasOffered();
    void aFolderSetAnewOffersItsHistory();

private:
    QString file(const QString& name, const QByteArray& bytes, const QDateTime& modified)
    {
        const QString path = m_watch->filePath(name);
        QDir().mkpath(QFileInfo(path).absolutePath());
        writeFile(path, bytes);
        QFile f(path);
        if (!f.open(QIODevice::ReadWrite) || !f.setFileTime(modified, QFileDevice::FileModificationTime))
            qFatal("the file's time cannot be set");
        return path;
    }
    WatchNews news(const QDateTime& mark, const QDateTime& now = QDateTime::currentDateTimeUtc())
    {
        return exchange::findWatchNews(m_watch->path(), mark, m_session->ZDatabase1, m_user, now);
    }

    std::unique_ptr<TestFolder> m_dir;
    std::unique_ptr<QTemporaryDir> m_watch;
    std::unique_ptr<Session> m_session;
    int m_user = -1;
};

void TestWatchFolder::init()
{
    m_dir = std::make_unique<TestFolder>();
    m_watch = std::make_unique<QTemporaryDir>();
    m_session = std::make_unique<Session>();
    datafiles::openStorage(*m_session, m_dir->path());
    m_session->ZDatabase1.execute(QStringLiteral(
        "INSERT INTO users (ID, Name, Vorname, GebDatum, Geschlecht, Gewicht, Ruhepuls, Maxpuls) "
        "VALUES (gen_id(Gen_Users,1), 'Muster', 'Max', '01.01.1980', '0', '72.5', 48, 190)"));
    m_user = scalar(*m_session, QStringLiteral("SELECT MAX(ID) FROM users")).toInt();
}

void TestWatchFolder::cleanup()
{
    m_session.reset();
    m_watch.reset();
    m_dir.reset();
}

// Trainings of FIT and TCX files, also in subfolders, that the diary does
// not hold: a file whose trainings are all in it is left out, one of two
// sessions new counts one; the same training in two files counts once.
// No folder, an absent one and a file instead of one give nothing.
void TestWatchFolder::countsTheTrainingsNotInTheDiary()
{
    const QDateTime at = QDateTime::currentDateTimeUtc().addDays(-3);
    const QString present = file(QStringLiteral("a.tcx"), tcxFile(start(1, 7), {{5000, 1500, 150}}), at);
    exchange::DiaryImport(m_session->ZDatabase1, m_user).importFiles({present});
    file(QStringLiteral("b.tcx"),
         bothActivities(tcxFile(start(1, 7), {{5000, 1500, 150}}), tcxFile(start(2, 7), {{3000, 900, 140}})), at);
    file(QStringLiteral("Activity/c.fit"), fitActivity(start(3, 18), {{600, 2000.0, 150}}), at);
    file(QStringLiteral("Activity/z-copy.fit"), fitActivity(start(3, 18), {{600, 2000.0, 150}}), at);
    file(QStringLiteral("notes.txt"), "no training", at);

    const WatchNews found = news({});
    QCOMPARE(found.trainings, 2);
    QCOMPARE(found.files, (QStringList{m_watch->filePath(QStringLiteral("Activity/c.fit")),
                                      m_watch->filePath(QStringLiteral("b.tcx"))}));
    QCOMPARE(found.mark.toMSecsSinceEpoch(), at.toMSecsSinceEpoch());
    QCOMPARE(exchange::watchQuestion(3),
             QStringLiteral("Auf der Uhr gibt es 3 neue Trainings. Jetzt übernehmen?"));
    QCOMPARE(exchange::watchQuestion(1), QStringLiteral("Auf der Uhr gibt es 1 neues Training. Jetzt übernehmen?"));

    for (const QString& folder : {QString(), m_watch->filePath(QStringLiteral("absent")), present}) {
        const WatchNews none = exchange::findWatchNews(folder, {}, m_session->ZDatabase1, m_user);
        QVERIFY(none.files.isEmpty());
        QCOMPARE(none.trainings, 0);
        QVERIFY(!none.mark.isValid());
    }
    // Nothing set in the settings: nothing is looked at.
    QVERIFY(!exchange::watchNews(*m_session, m_user, true).mark.isValid());
}

// Only files modified after the mark are read; a file stamped in the
// future does not carry the mark past the time of the look. The mark kept
// only moves on.
void TestWatchFolder::theMarkLeavesOutWhatWasOffered()
{
    const QDateTime now = QDateTime::currentDateTimeUtc();
    file(QStringLiteral("old.tcx"), tcxFile(start(1, 7), {{5000, 1500, 150}}), now.addDays(-10));
    file(QStringLiteral("new.tcx"), tcxFile(start(2, 7), {{5000, 1500, 150}}), now.addDays(-1));

    const WatchNews first = news(now.addDays(-5));
    QCOMPARE(first.files, QStringList{m_watch->filePath(QStringLiteral("new.tcx"))});
    QVERIFY(news(first.mark).files.isEmpty());
    QVERIFY(!news(first.mark).mark.isValid());

    file(QStringLiteral("wrong clock.fit"), fitActivity(start(4, 7), {{600, 2000.0, 150}}), now.addYears(3));
    const WatchNews ahead = news(first.mark, now);
    QCOMPARE(ahead.trainings, 1);
    QCOMPARE(ahead.mark, now);

    IniFile settings(m_session->settingsPath);
    exchange::setWatchFolder(settings, m_watch->path());
    settings.commit();
    QVERIFY(exchange::keepWatchMark(*m_session, ahead));
    QVERIFY(exchange::keepWatchMark(*m_session, first)); // an older mark leaves the kept one
    QCOMPARE(exchange::watchMark(m_session->settings()), now);
    QCOMPARE(exchange::watchNews(*m_session, m_user, true).trainings, 1); // the one ahead
    QCOMPARE(exchange::watchNews(*m_session, m_user, false).trainings, 3);
}

// A first or another folder drops the mark; the same one again keeps it;
// an empty one forgets the folder.
void TestWatchFolder::aFolderSetAnewOffersItsHistory()
{
    const QDateTime mark = QDateTime::currentDateTimeUtc();
    IniFile settings(m_session->settingsPath);
    exchange::setWatchFolder(settings, m_watch->path() + QStringLiteral("/"));
    exchange::setWatchMark(settings, mark);
    exchange::setWatchFolder(settings, m_watch->path());
    settings.commit();
    QCOMPARE(exchange::watchFolder(m_session->settings()), m_watch->path());
    QCOMPARE(exchange::watchMark(m_session->settings()), mark);

    IniFile other(m_session->settingsPath);
    exchange::setWatchFolder(other, m_dir->path());
    QVERIFY(!exchange::watchMark(other).isValid());
    exchange::setWatchFolder(other, QString());
    QCOMPARE(exchange::watchFolder(other), QString());
}

QTEST_GUILESS_MAIN(TestWatchFolder)
#include "tst_watchfolder.moc"
