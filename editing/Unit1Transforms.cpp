// Copy Special, Paste Special and Replace Special: the commands that open their dialogs.

#include "app/Unit1.h"

#include "editing/Unit6.h"
#include "editing/Unit9.h"

void TForm1::CopySpecial1Click()
{
    Form6->Prepare(tr("Copy Special"), tr("Copy"), TForm6::CopyPage);
    ShowSecondaryWindow(Form6);
}

void TForm1::PasteSpecial1Click()
{
    Form6->Prepare(tr("Paste Special"), tr("Paste"), TForm6::PastePage);
    ShowSecondaryWindow(Form6);
}

void TForm1::ReplaceSpecial1Click()
{
    ShowSecondaryWindow(Form9);
}
