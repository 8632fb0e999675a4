#pragma once

#include "editorfixture.h"
#include "tform5.h"

#include <QApplication>

// Picks the person in the main window and opens the statistics window
// through its toolbar button, as the user does; the window that opened.
inline TForm5* openStatistics(EditorFixture& fx, int userId)
{
    fx.main().ShowUsers();
    fx.main().ComboBox1->setCurrentIndex(fx.main().ComboBox2->findText(QString::number(userId)));
    fx.main().ComboBox1Change();
    fx.main().ToolButton6->click();
    TForm5* found = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* f = qobject_cast<TForm5*>(w); f && f->isVisible())
            found = f;
    return found;
}
