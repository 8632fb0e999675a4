#include "tform4.h"

#include "dateedit.h"
#include "diarycalc.h"
#include "fieldcolours.h"
#include "maskedit.h"
#include "numericedit.h"
#include "session.h"
#include "sqltext.h"
#include "stringgrid.h"

#include <QComboBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QToolButton>

void TForm4::Blaettern()
{
    for (QToolButton* b : {ToolButton3, ToolButton4, ToolButton5, ToolButton6, ToolButton13})
        b->setEnabled(true);
    if (m_position == 0) {
        ToolButton3->setEnabled(false);
        ToolButton4->setEnabled(false);
    }
    if (m_entries.size() == m_position + 1) {
        ToolButton5->setEnabled(false);
        ToolButton6->setEnabled(false);
    }

    Memo1->clear();
    Memo2->clear();
    StringGridLeeren();
    DisableControls();
    FieldColours::setLocked(StringAlignGrid1, true);
    DisableMainControls();

    if (m_entries.isEmpty() || m_position < 0 || m_position >= m_entries.size()) {
        Label16->setText(QStringLiteral("-1"));
        setPanel(3, QStringLiteral("  ID:"));
    } else {
        const QString id = m_entries.at(m_position);
        Label16->setText(id);
        setPanel(3, QStringLiteral("  ID: ") + id);
        Query& q = query();
        q.open(QStringLiteral("SELECT * FROM main WHERE ID = ") + quoted(id));
        if (!q.eof()) {
            // Read the whole row first: setting the shoe field reads the
            // shoe's mileage on the same shared query.
            QStringList f;
            for (int i = 0; i < q.fieldCount(); ++i)
                f << q.field(i).asString();
            const bool noRestPulse = q.field(5).asInteger() < 1;
            DateEdit1->setText(f[1]);
            maskeditL1->setText(f[2].left(5));
            ComboBox1->setEditText(f[3]);
            ComboBox2->setEditText(f[4]);
            EnhancedEdit1->setText(noRestPulse ? QString() : f[5]);
            ComboBox3->setEditText(f[6]);
            Memo2->setPlainText(f[7]);
            Memo1->setPlainText(f[8]);
            EnhancedEdit2->setText(f[10] == QLatin1String("-1") ? QString() : f[10]);
            maskeditL3->setText(f[11]);
        }
        q.open(QStringLiteral("SELECT * FROM units WHERE MainID = ") + quoted(id) + QStringLiteral(" ORDER BY subid"));
        int row = 1;
        for (q.first(); !q.eof(); q.next(), ++row) {
            StringAlignGrid1->setCells(0, row, q.field(QStringLiteral("SubID")).asString() + QStringLiteral(". "));
            StringAlignGrid1->setCells(1, row, entryDistanceText(q.field(QStringLiteral("strecke")).asFloat())
                                                   + QStringLiteral(" km "));
            const QString time = q.field(QStringLiteral("Zeit")).asString();
            StringAlignGrid1->setCells(2, row, time == QLatin1String("00:00:00") ? QString() : time);
            const QString pulse = q.field(QStringLiteral("Puls")).asString();
            StringAlignGrid1->setCells(3, row, pulse == QLatin1String("-1") ? QString() : pulse);
            StringAlignGrid1->setCells(4, row, q.field(QStringLiteral("Bereich")).asString());
            StringAlignGrid1->addRow();
        }
    }
    Label18->setText(entryDistanceText(SumStrecke()) + QStringLiteral(" km"));
    setPanel(2, QStringLiteral("  Eintrag ") + QString::number(m_position + 1) + QLatin1Char('/')
                    + QString::number(m_entries.size()));
    ToolButton2->setEnabled(Label16->text() != QLatin1String("-1") && ToolButton12->isChecked());
    GetDistShoe();
    m_dirty = false;
}
