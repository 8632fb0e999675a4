#include "tform4.h"

#include "diarycalc.h"
#include "fieldcolours.h"
#include "maskedit.h"
#include "messages.h"
#include "numericedit.h"
#include "stringgrid.h"

#include <QCheckBox>
#include <QSignalBlocker>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QToolButton>

#include <vector>

namespace {

// Fields the program fills itself: their change handlers are for the user's
// typing, so they stay quiet while these blockers live.
std::vector<QSignalBlocker> quiet(std::initializer_list<QObject*> fields)
{
    std::vector<QSignalBlocker> blockers;
    blockers.reserve(fields.size());
    for (QObject* field : fields)
        blockers.emplace_back(field);
    return blockers;
}

} // namespace

void TForm4::resetUnitEditors(bool locked)
{
    m_unitChanging = -1;
    m_zoneChecked.clear();
    const auto blockers = quiet({EnhancedEdit3, maskeditL2, EnhancedEdit4, EnhancedEdit5, ComboBox4});
    for (NumericEdit* edit : {EnhancedEdit3, EnhancedEdit4, EnhancedEdit5}) {
        edit->clear();
        FieldColours::setLocked(edit, locked);
    }
    maskeditL2->clear();
    FieldColours::setLocked(maskeditL2, locked);
    ComboBox4->setCurrentIndex(0);
    ComboBox4->lineEdit()->setCursorPosition(0);
    FieldColours::setLocked(ComboBox4, locked);
    // No repetitions, no series.
    BitCheckBox1->setChecked(false);
    BitCheckBox1->setEnabled(!locked);
    Label15->setEnabled(!locked);
    Button1->setEnabled(!locked);
}

void TForm4::DisableControls()
{
    // Nothing is being changed any more: a later "Eintragen" needs a unit
    // opened anew.
    resetUnitEditors(true);
    Label19->clear();
    Label20->clear();
}

void TForm4::StringGridLeeren()
{
    m_model.clearUnits();
    showUnits();
}

void TForm4::showUnits(int currentRow)
{
    StringGrid* grid = StringAlignGrid1;
    grid->clearRows();
    grid->setGridRowCount(2);
    for (const EditorModel::Unit& unit : m_model.units()) {
        const int row = grid->gridRowCount() - 1;
        grid->setCells(0, row, unit.number);
        grid->setCells(1, row, unit.distance);
        grid->setCells(2, row, unit.time);
        grid->setCells(3, row, unit.pulse);
        grid->setCells(4, row, unit.zone);
        grid->addRow();
    }
    if (currentRow > 0)
        grid->setCurrentGridRow(currentRow);
}

namespace {

// The unit open for change is the unit, wherever it moves.
void followMovedUnit(int& changing, int a, int b)
{
    if (changing == a)
        changing = b;
    else if (changing == b)
        changing = a;
}

} // namespace

int TForm4::zoneIndex() const
{
    const QString text = ComboBox4->currentText();
    const int current = ComboBox4->currentIndex();
    if (current >= 0 && ComboBox4->itemText(current) == text)
        return current;
    return ComboBox4->findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive);
}

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
    resetUnitEditors(false);
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

    {
        // Loading is no input: no zone warning, no unsaved change.
        const auto blockers = quiet({EnhancedEdit3, maskeditL2, EnhancedEdit4, EnhancedEdit5, ComboBox4});
        const EditorModel::Unit unit = m_model.units().value(row - 1);
        const qsizetype km = unit.distance.indexOf(QLatin1String(" km"));
        EnhancedEdit3->setText(km < 0 ? unit.distance : unit.distance.left(km));
        maskeditL2->setText(unit.time);
        EnhancedEdit4->setText(unit.pulse);
        const QString& zone = unit.zone;
        const int item = ComboBox4->findText(zone, Qt::MatchExactly | Qt::MatchCaseSensitive);
        if (item >= 0)
            ComboBox4->setCurrentIndex(item);
        else
            ComboBox4->setEditText(zone);
        ComboBox4->lineEdit()->setCursorPosition(0);
        EnhancedEdit5->clear();
        BitCheckBox1->setChecked(false);
    }

    for (QWidget* field : std::initializer_list<QWidget*>{EnhancedEdit3, maskeditL2, EnhancedEdit4, ComboBox4})
        FieldColours::setLocked(field, false);
    BitCheckBox1->setEnabled(false);
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
    // A zone typed and entered at once is checked now; who asks to see the
    // advised zones picks one before the unit goes in.
    if (checkZoneAgainstAdvice())
        return;
    const int zone = zoneIndex();
    const QString zoneText = zone != 0 ? ComboBox4->currentText() : QString();
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
        m_model.addUnits(EnhancedEdit3->text(), unitTimeText(), EnhancedEdit4->text(), zoneText, count);
        showUnits(count > 0 ? int(m_model.units().size()) : -1);
    } else {
        m_model.changeUnit(m_unitChanging - 1, EnhancedEdit3->text(), unitTimeText(), EnhancedEdit4->text(),
                           zoneText);
        showUnits(m_unitChanging);
    }
    showUnitTotal();
    DisableControls();
    setDirty();
}

void TForm4::SpeedButton3Click()
{
    if (Messages::confirm(this, QStringLiteral("Bestätigen"),
                          QStringLiteral("Möchten Sie den gewählten Trainingsinhalt löschen?"))) {
        const int row = StringAlignGrid1->currentGridRow();
        if (row >= StringAlignGrid1->firstDataRow() && !StringAlignGrid1->cells(0, row).isEmpty()) {
            m_model.removeUnit(row - 1);
            showUnits();
            // The row that moved up into its place is the current one.
            StringAlignGrid1->setCurrentGridRow(row, false);
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
        m_model.moveUnit(row - 1, -1);
        followMovedUnit(m_unitChanging, row, row - 1);
        showUnits(row - 1);
    } else {
        SetSubID();
    }
    setDirty();
}

void TForm4::SpeedButton2Click()
{
    const int row = StringAlignGrid1->currentGridRow();
    if (row >= 1 && row != StringAlignGrid1->gridRowCount() - 2 && !StringAlignGrid1->cells(0, row).isEmpty()) {
        m_model.moveUnit(row - 1, +1);
        followMovedUnit(m_unitChanging, row, row + 1);
        showUnits(row + 1);
    } else {
        SetSubID();
    }
    setDirty();
}

void TForm4::SetSubID()
{
    m_model.renumberUnits();
    const int row = StringAlignGrid1->currentGridRow();
    showUnits();
    StringAlignGrid1->setCurrentGridRow(row, false);
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
    // The time as the field completes it on leaving: the leave handler runs
    // before the field has taken the completed text. A ride shows its speed.
    Label19->setText(unitPaceText(ComboBox3->currentText(), maskeditL2->completedText(),
                                  float(EnhancedEdit3->decimalValue())));
}

void TForm4::maskeditL2Exit()
{
    EnhancedEdit3Exit();
}
