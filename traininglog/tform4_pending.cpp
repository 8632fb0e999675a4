// Handlers still to be written. Each developer moves the definitions of the
// handlers they build out of this file; the file goes when it is empty.
#include "tform4.h"

#include <QPlainTextEdit>

// --- basic data (new / change / check / save) ------------------------------
void TForm4::ReplaceTimeSigns(QPlainTextEdit*) {}
void TForm4::askToSaveChanges() {}
bool TForm4::CheckData() { return true; }
void TForm4::ToolButton1Click() {}
void TForm4::ToolButton13Click() {}
void TForm4::ToolButton10Click() {}
void TForm4::ComboBox1Exit() {}
void TForm4::ComboBox3Exit() {}
void TForm4::Memo1Exit() {}
void TForm4::Memo2Exit() {}

// --- units -------------------------------------------------------------------
void TForm4::SetSubID() {}
void TForm4::SpeedButton5Click() {}
void TForm4::Button1Click() {}
void TForm4::SpeedButton4Click() {}
void TForm4::SpeedButton3Click() {}
void TForm4::SpeedButton1Click() {}
void TForm4::SpeedButton2Click() {}
void TForm4::StringAlignGrid1SelectCell(int, int, bool*) {}
void TForm4::StringAlignGrid1DblClick() {}
void TForm4::EnhancedEdit5Change() {}
void TForm4::EnhancedEdit3Exit() {}
void TForm4::maskeditL2Exit() {}

// --- browsing: paging, deleting, list view -----------------------------------

// --- zone advice ---------------------------------------------------------------
