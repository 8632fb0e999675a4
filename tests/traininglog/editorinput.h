#pragma once

#include "dateedit.h"
#include "messages.h"
#include "maskedit.h"
#include "numericedit.h"
#include "session.h"
#include "stringgrid.h"
#include "tform4.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QFocusEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QToolButton>

// Typing into the editor through its named controls, as the user does.
namespace editorinput {

template <typename T>
T* control(TForm4* w, const char* name)
{
    T* c = w->findChild<T*>(QString::fromLatin1(name));
    if (!c)
        qFatal("control %s not found", name);
    return c;
}

inline QToolButton* tool(TForm4* w, const char* name)
{
    return control<QToolButton>(w, name);
}

inline StringGrid* units(TForm4* w)
{
    return control<StringGrid>(w, "StringAlignGrid1");
}

// The field loses the focus (runs its leave handler).
inline void leave(QWidget* field)
{
    QFocusEvent event(QEvent::FocusOut, Qt::TabFocusReason);
    QCoreApplication::sendEvent(field, &event);
}

// Runs an action that may ask: the given answers first, then OK to any
// further box, so that an unexpected box is recorded instead of waiting for
// a user. Check Messages::shown() afterwards.
template <typename Action>
void answering(std::initializer_list<QMessageBox::StandardButton> answers, Action action)
{
    Messages::clearQueuedAnswers();
    for (QMessageBox::StandardButton answer : answers)
        Messages::setNextAnswer(answer);
    for (int i = 0; i < 4; ++i)
        Messages::setNextAnswer(QMessageBox::Ok);
    action();
    Messages::clearQueuedAnswers();
}

// "Neuer Eintrag" (discarding unsaved changes) and the basic data of a valid entry.
inline void newEntry(TForm4* w, const QString& date = QStringLiteral("01.03.2025"),
                     const QString& time = QStringLiteral("08:30"), const QString& sport = QStringLiteral("Laufen"))
{
    answering({QMessageBox::No}, [w] { tool(w, "ToolButton1")->click(); });
    control<DateEdit>(w, "DateEdit1")->setText(date);
    control<MaskEdit>(w, "maskeditL1")->setText(time);
    control<QComboBox>(w, "ComboBox3")->setEditText(sport);
}

// "neuer Eintrag" of the units, the unit's fields and "Eintragen".
inline void enterUnit(TForm4* w, const QString& km, const QString& time = QString(), const QString& pulse = QString(),
                      int zone = 0)
{
    tool(w, "SpeedButton5")->click();
    control<NumericEdit>(w, "EnhancedEdit3")->setText(km);
    control<MaskEdit>(w, "maskeditL2")->setText(time);
    control<NumericEdit>(w, "EnhancedEdit4")->setText(pulse);
    control<QComboBox>(w, "ComboBox4")->setCurrentIndex(zone);
    control<QPushButton>(w, "Button1")->click();
}

// "Eingaben speichern".
inline void save(TForm4* w, std::initializer_list<QMessageBox::StandardButton> answers = {})
{
    answering(answers, [w] { tool(w, "ToolButton10")->click(); });
}

// Field 0 of every row of a select, joined by ",".
inline QString rows(Session& session, const QString& sql)
{
    QStringList values;
    for (const ResultRow& row : session.ZDatabase1.select(sql).rows)
        values << row.value(0).asString();
    return values.join(QLatin1Char(','));
}

} // namespace editorinput
