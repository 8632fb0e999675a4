#include "datafiles.h"
#include "diaryreport.h"
#include "messages.h"
#include "session.h"
#include "sqltext.h"
#include "testsupport.h"

#include <QImage>
#include <QPainter>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>

#include <memory>

using namespace diaryreport;

class TestDiaryReport : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void reportOfASmallDiary();
    void longEntryBreaksOntoANewPage();
    void monthsAreToldApartByNumberOnly();
    void emptyPeriodAndFailedPdf();
    void wrapping();

private:
    int addEntry(const QString& date, const QString& time, const QString& extra = {},
                 const QString& extraValues = {});
    void addUnit(int entry, int sub, const QString& km, const QString& time, int pulse);
    // Composes, writes the PDF and returns its text; empty when pdftotext is missing.
    QString composedText(const Options& options, int* pageCount = nullptr);

    std::unique_ptr<TestFolder> m_dir;
    std::unique_ptr<Session> m_session;
    int m_user = 0;
};

void TestDiaryReport::init()
{
    initTestEnvironment();
    m_dir = std::make_unique<TestFolder>();
    m_session = std::make_unique<Session>();
    datafiles::openStorage(*m_session, m_dir->path());
    m_session->ZQuery3.execSql("INSERT INTO users (ID, Name, Vorname, GebDatum, Geschlecht) VALUES "
                               "(gen_id(Gen_Users,1), 'Adler', 'Anna', '01.02.1980', '1')");
    m_user = scalar(*m_session, "SELECT MAX(ID) FROM users").toInt();
}

void TestDiaryReport::cleanup()
{
    m_session.reset();
    m_dir.reset();
    Messages::clearShown();
}

int TestDiaryReport::addEntry(const QString& date, const QString& time, const QString& extra,
                              const QString& extraValues)
{
    m_session->ZQuery3.execSql("INSERT INTO main (ID, Datum, Uhrzeit, Kategorie, UserID, Dauer" + extra
                               + ") VALUES (gen_id(Gen_Main,1), " + quoted(date) + ", " + quoted(time)
                               + ", 'Laufen', " + quoted(m_user) + ", '1:30'" + extraValues + ")");
    return scalar(*m_session, "SELECT MAX(ID) FROM main").toInt();
}

void TestDiaryReport::addUnit(int entry, int sub, const QString& km, const QString& time, int pulse)
{
    m_session->ZQuery3.execSql("INSERT INTO units (ID, MainID, SubID, strecke, Zeit, Puls, Bereich) VALUES "
                               "(gen_id(Gen_Units,1), " + quoted(entry) + ", " + quoted(sub) + ", " + quoted(km)
                               + ", " + quoted(time) + ", " + quoted(pulse) + ", 'extensiver DL')");
}

QString TestDiaryReport::composedText(const Options& options, int* pageCount)
{
    pages::Document document;
    compose(m_session->ZDatabase1, options, document);
    const QString pdf = m_dir->file("report.pdf");
    QString error;
    if (!pages::writePdf(document, pdf, &error))
        qWarning() << error;
    if (pageCount)
        *pageCount = document.pageCount();
    // Set TRAMORA_REPORT_PICTURES to a folder to look at the first page.
    const QString folder = qEnvironmentVariable("TRAMORA_REPORT_PICTURES");
    if (!folder.isEmpty()) {
        QImage image(1485, 1050, QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter painter(&image);
        document.replay(painter, 0, QRectF(image.rect()));
        painter.end();
        image.save(folder + u'/' + QString::fromLatin1(QTest::currentTestFunction()) + ".png");
        QFile::remove(folder + "/report.pdf");
        QFile::copy(pdf, folder + "/report.pdf");
    }
    const QString tool = QStandardPaths::findExecutable("pdftotext");
    if (tool.isEmpty())
        return {};
    QProcess process;
    process.start(tool, {"-layout", pdf, "-"});
    process.waitForFinished(-1);
    return QString::fromUtf8(process.readAllStandardOutput());
}

#define REQUIRE_TEXT(text)                                                                                      \
    if ((text).isEmpty())                                                                                       \
        QSKIP("pdftotext (poppler-utils) is not installed");

void TestDiaryReport::reportOfASmallDiary()
{
    // Week 7 of 2009: one entry with three units; week 8 without entries;
    // week 10: an entry of March, after which the February summary comes.
    const int first = addEntry("10.02.2009", "00:00:00", ", Gewicht, Ruhepuls, Wetter, Schuhe, Notizen",
                               ", '72.5', '-1', 'sonnig', 'Renner 2', 'locker'");
    addUnit(first, 1, "10", "01:05:00", 150);
    addUnit(first, 2, "1", "00:05:10", -1);
    addUnit(first, 3, "0.5", "00:00:00", 140);
    const int second = addEntry("02.03.2009", "18:15:00", ", Gewicht, Ruhepuls", ", '0', '48'");
    addUnit(second, 1, "12.3", "01:00:00", 155);

    Options options{m_user, QDate(2009, 2, 9), QDate(2009, 3, 8), "DejaVu Sans", true, true, false};
    int pages = 0;
    const QString text = composedText(options, &pages);
    QCOMPARE(pages, 1);
    REQUIRE_TEXT(text);
    for (const char* wanted : {"Rezidedazurazedad 09.02.2009 bis 08.03.2009", "Seite 1", "Datum", "Uhrzeit/Dauer",
                               "Sportart", "Strecke", "min/km", "Trainingsart", "Wetter/", "Gewicht/", "Befinden",
                               "Notizen", "10.02.2009", "-- / 1:30", "18:15 / 1:30", "72,5 kg", "10,0 km",
                               "1:05:00", "6:30", "5:10", "sonnig", "Renner 2", "locker", "KW 7/2009",
                               "KW 8/2009", "keine Einträge", "KW 10/2009", "Februar", "März",
                               "1 Trainingseinheit", "Zeitaufwand: 1:30 h", "11,5 km", "12,3 km",
                               "Das Rezidedazurazedad"})
        QVERIFY2(text.contains(QString::fromUtf8(wanted)), wanted);
    // The unit of 0,5 km in 00:00:00 has "--" for its time and no pace; a
    // resting pulse of -1 and a weight of 0 print "--".
    const QStringList lines = text.split(u'\n');
    const auto lineWith = [&](const QString& part) {
        for (const QString& line : lines)
            if (line.contains(part))
                return line.simplified();
        return QString();
    };
    QVERIFY2(lineWith("0,5 km").startsWith("Laufen 0,5 km -- 140 extensiver DL"), qPrintable(lineWith("0,5 km")));
    QVERIFY2(lineWith("1,0 km").contains("1,0 km 5:10 5:10 -- extensiver DL Renner 2 --"), qPrintable(lineWith("1,0 km")));
    QVERIFY2(lineWith("02.03.2009").contains("--"), qPrintable(lineWith("02.03.2009")));
    // The February block comes before the March entry, the weekly one after it.
    QVERIFY(text.indexOf("Februar") < text.indexOf("02.03.2009"));
    QVERIFY(text.indexOf("02.03.2009") < text.indexOf("KW 10/2009"));

    options.ignoreEmptyWeeks = true;
    const QString without = composedText(options);
    QVERIFY(!without.contains(QString::fromUtf8("keine Einträge")));
    QVERIFY(without.contains("KW 7/2009"));
    options.weekly = options.monthly = false;
    const QString plain = composedText(options);
    QVERIFY(!plain.contains("KW ") && !plain.contains("Zeitaufwand"));
}

void TestDiaryReport::longEntryBreaksOntoANewPage()
{
    // Nine entries of three rows and a separator fill rows 8..43; the next
    // one needs eight rows and breaks after its fifth (row 48).
    for (int day = 0; day < 9; ++day)
        addEntry(QDate(2026, 6, 1).addDays(day).toString("dd.MM.yyyy"), "07:00:00");
    QString notes;
    for (int i = 1; i <= 8; ++i)
        notes += QString("Zeile%1\n").arg(i);
    notes.chop(1);
    addEntry("20.06.2026", "07:00:00", ", Notizen", ", " + quoted(notes));
    Options options{m_user, QDate(2026, 6, 1), QDate(2026, 6, 30), "DejaVu Sans", false, false, false};
    int pages = 0;
    const QString text = composedText(options, &pages);
    QCOMPARE(pages, 2);
    REQUIRE_TEXT(text);
    const QStringList pageTexts = text.split(u'\f', Qt::SkipEmptyParts);
    QVERIFY(pageTexts.size() >= 2);
    const QString one = pageTexts.at(0), two = pageTexts.at(1);
    QVERIFY(one.contains("Zeile5") && !one.contains("Zeile6"));
    QVERIFY(two.contains("Seite 2") && two.contains("Datum") && two.contains("Zeile6") && two.contains("Zeile8"));
    QVERIFY(one.contains("Das Rezidedazurazedad") && two.contains("Das Rezidedazurazedad"));
}

void TestDiaryReport::monthsAreToldApartByNumberOnly()
{
    addUnit(addEntry("10.01.2025", "07:00:00"), 1, "5", "00:30:00", 140);
    addUnit(addEntry("12.01.2026", "07:00:00"), 1, "7", "00:40:00", 140);
    Options options{m_user, QDate(2025, 1, 1), QDate(2026, 1, 31), "DejaVu Sans", false, true, false};
    const QString text = composedText(options);
    REQUIRE_TEXT(text);
    QCOMPARE(text.count("Januar"), 1);
    QVERIFY(text.contains("2 Trainingseinheiten") && text.contains("Zeitaufwand: 3:00 h")
            && text.contains("12,0 km"));
}

void TestDiaryReport::emptyPeriodAndFailedPdf()
{
    addEntry("10.02.2009", "07:00:00");
    Messages::setNextAnswer(QMessageBox::Ok);
    pages::Document document;
    Options options{m_user, QDate(2010, 1, 1), QDate(2010, 1, 31), "DejaVu Sans", true, true, false};
    QCOMPARE(compose(m_session->ZDatabase1, options, document), Outcome::NoEntries);
    QCOMPARE(document.pageCount(), 1);
    QCOMPARE(Messages::shown().size(), 1);
    QCOMPARE(Messages::shown().first().text, noEntriesText());

    QString error;
    QVERIFY(!pages::writePdf(document, m_dir->file("fehlt/report.pdf"), &error));
    QVERIFY(error.contains("report.pdf"));
    QVERIFY(!QFile::exists(m_dir->file("fehlt/report.pdf")));
}

void TestDiaryReport::wrapping()
{
    QStringList lines;
    CreatePrintList(lines, QString(), 20);
    QCOMPARE(lines, QStringList{" "});
    lines.clear();
    CreatePrintList(lines, "ein Wort Vierundzwanzigbuchstaben\r\nzwei", 10);
    QCOMPARE(lines, (QStringList{"ein Wort ", "Vierundzwanzigbuchstaben ", "zwei "}));
    lines.clear();
    CreatePrintList(lines, "Vierundzwanzigbuchstaben", 10);
    QCOMPARE(lines, (QStringList{"", "Vierundzwanzigbuchstaben "}));
}

QTEST_MAIN(TestDiaryReport)
#include "tst_diaryreport.moc"
