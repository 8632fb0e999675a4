#include "tform4.h"

#include "diarycalc.h"
#include "fieldcolours.h"
#include "maskedit.h"
#include "messages.h"
#include "numericedit.h"
#include "stringgrid.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QToolButton>

void TForm4::DisableControls()
{
    for (QLineEdit* edit : std::initializer_list<QLineEdit*>{EnhancedEdit3, maskeditL2, EnhancedEdit4, EnhancedEdit5}) {
        edit->clear();
        FieldColours::setLocked(edit, true);
    }
    maskeditL2->clear();
    ComboBox4->setCurrentIndex(0);
    FieldColours::setLocked(ComboBox4, true);
    BitCheckBox1->setChecked(false);
    BitCheckBox1->setEnabled(false);
    Label15->setEnabled(false);
    Button1->setEnabled(false);
    Label19->clear();
    Label20->clear();
}

void TForm4::StringGridLeeren()
{
    StringAlignGrid1->clearRows();
    StringAlignGrid1->setGridRowCount(2);
}

namespace {

// The zone list's choice as the unit takes it: the item the text names, or
// -1 for a typed zone that is no item.
int zoneChoice(const QComboBox* zones)
{
    const QString text = zones->currentText();
    if (zones->currentIndex() >= 0 && zones->itemText(zones->currentIndex()) == text)
        return zones->currentIndex();
    for (int i = 0; i < zones->count(); ++i)
        if (zones->itemText(i) == text)
            return i;
    return -1;
}

void swapRows(StringGrid* grid, int a, int b)
{
    for (int column = 0; column < grid->columnCount(); ++column) {
        const QString cell = grid->cells(column, a);
        grid->setCells(column, a, grid->cells(column, b));
        grid->setCells(column, b, cell);
    }
}

} // namespace

QString TForm4::unitTimeText() const
{
    return maskeditL2->isEmpty() ? QString() : maskeditL2->text();
}

void TForm4::showUnitTotal()
{
    Label18->setText(entryDistanceText(SumStrecke()) + QStringLiteral(" km"));
}

void TForm4::SpeedButton5Click()
{
    m_unitChanging = -1;
    for (QLineEdit* edit : std::initializer_list<QLineEdit*>{EnhancedEdit3, maskeditL2, EnhancedEdit4, EnhancedEdit5}) {
        edit->clear();
        FieldColours::setLocked(edit, false);
    }
    ComboBox4->setCurrentIndex(0);
    FieldColours::setLocked(ComboBox4, false);
    BitCheckBox1->setEnabled(true);
    Label15->setEnabled(true);
    Button1->setEnabled(true);
    maskeditL2Exit();
    EnhancedEdit4Exit();
    EnhancedEdit3->setFocus();
    FieldColours::setLocked(StringAlignGrid1, false);
}

void TForm4::SpeedButton4Click()
{
    const int row = StringAlignGrid1->currentGridRow();
    bool ok = false;
    m_unitChanging = StringAlignGrid1->cells(0, row).section(QLatin1Char('.'), 0, 0).trimmed().toInt(&ok);
    if (!ok)
        m_unitChanging = -1;
    if (m_unitChanging <= 0)
        return;

    const QString distance = StringAlignGrid1->cells(1, row);
    const qsizetype km = distance.indexOf(QLatin1String(" km"));
    EnhancedEdit3->setText(km < 0 ? distance : distance.left(km));
    maskeditL2->setText(StringAlignGrid1->cells(2, row));
    EnhancedEdit4->setText(StringAlignGrid1->cells(3, row));
    const QString zone = StringAlignGrid1->cells(4, row);
    const int zoneIndex = ComboBox4->findText(zone, Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (zoneIndex >= 0)
        ComboBox4->setCurrentIndex(zoneIndex);
    else
        ComboBox4->setEditText(zone);

    for (QWidget* field : std::initializer_list<QWidget*>{EnhancedEdit3, maskeditL2, EnhancedEdit4, ComboBox4})
        FieldColours::setLocked(field, false);
    BitCheckBox1->setEnabled(false);
    EnhancedEdit5->clear();
    FieldColours::setLocked(EnhancedEdit5, true);
    Label15->setEnabled(false);
    Button1->setEnabled(true);
    maskeditL2Exit();
    EnhancedEdit4Exit();
}

void TForm4::StringAlignGrid1DblClick()
{
    SpeedButton4Click();
}

void TForm4::Button1Click()
{
    StringGrid* grid = StringAlignGrid1;
    const QString distance = EnhancedEdit3->text() + QStringLiteral(" km ");
    const int zoneIndex = zoneChoice(ComboBox4);
    if (m_unitChanging == -1) {
        int count = 1;
        if (BitCheckBox1->isChecked()) {
            bool ok = false;
            count = EnhancedEdit5->text().trimmed().toInt(&ok);
            if (!ok) {
                Messages::error(this, QStringLiteral("'%1' ist kein gültiger Integerwert").arg(EnhancedEdit5->text()));
                return;
            }
        }
        for (int i = 0; i < count; ++i) {
            const int row = grid->gridRowCount() - 1;
            grid->setCells(0, row, QString::number(row) + QStringLiteral(". "));
            grid->setCells(1, row, distance);
            grid->setCells(2, row, unitTimeText());
            grid->setCells(3, row, EnhancedEdit4->text());
            grid->setCells(4, row, zoneIndex != 0 ? ComboBox4->currentText() : QString());
            grid->addRow();
            grid->setCurrentGridRow(row);
        }
    } else {
        const int row = m_unitChanging;
        grid->setCells(1, row, distance);
        grid->setCells(2, row, unitTimeText());
        grid->setCells(3, row, EnhancedEdit4->text());
        if (zoneIndex != 0)
            grid->setCells(4, row, ComboBox4->currentText());
        grid->setCurrentGridRow(row);
    }
    showUnitTotal();
    DisableControls();
    setDirty();
}

void TForm4::SpeedButton3Click()
{
    if (Messages::confirm(this, QStringLiteral("Bestätigen"),
                          QStringLiteral("Möchten Sie den gewählten Eintrag löschen?"))) {
        const int row = StringAlignGrid1->currentGridRow();
        if (row >= StringAlignGrid1->firstDataRow() && !StringAlignGrid1->cells(0, row).isEmpty()) {
            StringAlignGrid1->removeRow(row - StringAlignGrid1->firstDataRow());
            SetSubID();
            DisableControls();
        }
    }
    showUnitTotal();
    setDirty();
}

void TForm4::SpeedButton1Click()
{
    const int row = StringAlignGrid1->currentGridRow();
    if (row > 1 && !StringAlignGrid1->cells(0, row).isEmpty()) {
        swapRows(StringAlignGrid1, row, row - 1);
        StringAlignGrid1->setCurrentGridRow(row - 1);
    }
    SetSubID();
    setDirty();
}

void TForm4::SpeedButton2Click()
{
    const int row = StringAlignGrid1->currentGridRow();
    if (row >= 1 && row != StringAlignGrid1->gridRowCount() - 2 && !StringAlignGrid1->cells(0, row).isEmpty()) {
        swapRows(StringAlignGrid1, row, row + 1);
        StringAlignGrid1->setCurrentGridRow(row + 1);
    }
    SetSubID();
    setDirty();
}

void TForm4::SetSubID()
{
    for (int row = 1; row <= StringAlignGrid1->gridRowCount() - 2; ++row)
        StringAlignGrid1->setCells(0, row, QString::number(row) + QStringLiteral(". "));
}

void TForm4::StringAlignGrid1SelectCell(int, int row, bool*)
{
    if (!StringAlignGrid1->isEnabled())
        return;
    const bool unit = !StringAlignGrid1->cells(0, row).isEmpty();
    for (QToolButton* b : {SpeedButton1, SpeedButton2, SpeedButton3, SpeedButton4})
        b->setEnabled(unit);
}

void TForm4::EnhancedEdit5Change()
{
    bool ok = false;
    int n = EnhancedEdit5->text().trimmed().toInt(&ok);
    if (!ok)
        n = 1;
    BitCheckBox1->setChecked(n >= 2);
    setDirty();
}

void TForm4::EnhancedEdit3Exit()
{
    Label19->setText(CalcPace(maskeditL2->text(), float(EnhancedEdit3->decimalValue())));
}

void TForm4::maskeditL2Exit()
{
    EnhancedEdit3Exit();
}
