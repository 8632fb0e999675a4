#include "inifile.h"
#include "testsupport.h"

#include <QFile>
#include <QTest>

class TestIniFile : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void missingFileAndKeysGiveDefaults();
    void namesCompareWithoutCase();
    void writingKeepsOtherLines();
    void newKeysAndSections();
    void truthValuesAndIntegers();
    void codePage1252();
    void itemLists();
};

static void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

void TestIniFile::missingFileAndKeysGiveDefaults()
{
    TestFolder dir;
    IniFile ini(dir.file("config.ini"));
    QCOMPARE(ini.readString("Report", "Font", "Arial"), QString("Arial"));
    QCOMPARE(ini.readInteger("Statistik", "Kind", 1), 1);
    QCOMPARE(ini.readBool("Statistik", "3D", false), false);
    writeFile(dir.file("config.ini"), "[Report]\r\nFont=Verdana\r\n");
    QCOMPARE(ini.readString("Report", "StartDate", "01.01.2009"), QString("01.01.2009"));
    QCOMPARE(ini.readString("Statistik", "Font", "Arial"), QString("Arial"));
    QCOMPARE(ini.readInteger("Report", "Font", 7), 7); // not a number
}

void TestIniFile::namesCompareWithoutCase()
{
    TestFolder dir;
    writeFile(dir.file("config.ini"), "[sportarten]\r\n ITEMS = Laufen%\r\n[Wetter]\r\nItems=sonnig%\r\n");
    IniFile ini(dir.file("config.ini"));
    QCOMPARE(ini.readString("Sportarten", "Items", ""), QString("Laufen%"));
    QCOMPARE(ini.readString("WETTER", "items", ""), QString("sonnig%"));
    ini.writeString("SPORTARTEN", "Items", "Rudern%");
    QCOMPARE(readBytes(dir.file("config.ini")), QByteArray("[sportarten]\r\nItems=Rudern%\r\n[Wetter]\r\nItems=sonnig%\r\n"));
}

void TestIniFile::writingKeepsOtherLines()
{
    TestFolder dir;
    const QByteArray before = "; a comment\r\n[Report]\r\nFont=Arial\r\nSummaryWeek=0\r\n\r\n[Statistik]\r\nKind=3\r\n";
    writeFile(dir.file("config.ini"), before);
    IniFile ini(dir.file("config.ini"));
    ini.writeBool("Report", "SummaryWeek", true);
    QByteArray expected = before;
    expected.replace("SummaryWeek=0", "SummaryWeek=1");
    QCOMPARE(readBytes(dir.file("config.ini")), expected);
}

void TestIniFile::newKeysAndSections()
{
    TestFolder dir;
    writeFile(dir.file("config.ini"), "[Report]\r\nFont=Arial\r\n\r\n[Statistik]\r\nKind=3\r\n");
    IniFile ini(dir.file("config.ini"));
    ini.writeString("Report", "EndDate", "31.12.2025");
    ini.writeInteger("DontShowDialogs", "HFDialog", 1);
    QCOMPARE(readBytes(dir.file("config.ini")),
             QByteArray("[Report]\r\nFont=Arial\r\nEndDate=31.12.2025\r\n\r\n[Statistik]\r\nKind=3\r\n"
                        "[DontShowDialogs]\r\nHFDialog=1\r\n"));
    QCOMPARE(ini.readString("report", "enddate", ""), QString("31.12.2025"));

    // a file that does not exist yet is created
    IniFile fresh(dir.file("new.ini"));
    fresh.writeString("Wetter", "Items", "");
    QCOMPARE(readBytes(dir.file("new.ini")), QByteArray("[Wetter]\r\nItems=\r\n"));
}

void TestIniFile::truthValuesAndIntegers()
{
    TestFolder dir;
    IniFile ini(dir.file("config.ini"));
    ini.writeBool("Statistik", "3D", true);
    ini.writeInteger("Statistik", "3DValue", 42);
    QVERIFY(readBytes(dir.file("config.ini")).contains("3D=1\r\n3DValue=42"));
    QCOMPARE(ini.readBool("Statistik", "3D", false), true);
    QCOMPARE(ini.readInteger("Statistik", "3DValue", 15), 42);
    ini.writeString("Statistik", "3D", "2"); // anything but 0 is true
    QCOMPARE(ini.readBool("Statistik", "3D", false), true);
    ini.writeBool("Statistik", "3D", false);
    QCOMPARE(ini.readBool("Statistik", "3D", true), false);
}

void TestIniFile::codePage1252()
{
    TestFolder dir;
    IniFile ini(dir.file("config.ini"));
    ini.writeString("Wetter", "Items", QString::fromUtf8("heiß%Nässe%5 €%"));
    QCOMPARE(readBytes(dir.file("config.ini")), QByteArray("[Wetter]\r\nItems=hei\xDF%N\xE4sse%5 \x80%\r\n"));
    QCOMPARE(ini.readString("Wetter", "Items", ""), QString::fromUtf8("heiß%Nässe%5 €%"));
}

void TestIniFile::itemLists()
{
    QCOMPARE(splitItemList("Laufen%Radfahren%Schwimmen%"), QStringList({"Laufen", "Radfahren", "Schwimmen"}));
    QCOMPARE(splitItemList(""), QStringList({""}));
    QCOMPARE(splitItemList("Laufen%Rad"), QStringList({"Laufen", "Rad"}));
    QCOMPARE(splitItemList("%%"), QStringList({"", ""}));
    QCOMPARE(joinItemList({"Laufen", "Rad"}), QString("Laufen%Rad%"));
    QCOMPARE(joinItemList({}), QString());
}

QTEST_GUILESS_MAIN(TestIniFile)
#include "tst_inifile.moc"
