#include "app/Unit1.h"
#include "app/Unit7.h"
#include "browser/Unit3.h"
#include "browser/Unit4.h"
#include "editing/Unit11.h"
#include "editing/Unit13.h"
#include "editing/Unit6.h"
#include "editing/Unit9.h"
#include "platform/Clock.h"
#include "platform/Prompts.h"
#include "platform/Shell.h"
#include "prefs/Unit5.h"
#include "tools/Unit10.h"
#include "tools/Unit12.h"
#include "tools/Unit14.h"
#include "tools/Unit2.h"
#include "tools/Unit8.h"

#include <QApplication>
#include <QIcon>

int main(int argc, char** argv)
{
    // Every argument names the file to open: none of them is for Qt (its options remain
    // available through its environment variables).
    const QStringList arguments = ProgramArguments(argc, argv);
    int qtArgc = 1;
    QApplication app(qtArgc, argv);
    QApplication::setApplicationName(QStringLiteral("Tavro"));
    // Lets the desktop match the windows with the installed desktop entry and its icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("tavro"));

    DesktopPrompts prompts;
    DesktopShell shell;
    SystemClock clock;
    Platform platform{prompts, shell, clock};

    TForm1 form1(platform);
    form1.CommandLineParameters = arguments;
    prompts.setParent(&form1);
    // The other windows, in their order of creation; the main window owns them.
    new TForm2(form1, shell);
    new TForm4(&form1);
    new TForm3(form1, platform);
    new TForm7(&form1);
    new TForm8(form1, platform);
    new TForm13(&form1);
    new Tsetfilters(form1, prompts);
    new TForm6(form1);
    new TForm9(form1);
    new TForm10(form1, prompts);
    new TForm11(form1);
    new TForm12(form1);
    new TForm14(form1, prompts);
    // Every window without an icon of its own shows the program's (the resources are
    // registered by the main window).
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/tavro.svg")));

    form1.show();
    return QApplication::exec();
}
