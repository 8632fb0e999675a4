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
    void monthsAreToldApartByYearAndNumber();
    void totalsAndPacesFromTheStoredDistances();
    void textsStayInTheirColumns();
    void rideShowsItsSpeed();
    void emptyPeriodAndFailedPdf();
    void wrapping();

private:
    int addEntry(const QString& date, const QString& time, const QString& extra = {},
                 const QString& extraValues = {});
    void addUnit(int entry, int sub, const QString& km, const QString& time, int pulse);
    // Composes, writes the PDF and returns its text; empty when pdftotext is missing.
    QString composedText(const Options& options, int* pageCount = nullptr);
    // The kilometres printed in the summary block of the title.
    static QString blockKm(const pages::Document& document, const QString& title);
    // The stored kilometres of the period, summed by the database.
    QString storedKm(const QString& from, const QString& to);

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
    m_session->ZDatabase1.execute("INSERT INTO users (ID, Name, Vorname, GebDatum, Geschlecht) VALUES "
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
    m_session->ZDatabase1.execute("INSERT INTO main (ID, Datum, Uhrzeit, Kategorie, UserID, Dauer" + extra
                                  + ") VALUES (gen_id(Gen_Main,1), " + quoted(date) + ", " + quoted(time)
                                  + ", 'Laufen', " + quoted(m_user) + ", '1:30'" + extraValues + ")");
    return scalar(*m_session, "SELECT MAX(ID) FROM main").toInt();
}

void TestDiaryReport::addUnit(int entry, int sub, const QString& km, const QString& time, int pulse)
{
    m_session->ZDatabase1.execute("INSERT INTO units (ID, MainID, SubID, strecke, Zeit, Puls, Bereich) VALUES "
                                  "(gen_id(Gen_Units,1), " + quoted(entry) + ", " + quoted(sub) + ", " + quoted(km)
                                  + ", " + quoted(time) + ", " + quoted(pulse) + ", 'extensiver DL')");
}

// Set TRAMORA_REPORT_PICTURES to a folder to look at the pages.
static void savePicture(const pages::Document& document)
{
    const QString folder = qEnvironmentVariable("TRAMORA_REPORT_PICTURES");
    for (int page = 0; !folder.isEmpty() && page < document.pageCount(); ++page) {
        QImage image(1485, 1050, QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter painter(&image);
        document.replay(painter, page, QRectF(image.rect()));
        painter.end();
        image.save(QString("%1/%2-%3.png").arg(folder, QTest::currentTestFunction()).arg(page + 1));
    }
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
    savePicture(document);
    const QString folder = qEnvironmentVariable("TRAMORA_REPORT_PICTURES");
    if (!folder.isEmpty()) {
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

// The texts of each page.
static QList<QStringList> pageTexts(const pages::Document& document)
{
    QList<QStringList> out;
    for (int p = 0; p < document.pageCount(); ++p) {
        out.append(QStringList());
        for (const pages::Command& c : document.page(p).commands)
            if (c.kind == pages::Command::Kind::Text)
                out.last() << c.text.trimmed();
    }
    return out;
}

// The first two texts of a page that are painted over each other (or past
// the right margin), with their backgrounds and up to their clip.
static QString overlap(const pages::Document& document)
{
    struct Extent { double left, right, y; QString text; };
    for (int p = 0; p < document.pageCount(); ++p) {
        QVector<Extent> extents;
        for (const pages::Command& c : document.page(p).commands) {
            if (c.kind != pages::Command::Kind::Text)
                continue;
            double right = c.from.x() + QFontMetricsF(pages::qtFont(c.font)).horizontalAdvance(c.text);
            if (c.clipRight >= 0)
                right = std::min(right, c.clipRight);
            extents.append({c.from.x(), right, c.from.y(), c.text});
        }
        for (const Extent& a : extents) {
            if (a.right > pages::kPageWidth - 1000 + 1)
                return a.text;
            for (const Extent& b : extents)
                if (&a != &b && qAbs(a.y - b.y) < 1 && a.right > b.left + 1 && b.right > a.left + 1)
                    return a.text + " / " + b.text;
        }
    }
    return {};
}

void TestDiaryReport::longEntryBreaksOntoANewPage()
{
    // Nine entries of three rows and a separator fill rows 8..43; the next
    // one needs eight rows and goes whole onto page 2, with page and column
    // headings. One of 45 rows is longer than a page: its date is repeated
    // where it goes on.
    for (int day = 0; day < 9; ++day)
        addEntry(QDate(2026, 6, 1).addDays(day).toString("dd.MM.yyyy"), "07:00:00");
    QStringList notes;
    for (int i = 1; i <= 8; ++i)
        notes << QString("Zeile%1").arg(i);
    addEntry("20.06.2026", "07:00:00", ", Notizen", ", " + quoted(notes.join('\n')));
    notes.clear();
    for (int i = 1; i <= 45; ++i)
        notes << QString("N%1").arg(i);
    addEntry("21.06.2026", "07:00:00", ", Notizen", ", " + quoted(notes.join('\n')));
    Options options{m_user, QDate(2026, 6, 1), QDate(2026, 6, 30), "DejaVu Sans", false, false, false};
    pages::Document document;
    compose(m_session->ZDatabase1, options, document);
    savePicture(document);
    const QList<QStringList> texts = pageTexts(document);
    QCOMPARE(texts.size(), 4);
    QVERIFY(!texts[0].contains("20.06.2026") && !texts[0].contains("Zeile1"));
    QVERIFY(texts[1].contains("Seite 2") && texts[1].contains("Datum") && texts[1].contains("20.06.2026"));
    QVERIFY(texts[1].contains("Zeile1") && texts[1].contains("Zeile8"));
    QVERIFY(texts[2].contains("21.06.2026") && texts[2].contains("N1") && texts[2].contains("N41"));
    QVERIFY(texts[3].contains("21.06.2026") && texts[3].contains("N42") && texts[3].contains("N45"));
    for (const QStringList& page : texts)
        QVERIFY(page.contains("Das Rezidedazurazedad"));
}

void TestDiaryReport::monthsAreToldApartByYearAndNumber()
{
    addUnit(addEntry("10.01.2025", "07:00:00"), 1, "5", "00:30:00", 140);
    addUnit(addEntry("12.01.2026", "07:00:00"), 1, "7", "00:40:00", 140);
    Options options{m_user, QDate(2025, 1, 1), QDate(2026, 1, 31), "DejaVu Sans", false, true, false};
    pages::Document document;
    compose(m_session->ZDatabase1, options, document);
    QCOMPARE(blockKm(document, "Januar 2025"), QString("5,0 km"));
    QCOMPARE(blockKm(document, "Januar 2026"), QString("7,0 km"));
    QVERIFY(!pageTexts(document).constFirst().contains("Januar"));
}

QString TestDiaryReport::blockKm(const pages::Document& document, const QString& title)
{
    // The block's kilometres stand one row and a little below its title.
    for (int p = 0; p < document.pageCount(); ++p) {
        const QVector<pages::Command>& commands = document.page(p).commands;
        for (const pages::Command& t : commands) {
            if (t.kind != pages::Command::Kind::Text || t.text != title)
                continue;
            for (const pages::Command& c : commands)
                if (c.kind == pages::Command::Kind::Text && qAbs(c.from.y() - t.from.y() - 500) < 1
                    && c.text.endsWith(" km"))
                    return c.text;
        }
    }
    return {};
}

QString TestDiaryReport::storedKm(const QString& from, const QString& to)
{
    const double km = scalar(*m_session, "SELECT SUM(u.strecke) FROM units u JOIN main m ON m.ID = u.MainID "
                                         "WHERE m.UserID = " + quoted(m_user) + " AND m.Datum BETWEEN "
                                         + quoted(from) + " AND " + quoted(to))
                          .replace(',', '.')
                          .toDouble();
    return QString::number(km, 'f', 1).replace('.', ',') + " km";
}

void TestDiaryReport::totalsAndPacesFromTheStoredDistances()
{
    // Units of 1,26 km print as 1,3 km each; the sums are those of the
    // stored values. Week 1 of 2026 begins on 29.12.2025.
    addUnit(addEntry("05.03.2025", "07:00:00"), 1, "1.26", "00:07:00", 140);
    for (const char* date : {"29.12.2025", "31.12.2025", "02.01.2026"}) {
        const int entry = addEntry(date, "07:00:00");
        addUnit(entry, 1, "1.26", "00:07:00", 140);
        if (QByteArray(date) != "31.12.2025")
            addUnit(entry, 2, "1.26", "00:07:00", 140);
    }
    addUnit(addEntry("10.03.2026", "07:00:00"), 1, "1.25", "01:05:00", 140);
    // The binary 0.15 lies below 0,15: whole metres, halves away from zero.
    addUnit(addEntry("10.02.2026", "07:00:00"), 1, "0.15", "00:01:00", 140);
    Options options{m_user, QDate(2025, 3, 1), QDate(2026, 3, 31), "DejaVu Sans", true, true, true};
    pages::Document document;
    compose(m_session->ZDatabase1, options, document);
    savePicture(document);
    QCOMPARE(blockKm(document, "Dezember 2025"), storedKm("01.12.2025", "31.12.2025"));
    QCOMPARE(blockKm(document, "Dezember 2025"), QString("3,8 km"));
    QCOMPARE(blockKm(document, "Januar 2026"), storedKm("01.01.2026", "31.01.2026"));
    QCOMPARE(blockKm(document, "KW 1/2026"), storedKm("29.12.2025", "04.01.2026"));
    QCOMPARE(blockKm(document, "KW 1/2026"), QString("6,3 km"));
    QCOMPARE(blockKm(document, QString::fromUtf8("März 2025")), storedKm("01.03.2025", "31.03.2025"));
    QCOMPARE(blockKm(document, QString::fromUtf8("März 2026")), storedKm("01.03.2026", "31.03.2026"));
    QCOMPARE(blockKm(document, "Februar 2026"), QString("0,2 km"));
    QVERIFY2(overlap(document).isEmpty(), qPrintable(overlap(document)));
    // 1,25 km in 1:05:00 is 52:00 min/km.
    bool pace = false;
    for (const QStringList& page : pageTexts(document))
        pace = pace || page.contains("52:00");
    QVERIFY(pace);
}

void TestDiaryReport::textsStayInTheirColumns()
{
    // Weather and shoe texts of 20 characters are wider than their column in
    // this font; notes and feeling hold words wider than theirs.
    addEntry("10.02.2009", "07:00:00", ", Ruhepuls, Wetter, Schuhe, Notizen, Befinden",
             ", '52', 'Wolkenbruch mit Wind', 'Nimbus 1080v13 2', "
             "'Donaudampfschifffahrtsgesellschaftskapitaensmuetze', 'WWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWW'");
    Options options{m_user, QDate(2009, 2, 1), QDate(2009, 2, 28), "DejaVu Sans", false, false, false};
    pages::Document document;
    compose(m_session->ZDatabase1, options, document);
    savePicture(document);
    QVERIFY2(overlap(document).isEmpty(), qPrintable(overlap(document)));
    QMap<int, QString> columns; // the texts drawn at each left edge, in order
    for (const pages::Command& c : document.page(0).commands)
        if (c.kind == pages::Command::Kind::Text)
            columns[qRound(c.from.x())] += c.text;
    // Nothing of the texts is lost: a long word goes on in the next lines.
    const QString shown = QStringList(columns.values()).join(u'|');
    QVERIFY(columns.value(16500).endsWith("--52")); // weight and resting pulse
    for (const char* part : {"Donaudampfschifffahrtsgesellschaftskapitaensmuetze", "Wolkenbruch mit ",
                             "Nimbus 1080v13 2", "WWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWW"})
        QVERIFY2(shown.contains(part), part);
}

void TestDiaryReport::rideShowsItsSpeed()
{
    // 30 km in 1:04:00 is 28,1 km/h (2:08 min/km were no measure of a ride).
    const int ride = addEntry("10.02.2009", "07:00:00");
    m_session->ZDatabase1.execute("UPDATE main SET Kategorie = 'Radfahren' WHERE ID = " + quoted(ride));
    addUnit(ride, 1, "30", "01:04:00", 130);
    addUnit(addEntry("11.02.2009", "07:00:00"), 1, "10", "00:50:00", 150);
    Options options{m_user, QDate(2009, 2, 1), QDate(2009, 2, 28), "DejaVu Sans", false, false, false};
    pages::Document document;
    compose(m_session->ZDatabase1, options, document);
    savePicture(document);
    const QStringList page = pageTexts(document).value(0);
    QVERIFY(page.contains("28,1"));
    QVERIFY(!page.contains("2:08"));
    QVERIFY(page.contains("5:00"));
    QVERIFY(page.contains("bzw. km/h"));
    QVERIFY2(overlap(document).isEmpty(), qPrintable(overlap(document)));
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
    QCOMPARE(lines, (QStringList{"ein Wort ", "Vierundzwa", "nzigbuchst", "aben ", "zwei "}));
    lines.clear();
    CreatePrintList(lines, "ein Vierundzwanzigbuchstaben", 10);
    QCOMPARE(lines, (QStringList{"ein ", "Vierundzwa", "nzigbuchst", "aben "}));
    // Measured: "ii" fits where "WW" does not.
    lines.clear();
    CreatePrintList(lines, "ii WW", 2.5, [](const QString& t) { return t.count('W') * 2.0 + t.count('i') + t.count(' '); });
    QCOMPARE(lines, (QStringList{"ii ", "W", "W "}));
}

QTEST_MAIN(TestDiaryReport)
#include "tst_diaryreport.moc"
