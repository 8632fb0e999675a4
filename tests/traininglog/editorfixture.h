#pragma once

#include "messages.h"
#include "session.h"
#include "sqltext.h"
#include "testsupport.h"
#include "tform1.h"
#include "tform4.h"

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QPointer>
#include <QTest>
#include <QToolButton>

#include <memory>

// A program folder with its database, a main window and, on request, the
// diary-entry editor opened through the main window's button.
class EditorFixture
{
public:
    // sameDiaryAs: a folder whose alias file this one copies, to work on
    // its diary from a second main window (a second workstation).
    explicit EditorFixture(const TestFolder* sameDiaryAs = nullptr)
    {
        initTestEnvironment();
        m_dir = std::make_unique<TestFolder>();
        if (sameDiaryAs) {
            QFile::remove(m_dir->file(QStringLiteral("aliases.conf")));
            QFile::copy(sameDiaryAs->file(QStringLiteral("aliases.conf")), m_dir->file(QStringLiteral("aliases.conf")));
        }
        m_main = std::make_unique<TForm1>(StartOptions{m_dir->path(), 0});
    }
    ~EditorFixture()
    {
        if (m_editor)
            delete m_editor.data();
        m_main.reset();
    }

    TForm1& main() { return *m_main; }
    Session& session() { return m_main->session(); }
    const TestFolder& folder() const { return *m_dir; }

    void exec(const QString& sql) { session().ZDatabase1.execute(sql); }
    // Field 0 of the first row, as text.
    QString value(const QString& sql)
    {
        const ResultSet r = session().ZDatabase1.select(sql, 1);
        return r.rows.isEmpty() ? QString() : r.rows[0].value(0).asString();
    }

    // A person with resting pulse, weight and maximum pulse; returns the ID.
    int addUser(const QString& name = QStringLiteral("Muster"), const QString& vorname = QStringLiteral("Max"),
                const QString& weight = QStringLiteral("72.5"), int restPulse = 48, int maxPulse = 190)
    {
        exec(QStringLiteral("INSERT INTO users (ID, Name, Vorname, GebDatum, Geschlecht, Gewicht, Ruhepuls, Maxpuls) "
                            "VALUES (gen_id(Gen_Users,1), ")
             + quoted(name) + ',' + quoted(vorname) + QStringLiteral(", '01.01.1980', '0', ") + quoted(weight) + ','
             + quoted(restPulse) + ',' + quoted(maxPulse) + ')');
        return value(QStringLiteral("SELECT MAX(ID) FROM users")).toInt();
    }

    // A diary entry; returns its ID.
    int addEntry(int userId, const QString& date, const QString& time = QStringLiteral("08:00:00"),
                 const QString& shoe = QString(), const QString& extra = QString())
    {
        return value(QStringLiteral("INSERT INTO main (ID, Datum, Uhrzeit, Schuhe, Kategorie, UserID, Gewicht, Ruhepuls, "
                              "Dauer) VALUES (gen_id(Gen_Main,1), ")
               + quoted(date) + ',' + quoted(time) + ',' + quoted(shoe) + QStringLiteral(", 'Laufen', ")
               + quoted(userId) + (extra.isEmpty() ? QStringLiteral(", '72.5', '50', '1:00'") : extra)
               + QStringLiteral(") RETURNING ID"))
            .toInt();
    }

    void addUnit(int entryId, int subId, const QString& km, const QString& time = QStringLiteral("00:30:00"),
                 const QString& pulse = QStringLiteral("150"), const QString& zone = QString())
    {
        exec(QStringLiteral("INSERT INTO units (ID, MainID, SubID, Strecke, Zeit, Puls, Bereich) VALUES "
                            "(gen_id(Gen_Units,1), ")
             + quoted(entryId) + ',' + quoted(subId) + ',' + quoted(km) + ',' + quoted(time) + ',' + quoted(pulse)
             + ',' + quoted(zone) + ')');
    }

    // Rebuilds the selector, picks the person and opens the editor as the user does.
    TForm4* openEditor(int userId)
    {
        m_main->ShowUsers();
        m_main->ComboBox1Change();
        const int index = m_main->ComboBox2->findText(QString::number(userId));
        m_main->ComboBox1->setCurrentIndex(index);
        m_main->ToolButton3->click();
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* editor = qobject_cast<TForm4*>(w); editor && !editor->testAttribute(Qt::WA_WState_Hidden)
                                                              && editor != m_editor.data())
                m_editor = editor;
        return m_editor.data();
    }

    // Closes the editor as the user does (the window releases itself).
    void closeEditor()
    {
        if (!m_editor)
            return;
        QPointer<TForm4> editor = m_editor;
        editor->close();
        QTRY_VERIFY(editor.isNull());
    }

    // Closes the editor and lets unsaved input go.
    void discardEditor()
    {
        if (m_editor && m_editor->hasUnsavedChanges())
            Messages::setNextAnswer(QMessageBox::No);
        closeEditor();
    }

private:
    std::unique_ptr<TestFolder> m_dir;
    std::unique_ptr<TForm1> m_main;
    QPointer<TForm4> m_editor;
};
