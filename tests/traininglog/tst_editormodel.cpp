#include "courses.h"
#include "datafiles.h"
#include "editormodel.h"
#include "session.h"
#include "testsupport.h"

#include <QTest>

#include <memory>

// The editor's entry without a window: what it loads, checks, saves and
// keeps as a draft, against a diary of its own.
class TestEditorModel : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void loadedEntryIsSavedBackUnrounded();
    void checkNamesEveryFault();
    void saveNoticesChangesAndDeletionsElsewhere();
    void draftAndListFollowTheInput();
    void pendingCourseGoesWithTheNewEntry();
    void newBestTimeIsNoticedOnce();
    void manyEntriesChangedKeepTheEntryShown();

private:
    Database& db() { return m_session->ZDatabase1; }
    std::unique_ptr<EditorModel> model()
    {
        return std::make_unique<EditorModel>(db(), 1, m_dir->path() + QStringLiteral("/config.ini"));
    }
    // Saves as a window does, answering a change made elsewhere with answer.
    EditorModel::CheckedWrite answering(CheckedSave answer)
    {
        return [this, answer](StoredRecord& stored, const std::function<void()>& write) {
            const SaveResult result = saveRecord(db(), stored, write);
            return result.outcome == SaveResult::Outcome::ChangedElsewhere ? answer : CheckedSave::Saved;
        };
    }

    std::unique_ptr<TestFolder> m_dir;
    std::unique_ptr<Session> m_session;
};

namespace {

Entries::Entry entry(const QString& date, const QList<Entries::Unit>& units)
{
    Entries::Entry e;
    e.date = date;
    e.time = QStringLiteral("07:30");
    e.category = QStringLiteral("Laufen");
    e.userId = 1;
    e.weight = QStringLiteral("72.5");
    e.duration = QStringLiteral("1:05");
    e.units = units;
    return e;
}

const auto kNoQuestion = [] { return true; };

} // namespace

void TestEditorModel::init()
{
    skipWithoutTestServer();
    m_dir = std::make_unique<TestFolder>();
    m_session = std::make_unique<Session>();
    datafiles::openStorage(*m_session, m_dir->path());
}

void TestEditorModel::cleanup()
{
    m_session.reset();
    m_dir.reset();
}

void TestEditorModel::loadedEntryIsSavedBackUnrounded()
{
    Entries::insert(db(), entry(QStringLiteral("01.03.2024"), {}));
    const QString id = Entries::insert(
        db(), entry(QStringLiteral("02.03.2024"),
                    {{QStringLiteral("1"), QStringLiteral("1.23456"), QStringLiteral("0:06:00"), QStringLiteral("-1"),
                      QStringLiteral("GA1")},
                     {QStringLiteral("2"), QStringLiteral("5"), QStringLiteral("0:25:00"), QStringLiteral("150"),
                      QString()}}));

    auto m = model();
    m->readIds(true);
    QCOMPARE(m->ids().size(), 2);
    QCOMPARE(m->load(), EditorModel::Shown::Entry);
    QCOMPARE(m->id(), id);
    QCOMPARE(m->values().restPulse, QString());  // not recorded
    QCOMPARE(m->values().weight, QString("72,5"));
    QCOMPARE(m->units().size(), 2);
    QCOMPARE(m->units()[0].distance, QString("1,2 km "));
    QCOMPARE(m->units()[0].pulse, QString());
    QCOMPARE(m->unitKm(), 6.235);

    // The second unit moves up and gets a new distance; the first keeps
    // its stored value, not its rounded text.
    m->moveUnit(1, -1);
    m->changeUnit(0, QStringLiteral("5,5"), QStringLiteral("0:27:00"), QString(), QString());
    QCOMPARE(m->units()[1].number, QString("2. "));
    QCOMPARE(m->check(QDate(2024, 3, 3), kNoQuestion), QStringList());
    QCOMPARE(m->save(answering(CheckedSave::Cancelled)), EditorModel::Saved::Updated);

    const std::optional<Entries::Entry> stored = Entries::read(db(), id);
    QVERIFY(stored);
    QCOMPARE(stored->units.size(), 2);
    QCOMPARE(stored->units[0].distance.toDouble(), 5.5);
    QCOMPARE(stored->units[0].pulse, QString("-1"));
    QCOMPARE(stored->units[1].distance.toDouble(), 1.23456);
    QCOMPARE(stored->units[1].zone, QString("GA1"));
    QCOMPARE(stored->weight, QString("72,5"));
}

void TestEditorModel::checkNamesEveryFault()
{
    auto m = model();
    m->startNew();
    EditorModel::Values v;
    v.sport = EditorModel::placeholderItem();
    v.date = QStringLiteral("10.03.2024");
    v.time = QStringLiteral("25:00");
    v.duration = QStringLiteral("  :  ");
    v.weather = QStringLiteral("50%");
    m->setValues(v);
    int asked = 0;
    const QStringList faults = m->check(QDate(2024, 3, 9), [&] {
        ++asked;
        return false;
    });
    QCOMPARE(asked, 1);
    QCOMPARE(faults, (QStringList{QStringLiteral("- keine Sportart ausgewählt"),
                                  QStringLiteral("- das gewählte Trainingsdatum liegt in der Zukunft"),
                                  QStringLiteral("- keine gültige Uhrzeit eingetragen"),
                                  QStringLiteral("- Wetter: das Zeichen „%“ kann nicht gespeichert werden"),
                                  QStringLiteral("- keine Trainingsinhalte erfasst")}));
    QCOMPARE(m->values().duration, QString("0:00")); // an empty duration is none

    // Units the database would refuse are named by their numbers; nothing
    // is asked once there are units.
    v.sport = QStringLiteral("Laufen");
    v.time = QStringLiteral("8 :30");
    v.weather.clear();
    m->setValues(v);
    m->addUnits(QStringLiteral("1,2,3"), QStringLiteral("0:61:00"), QString(), QString(), 1);
    m->addUnits(QStringLiteral("3"), QString(), QString(), QString(), 1);
    QCOMPARE(m->check(QDate(2024, 3, 10), [&] { return ++asked, false; }),
             (QStringList{QStringLiteral("- ungültige Strecke in Trainingsinhalt 1"),
                          QStringLiteral("- ungültige Zeit in Trainingsinhalt 1")}));
    QCOMPARE(asked, 1);
    m->removeUnit(0);
    QCOMPARE(m->check(QDate(2024, 3, 10), kNoQuestion), QStringList());
    QCOMPARE(m->entry().time, QString("8:30"));
    QCOMPARE(m->entry().units[0].subId, QString("1"));
}

void TestEditorModel::saveNoticesChangesAndDeletionsElsewhere()
{
    auto m = model();
    m->readIds(true);
    QCOMPARE(m->load(), EditorModel::Shown::None);
    EditorModel::Values v;
    v.sport = QStringLiteral("Laufen");
    v.date = QStringLiteral("05.03.2024");
    v.time = QStringLiteral("18:00");
    v.duration = QStringLiteral("0:40");
    m->setValues(v);
    m->addUnits(QStringLiteral("8"), QString(), QString(), QString(), 1);
    QCOMPARE(m->save(answering(CheckedSave::Cancelled)), EditorModel::Saved::Inserted);
    const QString id = m->id();
    QCOMPARE(m->ids(), QStringList{id});
    QCOMPARE(m->position(), 0);

    // Another workstation changes it: this save writes nothing.
    Entries::Entry other = entry(QStringLiteral("05.03.2024"), {});
    Entries::update(db(), id, other);
    v.notes = QStringLiteral("mein Text");
    m->setValues(v);
    QCOMPARE(m->save(answering(CheckedSave::Cancelled)), EditorModel::Saved::Cancelled);
    QCOMPARE(Entries::read(db(), id)->notes, QString());
    QCOMPARE(m->save(answering(CheckedSave::LoadStored)), EditorModel::Saved::LoadStored);
    QCOMPARE(m->load(), EditorModel::Shown::Entry);
    QCOMPARE(m->units().size(), 0);

    // Deleted elsewhere: the input stays, as a new entry.
    Entries::remove(db(), id);
    m->setValues(v);
    QCOMPARE(m->save(answering(CheckedSave::Cancelled)), EditorModel::Saved::DeletedElsewhere);
    QCOMPARE(m->id(), QString("-1"));
    QCOMPARE(m->values().notes, QString("mein Text"));
    QVERIFY(m->ids().isEmpty());
    QVERIFY(!m->remove()); // nothing left to delete
    QCOMPARE(m->position(), -1);
}

void TestEditorModel::draftAndListFollowTheInput()
{
    const QString first = Entries::insert(db(), entry(QStringLiteral("01.03.2024"), {}));
    const QString second = Entries::insert(
        db(), entry(QStringLiteral("02.03.2024"), {{QStringLiteral("1"), QStringLiteral("2.0004"),
                                                    QStringLiteral("0:10:00"), QStringLiteral("-1"), QString()}}));
    auto m = model();
    m->readIds(true);
    m->load();
    EditorModel::Values v = m->values();
    v.notes = QStringLiteral("Tab\there");
    m->setValues(v);
    QVERIFY(m->draft().write(m->draftContent()));

    // A new opening takes the draft: the unit still goes back unrounded.
    auto again = model();
    again->readIds(true);
    const std::optional<EditorDraft::Content> draft = again->draft().load();
    QVERIFY(draft);
    QCOMPARE(draft->entryId, second);
    again->applyDraft(*draft);
    QVERIFY(again->dirty());
    QCOMPARE(again->values().notes, QString("Tab\there"));
    QCOMPARE(again->entry().units[0].distance.toDouble(), 2.0004);

    // The list's lines stand in the paging's order; deleting the last
    // entry shows the one before.
    const QList<QStringList> lines = m->listLines();
    QCOMPARE(lines.size(), 2);
    QCOMPARE(lines[0][0], first);
    QCOMPARE(lines[1][4], QString("2 km "));
    QCOMPARE(lines[1][6], QString("72,5 kg "));
    QVERIFY(m->remove());
    QCOMPARE(m->ids(), QStringList{first});
    QCOMPARE(m->position(), 0);

    // The entry is gone while another workstation reads: the nearest left.
    m->setPosition(0);
    Entries::remove(db(), first);
    QCOMPARE(m->load(), EditorModel::Shown::Gone);
    m->entryGone(first);
    QCOMPARE(m->position(), -1);
}

// A course taken from a file is stored with the entry when it is saved;
// starting another entry or paging away drops it unsaved.
void TestEditorModel::pendingCourseGoesWithTheNewEntry()
{
    course::Course c;
    c.start = QDateTime(QDate(2024, 3, 5), QTime(17, 0), Qt::UTC);
    for (int i = 0; i < 3; ++i) {
        course::Sample s;
        s.seconds = i;
        s.heartRate = 120 + i;
        c.samples << s;
    }
    auto m = model();
    m->readIds(true);
    m->load();
    EditorModel::Values v;
    v.sport = QStringLiteral("Laufen");
    v.date = QStringLiteral("05.03.2024");
    v.time = QStringLiteral("18:00");
    v.duration = QStringLiteral("0:40");
    m->startNew();
    m->setValues(v);
    m->addUnits(QStringLiteral("8"), QString(), QString(), QString(), 1);
    m->setPendingCourse(c);
    QCOMPARE(m->save(answering(CheckedSave::Cancelled)), EditorModel::Saved::Inserted);
    const std::optional<course::Course> stored = Courses::read(db(), m->id());
    QVERIFY(stored);
    QCOMPARE(stored->samples.size(), 3);
    QCOMPARE(stored->samples[2].heartRate, 122.0);
    QVERIFY(m->pendingCourse().isEmpty());

    m->setPendingCourse(c);
    m->startNew();
    QVERIFY(m->pendingCourse().isEmpty());
    m->setPendingCourse(c);
    m->load();
    QVERIFY(m->pendingCourse().isEmpty());
    // A change of the saved entry stores no course of another training.
    v.date = QStringLiteral("06.03.2024");
    m->startNew();
    m->setValues(v);
    m->addUnits(QStringLiteral("5"), QString(), QString(), QString(), 1);
    QCOMPARE(m->save(answering(CheckedSave::Cancelled)), EditorModel::Saved::Inserted);
    QVERIFY(!Courses::hasCourse(db(), m->id()));
}

// A faster 5 km than the diary's best is noticed at the save that stores
// it, not again when it is saved unchanged; a ride is no run.
void TestEditorModel::newBestTimeIsNoticedOnce()
{
    Entries::insert(db(), entry(QStringLiteral("12.04.2025"),
                                {{QStringLiteral("1"), QStringLiteral("5"), QStringLiteral("0:21:50"),
                                  QStringLiteral("-1"), {}}}));
    auto m = model();
    m->readIds(true);
    m->startNew();
    EditorModel::Values v;
    v.sport = QStringLiteral("Laufen");
    v.date = QStringLiteral("03.05.2026");
    v.time = QStringLiteral("18:00");
    v.duration = QStringLiteral("0:25");
    m->setValues(v);
    m->addUnits(QStringLiteral("5"), QStringLiteral("00:21:34"), QString(), QString(), 1);
    QCOMPARE(m->save(answering(CheckedSave::Cancelled)), EditorModel::Saved::Inserted);
    QCOMPARE(records::noticesText(m->recordNotices()),
             QStringLiteral("Neue Bestzeit über 5 km: 21:34 (bisher 21:50 vom 12.04.2025)"));
    m->setValues(v);
    QCOMPARE(m->save(answering(CheckedSave::Cancelled)), EditorModel::Saved::Updated);
    QVERIFY(m->recordNotices().isEmpty());

    m->startNew();
    v.sport = QStringLiteral("Radfahren");
    v.date = QStringLiteral("04.05.2026");
    m->setValues(v);
    m->addUnits(QStringLiteral("5"), QStringLiteral("00:09:00"), QString(), QString(), 1);
    QCOMPARE(m->save(answering(CheckedSave::Cancelled)), EditorModel::Saved::Inserted);
    QVERIFY(m->recordNotices().isEmpty());
}

void TestEditorModel::manyEntriesChangedKeepTheEntryShown()
{
    QStringList ids;
    for (int day = 1; day <= 5; ++day)
        ids << Entries::insert(db(), entry(QStringLiteral("0%1.03.2024").arg(day),
                                           {{QStringLiteral("1"), QStringLiteral("5"), QStringLiteral("0:25:00"),
                                             QStringLiteral("-1"), QString()}}));
    auto m = model();
    m->readIds(false);
    m->setPosition(2);
    QCOMPARE(m->load(), EditorModel::Shown::Entry);

    QCOMPARE(m->assignShoe({ids[0], ids[1], ids[2]}, QStringLiteral("Trail")), 3);
    QCOMPARE(m->changeSport({ids[0], ids[4]}, QStringLiteral("Radfahren")), 2);
    QCOMPARE(m->position(), 2);
    QCOMPARE(m->load(), EditorModel::Shown::Entry);
    QCOMPARE(m->values().shoe, QStringLiteral("Trail"));
    QCOMPARE(m->values().sport, QStringLiteral("Laufen"));

    // The entry shown deleted with its neighbour after it: the one before
    // it is the nearest left; all gone, there is none.
    QCOMPARE(m->removeEntries({ids[2], ids[3]}), 2);
    QCOMPARE(m->ids(), (QStringList{ids[0], ids[1], ids[4]}));
    QCOMPARE(m->position(), 1);
    QCOMPARE(m->removeEntries(ids), 3);
    QCOMPARE(m->position(), -1);
    QCOMPARE(m->load(), EditorModel::Shown::None);

    // A sport for many is checked as the form checks one.
    QVERIFY(EditorModel::sportFault(QStringLiteral("Crosslauf")).isEmpty());
    for (const QString& refused : {QString(), EditorModel::placeholderItem(), QStringLiteral("Rad%Lauf"),
                                   QString(41, QLatin1Char('x')), QStringLiteral("Lauf \u2192 Rad")})
        QVERIFY2(!EditorModel::sportFault(refused).isEmpty(), qPrintable(refused));
}

QTEST_GUILESS_MAIN(TestEditorModel)
#include "tst_editormodel.moc"
