// Handlers still to be written. Each developer moves the definitions of the
// handlers they build out of this file; the file goes when it is empty.
#include "tform4.h"

#include <QPlainTextEdit>

// --- basic data (new / change / check / save) ------------------------------

// --- units -------------------------------------------------------------------

// --- browsing: paging, deleting, list view -----------------------------------
void TForm4::ToolButton2Click() {}
void TForm4::ToolButton3Click() {}
void TForm4::ToolButton4Click() {}
void TForm4::ToolButton5Click() {}
void TForm4::ToolButton6Click() {}
void TForm4::ToolButton8Click() {}
void TForm4::ToolButton12Click() {}
void TForm4::StringAlignGrid2SelectCell(int, int, bool*) {}
void TForm4::StringAlignGrid2DblClick() {}

// --- zone advice ---------------------------------------------------------------
bool TForm4::DontShowDialogAgain(const QString&) { return false; }
void TForm4::ShowRoundPanel() {}
void TForm4::EnhancedEdit4Enter() {}
void TForm4::EnhancedEdit4Exit() {}
void TForm4::ComboBox4Change() {}
void TForm4::SpeedButton6Click() {}
void TForm4::SpeedButton7Click() {}
void TForm4::SpeedButton8Click() {}
void TForm4::StringAlignGrid3DblClick() {}
