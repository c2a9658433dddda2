#pragma once

#include "FixedClock.h"
#include "ScriptedPrompts.h"
#include "ScriptedShell.h"
#include "TestEnvironment.h"

#include "platform/Platform.h"

#include <memory>

class TForm1;
class TForm3;
class TForm4;
class TScrollMemo;
class TForm7;
class TForm8;
class TForm13;
class Tsetfilters;
class TForm6;
class TForm9;
class TForm11;
class TForm12;
class TForm14;
class TForm10;
class TForm2;

// The real main window with all its other windows (About, Browse Files and its find dialog,
// Open Files, Open With, Find and Highlight, Preferences, Copy/Paste Special, Replace Special,
// Overview, Auto Complete, Calculator, Favourites), on scripted prompts, shell and clock, in a
// fresh test environment. Created hidden, as at program start.
class MainWindowHarness
{
public:
    MainWindowHarness();
    ~MainWindowHarness();

    // Shows the main window (its first showing runs New when OpenNew is on) and waits
    // until it is the active window; false when it never became active.
    bool show();
    // Shows the main window with its one document holding text (no undo history,
    // unmodified) and [start, start + length) selected; nullptr when it never became active.
    TScrollMemo* showWithText(const QString& text, int start = 0, int length = 0);
    // Starts the main window anew in the same environment, as the next run of the program
    // would (it reads the settings files the last one wrote).
    void restart();

    TestEnvironment environment;
    ScriptedPrompts prompts;
    ScriptedShell shell;
    FixedClock clock;
    Platform platform{prompts, shell, clock};
    std::unique_ptr<TForm1> form1;
    TForm7* form7 = nullptr;           // owned by form1
    TForm8* form8 = nullptr;           // owned by form1
    TForm13* form13 = nullptr;         // owned by form1
    Tsetfilters* setfilters = nullptr; // owned by form1
    TForm6* form6 = nullptr;           // owned by form1
    TForm9* form9 = nullptr;           // owned by form1
    TForm10* form10 = nullptr;         // owned by form1
    TForm11* form11 = nullptr;         // owned by form1
    TForm12* form12 = nullptr;         // owned by form1
    TForm14* form14 = nullptr;         // owned by form1
    TForm4* form4 = nullptr;           // owned by form1
    TForm3* form3 = nullptr;           // owned by form1
    TForm2* form2 = nullptr;           // owned by form1

private:
    void createOtherWindows();
};
