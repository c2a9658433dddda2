#pragma once

#include "app/TextFile.h"

#include <QString>

#include <vector>

// The undo steps of a text, each made of the changes it made. A step of typing or deleting
// takes in the next keystroke that goes on from where it ended, as long as the text is
// modified, so that Undo takes back a typed word at once.
class UndoHistory
{
public:
    enum class Kind { Typing, Deleting, Other };

    // One change in document positions of the text as it was when the change was made:
    // removed (with the kinds of its line breaks) gave way to added characters at from.
    struct Change {
        int from = 0;
        QString removed;
        std::vector<LineBreak> removedBreaks;
        int added = 0;
    };

    // Records a change as a step of its own, or as part of the last step when it continues
    // it; while a group is open every change joins the group's step.
    void record(Change change, Kind kind);
    // The changes recorded until endGroup form one step (Replace All).
    void beginGroup();
    void endGroup();

    bool canUndo() const { return !m_steps.empty(); }
    // The last step's changes, to be undone last change first; the step is gone.
    std::vector<Change> takeLast();
    void clear();

    // The text is clean (unmodified) while it is at the step it was marked clean at.
    bool isClean() const { return m_cleanId == currentId(); }
    void markClean() { m_cleanId = currentId(); }
    void markModified() { m_cleanId = NeverClean; }

private:
    struct Step {
        quint64 id = 0;
        Kind kind = Kind::Other;
        std::vector<Change> changes;
    };
    static constexpr quint64 NeverClean = ~quint64(0);
    quint64 currentId() const { return m_steps.empty() ? 0 : m_steps.back().id; }
    bool joins(const Change& change, Kind kind) const;

    std::vector<Step> m_steps;
    quint64 m_nextId = 1;
    quint64 m_cleanId = 0;
    int m_groupDepth = 0;
    bool m_groupStarted = false;
    // The last step may take in the next keystroke: not once it has been undone down to.
    bool m_lastJoinable = false;
};
