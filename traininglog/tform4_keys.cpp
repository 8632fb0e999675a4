#include "tform4.h"

#include "dateedit.h"
#include "diaryforms.h"
#include "maskedit.h"
#include "numericedit.h"
#include "stringgrid.h"
#include "windowkeys.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShortcut>
#include <QToolButton>

void TForm4::setUpKeys()
{
    // The toolbar's actions from the keyboard; the arrows' keys page.
    const auto shortcut = [this](const QKeySequence& keys, QToolButton* button) {
        auto* s = new QShortcut(keys, this);
        s->setContext(Qt::WindowShortcut);
        connect(s, &QShortcut::activated, this, [this, button] { runFromKeyboard(button); });
    };
    shortcut(QKeySequence::Save, ToolButton10);
    shortcut(QKeySequence::New, ToolButton1);
    shortcut(QKeySequence::Open, ImportButton);
    shortcut(QKeySequence(Qt::Key_PageUp), ToolButton4);
    shortcut(QKeySequence(Qt::Key_PageDown), ToolButton5);

    // Esc closes the zone panel when it is open, else the window (with the
    // question about unsaved input). A field that has a change to undo
    // takes Esc for itself first.
    WindowKeys::closeOnEscape(this, [this] {
        if (Panel2->isVisible()) {
            SpeedButton7Click();
            ComboBox4->setFocus(Qt::OtherFocusReason);
        } else {
            close();
        }
    });
    WindowKeys::onEnter(StringAlignGrid3, [this] {
        SpeedButton8Click();
        ComboBox4->setFocus(Qt::OtherFocusReason);
    });

    // Times typed without all their digits are completed as meant ("715"
    // is 7:15 min); a duration may reach 99:59.
    for (MaskEdit* time : {maskeditL1, maskeditL2, maskeditL3})
        time->setCompletion(&completedTimeText);

    // The unit buttons are reached with Tab: "neuen Trainingsinhalt
    // erfassen" right after the last field of the basic data, the buttons of
    // the grid after the grid.
    for (QToolButton* b : {SpeedButton5, SpeedButton6, SpeedButton1, SpeedButton2, SpeedButton4, SpeedButton3})
        b->setFocusPolicy(Qt::TabFocus);
    const QList<QWidget*> order{DateEdit1,     maskeditL1,   ComboBox3,        EnhancedEdit1, EnhancedEdit2,
                                maskeditL3,    ComboBox1,    ComboBox2,        Memo1,         Memo2,
                                SpeedButton5,  EnhancedEdit3, maskeditL2,      EnhancedEdit4, ComboBox4,
                                SpeedButton6,  BitCheckBox1, EnhancedEdit5,    Button1,       StringAlignGrid1,
                                SpeedButton1,  SpeedButton2, SpeedButton4,     SpeedButton3,  StringAlignGrid3,
                                SpeedButton7,  SpeedButton8};
    for (qsizetype i = 1; i < order.size(); ++i)
        setTabOrder(order[i - 1], order[i]);

    WindowKeys::assignMnemonics(this);
}

void TForm4::runFromKeyboard(QToolButton* button)
{
    if (!button->isEnabled() || !button->isVisible())
        return;
    // The field with the focus is left first, so that its checks and leave
    // handlers have run; an input it refuses stops the action.
    const WindowKeys::LeftField left(this);
    if (left.ok())
        button->click();
}
