#include "tform4.h"

#include "fieldcolours.h"
#include "maskedit.h"
#include "numericedit.h"
#include "stringgrid.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>

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
