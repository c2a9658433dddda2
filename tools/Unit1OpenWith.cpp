// The command that opens the Open With dialog.

#include "app/Unit1.h"

#include "tools/Unit8.h"

// The dialog reads openwith.ini at every showing; its program and mode stay as they were.
void TForm1::OpenWith1Click()
{
    Form8->FormShow();
    ShowSecondaryWindow(Form8);
}
