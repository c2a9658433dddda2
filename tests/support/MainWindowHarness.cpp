#include "MainWindowHarness.h"

#include "app/Scrlmemo.h"
#include "app/Unit1.h"
#include "app/Unit7.h"
#include "browser/Unit3.h"
#include "browser/Unit4.h"
#include "editing/Unit11.h"
#include "editing/Unit13.h"
#include "editing/Unit6.h"
#include "editing/Unit9.h"
#include "prefs/Unit5.h"
#include "tools/Unit10.h"
#include "tools/Unit12.h"
#include "tools/Unit14.h"
#include "tools/Unit2.h"
#include "tools/Unit8.h"

#include <QTest>

MainWindowHarness::MainWindowHarness() : form1(std::make_unique<TForm1>(platform))
{
    createOtherWindows();
}

MainWindowHarness::~MainWindowHarness() = default;

// In the program's order of creation; the main window owns them.
void MainWindowHarness::createOtherWindows()
{
    form2 = new TForm2(*form1, shell);
    form4 = new TForm4(form1.get());
    form3 = new TForm3(*form1, platform);
    form7 = new TForm7(form1.get());
    form8 = new TForm8(*form1, platform);
    form13 = new TForm13(form1.get());
    setfilters = new Tsetfilters(*form1, prompts);
    form6 = new TForm6(*form1);
    form9 = new TForm9(*form1);
    form10 = new TForm10(*form1, prompts);
    form11 = new TForm11(*form1);
    form12 = new TForm12(*form1);
    form14 = new TForm14(*form1, prompts);
}

void MainWindowHarness::restart()
{
    form1.reset();
    form1 = std::make_unique<TForm1>(platform);
    createOtherWindows();
}

bool MainWindowHarness::show()
{
    form1->show();
    form1->activateWindow();
    return QTest::qWaitForWindowActive(form1.get());
}

TScrollMemo* MainWindowHarness::showWithText(const QString& text, int start, int length)
{
    if (!show())
        return nullptr;
    TScrollMemo* memo = form1->ActiveMemo();
    memo->SetFullText(text);
    memo->SetModifiedFlag(false);
    memo->SetSelStart(start);
    memo->SetSelLength(length);
    return memo;
}
