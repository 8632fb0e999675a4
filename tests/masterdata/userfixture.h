#pragma once

// The user management's tests: a main window on a new diary, the window
// opened over it, and the helpers that fill its fields and read the diary.

#include "maskedit.h"
#include "messages.h"
#include "radiogroup.h"
#include "session.h"
#include "sqltext.h"
#include "stringgrid.h"
#include "testsupport.h"
#include "textforms.h"
#include "tform1.h"
#include "tform2.h"

#include <QApplication>
#include <QComboBox>
#include <QDate>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <memory>
#include <utility>


inline const QStringList kFields = {"Edit1", "Edit2", "maskeditL1", "maskeditL2", "maskeditL3", "maskeditL4"};
// A complete, valid person: field name and value ("RadioGroup1" takes the item index).
inline const QList<QPair<QString, QString>> kValid = {{"Edit1", "Muster"},     {"Edit2", "Erika"},
                                                      {"RadioGroup1", "1"},    {"maskeditL1", "01.02.1970"},
                                                      {"maskeditL2", "50"},    {"maskeditL3", "185"},
                                                      {"maskeditL4", "075,5"}};

class UserFixture : public QObject
{
protected:
    void start()
    {
        initTestEnvironment();
        m_dir = std::make_unique<TestFolder>();
        m_main = std::make_unique<TForm1>(StartOptions{m_dir->path(), 0});
        QVERIFY(Messages::shown().isEmpty());
    }
    void finish()
    {
        m_form.reset();
        m_main.reset();
        m_dir.reset();
        QVERIFY(!QApplication::overrideCursor());
    }

    Session& session() { return m_main->session(); }
    QString count(const QString& sql) { return scalar(session(), sql); }
    // Runs an insert and returns the generator's new value.
    int insert(const QString& table, const QString& columns, const QString& values, const char* generator)
    {
        session().ZDatabase1.execute(QStringLiteral("INSERT INTO %1 (ID, %2) VALUES (gen_id(%3,1), %4)")
                                      .arg(table, columns, QString::fromLatin1(generator), values));
        return count(QStringLiteral("SELECT gen_id(%1,0) FROM rdb$database").arg(generator)).toInt();
    }
    int addUser(const QString& name, const QString& vorname, const QString& weight = "75.5")
    {
        return insert("users", "Name, Vorname, GebDatum, Geschlecht, Gewicht, Ruhepuls, Maxpuls",
                      quoted(name) + ", " + quoted(vorname) + ", '01.02.1970', '1', " + quoted(weight) + ", '48', '185'",
                      "Gen_Users");
    }
    int addEntry(int user) { return insert("main", "Datum, UserID", "'01.06.2025', " + quoted(user), "Gen_Main"); }
    void addUnit(int entry, int sub)
    {
        insert("units", "MainID, SubID, strecke", quoted(entry) + ", " + quoted(sub) + ", '5.0'", "Gen_Units");
    }
    void addShoe(int user, const QString& modell)
    {
        insert("schuhe", "modell, MaxLeistung, prevLeistung, UserID", quoted(modell) + ", '800', '0', " + quoted(user),
               "Gen_Schuhe");
    }
    // The numbers of persons, diary entries, units and shoes.
    QString totals()
    {
        return count("SELECT (SELECT COUNT(*) FROM users) || '/' || (SELECT COUNT(*) FROM main) || '/' || "
                     "(SELECT COUNT(*) FROM units) || '/' || (SELECT COUNT(*) FROM schuhe) FROM rdb$database");
    }
    TForm2* open(bool shown = false)
    {
        m_form = std::make_unique<TForm2>(session(), m_main.get());
        m_cur = m_form.get();
        return shown && !showActive(*m_cur) ? nullptr : m_cur;
    }
    // Children of the open window (opened here or from the main window).
    template <class T = QLineEdit> T* w(const QString& name) { return m_cur->findChild<T*>(name); }
    QPushButton* button(int n) { return w<QPushButton>(QStringLiteral("BitBtn%1").arg(n)); }
    StringGrid* grid() { return w<StringGrid>("StringAlignGrid1"); }
    void clickRow(int row, bool twice = false)
    {
        const QPoint at = grid()->visualRect(grid()->model()->index(row - 1, 1)).center();
        if (twice)
            QTest::mouseDClick(grid()->viewport(), Qt::LeftButton, {}, at);
        else
            QTest::mouseClick(grid()->viewport(), Qt::LeftButton, {}, at);
    }
    void set(const QString& field, const QString& value)
    {
        if (field == "RadioGroup1")
            w<RadioGroup>(field)->setItemIndex(value.toInt());
        else if (auto* mask = w<MaskEdit>(field))
            mask->setText(value); // through the mask, not QLineEdit::setText
        else
            w(field)->setText(value);
    }
    void fillValid()
    {
        for (const auto& [field, value] : kValid)
            set(field, value);
    }
    // All data fields locked and grey (or open and white), the save button the opposite, the sex choice usable.
    bool fieldsLocked(bool locked)
    {
        for (const QString& name : kFields)
            if (w(name)->isEnabled() == locked
                || w(name)->palette().color(QPalette::Base) != (locked ? QColor(0xE9E9E9) : QColor(Qt::white)))
                return false;
        return button(1)->isEnabled() != locked && w<RadioGroup>("RadioGroup1")->isEnabled();
    }

    std::unique_ptr<TestFolder> m_dir;
    std::unique_ptr<TForm1> m_main;
    std::unique_ptr<TForm2> m_form;
    TForm2* m_cur = nullptr;
};
