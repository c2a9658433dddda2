#pragma once

class Clock;
class Prompts;
class Shell;

// The program's contact with the outside: production objects in the program, scripted
// ones in tests. Not owned.
struct Platform {
    Prompts& prompts;
    Shell& shell;
    Clock& clock;
};
