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
    StringAlignGrid1->clearRows();
    StringAlignGrid1->setGridRowCount(2);
}

namespace {

// The role under which a loaded unit keeps its distance as stored.
constexpr int kStoredDistance = Qt::UserRole;

QString loadedDistanceText(double km)
{
    return entryDistanceText(km) + QStringLiteral(" km ");
}

// Swaps two rows whole, so that what a cell keeps besides its text moves too.
void swapRows(StringGrid* grid, int a, int b)
{
    const int ta = a - grid->firstDataRow();
    const int tb = b - grid->firstDataRow();
    for (int column = 0; column < grid->columnCount(); ++column) {
        // A unit row has all its cells; a missing one is an empty cell.
        grid->setCells(column, a, grid->cells(column, a));
        grid->setCells(column, b, grid->cells(column, b));
        QTableWidgetItem* cellA = grid->takeItem(ta, column);
        QTableWidgetItem* cellB = grid->takeItem(tb, column);
        grid->setItem(ta, column, cellB);
        grid->setItem(tb, column, cellA);
    }
}

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

void TForm4::setStoredDistance(int row, double km)
{
    StringAlignGrid1->setCells(1, row, loadedDistanceText(km));
    if (QTableWidgetItem* cell = StringAlignGrid1->item(row - StringAlignGrid1->firstDataRow(), 1))
        cell->setData(kStoredDistance, km);
}

bool TForm4::storedDistance(int row, double* km) const
{
    const QTableWidgetItem* cell = StringAlignGrid1->item(row - StringAlignGrid1->firstDataRow(), 1);
    if (!cell)
        return false;
    const QVariant stored = cell->data(kStoredDistance);
    if (!stored.isValid() || cell->text() != loadedDistanceText(stored.toDouble()))
        return false;
    *km = stored.toDouble();
    return true;
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
        const QString distance = StringAlignGrid1->cells(1, row);
        const qsizetype km = distance.indexOf(QLatin1String(" km"));
        EnhancedEdit3->setText(km < 0 ? distance : distance.left(km));
        maskeditL2->setText(StringAlignGrid1->cells(2, row));
        EnhancedEdit4->setText(StringAlignGrid1->cells(3, row));
        const QString zone = StringAlignGrid1->cells(4, row);
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
    StringGrid* grid = StringAlignGrid1;
    const QString distance = EnhancedEdit3->text() + QStringLiteral(" km ");
    const int zone = zoneIndex();
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
            grid->setCells(4, row, zone != 0 ? ComboBox4->currentText() : QString());
            grid->addRow();
            grid->setCurrentGridRow(row);
        }
    } else {
        const int row = m_unitChanging;
        grid->setCells(1, row, distance);
        grid->setCells(2, row, unitTimeText());
        grid->setCells(3, row, EnhancedEdit4->text());
        if (zone != 0)
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
                          QStringLiteral("Möchten Sie den gewählten Trainingsinhalt löschen?"))) {
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
        followMovedUnit(m_unitChanging, row, row - 1);
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
        followMovedUnit(m_unitChanging, row, row + 1);
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
    // The time as the field completes it on leaving: the leave handler runs
    // before the field has taken the completed text. A ride shows its speed.
    Label19->setText(unitPaceText(ComboBox3->currentText(), maskeditL2->completedText(),
                                  float(EnhancedEdit3->decimalValue())));
}

void TForm4::maskeditL2Exit()
{
    EnhancedEdit3Exit();
}
