#include "tform1.h"
#include "tform4.h"

// The main window opens the editor on its own session; this way stays until
// its construction line passes the session itself.
TForm4::TForm4(int userId, QWidget* parent) : TForm4(static_cast<TForm1*>(parent)->session(), userId, parent)
{
}
