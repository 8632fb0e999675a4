#include "tform4.h"

#include "dateedit.h"
#include "diarycalc.h"
#include "errorboundary.h"
#include "fieldcolours.h"
#include "maskedit.h"
#include "numericedit.h"
#include "session.h"
#include "sqltext.h"
#include "stringgrid.h"
#include "textforms.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QToolButton>

namespace {

const QColor kLockedText(0x80, 0x80, 0x80); // 8421504

// Colours one field of the basic data: grey with grey text when locked,
// white with black text when open.
void paintBasicField(QWidget* field, bool locked)
{
    FieldColours::setBackground(field, locked ? FieldColours::grey() : FieldColours::white());
    QPalette p = field->palette();
    const QColor text = locked ? kLockedText : QColor(Qt::black);
    p.setColor(QPalette::Text, text);
    p.setColor(QPalette::Disabled, QPalette::Text, text);
    p.setColor(QPalette::ButtonText, text);
    p.setColor(QPalette::Disabled, QPalette::ButtonText, text);
    field->setPalette(p);
}

} // namespace

void TForm4::CheckMain(bool moveToLast)
{
    m_entries.clear();
    Query& q = query();
    q.open(QStringLiteral("SELECT  ID, Datum, Uhrzeit FROM main WHERE UserID = ") + quoted(m_userId)
           + QStringLiteral(" ORDER BY Datum, Uhrzeit"));
    for (q.first(); !q.eof(); q.next())
        m_entries << q.field(0).asString();
    if (moveToLast)
        m_position = int(m_entries.size()) - 1;
    setPanel(0, QStringLiteral("  ") + QString::number(m_entries.size()) + QStringLiteral(" Trainingseinheiten"));
    const bool any = !m_entries.isEmpty();
    for (QToolButton* b : {ToolButton2, ToolButton3, ToolButton4, ToolButton5, ToolButton6})
        b->setEnabled(any);
}

void TForm4::DisableMainControls()
{
    GroupBox2->setEnabled(false);
    for (QWidget* w : GroupBox2->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        if (!qobject_cast<QLabel*>(w))
            paintBasicField(w, true);
    for (QToolButton* b : {SpeedButton1, SpeedButton2, SpeedButton3, SpeedButton4, SpeedButton5, SpeedButton6})
        b->setEnabled(false);
    ToolButton10->setEnabled(false);
}

void TForm4::EnableMainControls()
{
    GroupBox2->setEnabled(true);
    for (QWidget* w : GroupBox2->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        if (!qobject_cast<QLabel*>(w))
            paintBasicField(w, false);
    for (QToolButton* b : {SpeedButton1, SpeedButton2, SpeedButton3, SpeedButton4, SpeedButton5})
        b->setEnabled(true);
    ToolButton10->setEnabled(true);
}

float TForm4::SumStrecke() const
{
    float sum = 0.0f;
    for (int row = 1; row < StringAlignGrid1->gridRowCount(); ++row) {
        const QString cell = StringAlignGrid1->cells(1, row);
        const qsizetype km = cell.indexOf(QLatin1String(" km"));
        bool ok = false;
        const double value = parseDecimal(km < 0 ? cell : cell.left(km), &ok);
        if (ok)
            sum += float(value);
    }
    return sum;
}
