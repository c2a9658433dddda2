#include "app/UndoHistory.h"

// Typing joins typing that ended where it goes on; Backspace joins deleting that began where
// it ends, Delete deleting that began at the same place. A line break deleted starts a
// step of its own, as does typing given as Kind::Other (a typed line break).
bool UndoHistory::joins(const Change& change, Kind kind) const
{
    if (kind == Kind::Other || !m_lastJoinable || isClean())
        return false;
    const Step& last = m_steps.back();
    if (last.kind != kind || last.changes.size() != 1)
        return false;
    const Change& before = last.changes.front();
    if (kind == Kind::Typing) {
        return change.removed.isEmpty() && before.removed.isEmpty() &&
               change.from == before.from + before.added;
    }
    if (change.added != 0 || before.added != 0 || change.removed.contains(u'\n') ||
        before.removed.contains(u'\n'))
        return false;
    return change.from == before.from || change.from + change.removed.size() == before.from;
}

void UndoHistory::record(Change change, Kind kind)
{
    if (m_groupDepth > 0 && m_groupStarted) {
        m_steps.back().changes.push_back(std::move(change));
        return;
    }
    if (joins(change, kind)) {
        Change& before = m_steps.back().changes.front();
        if (kind == Kind::Typing) {
            before.added += change.added;
        } else if (change.from == before.from) { // Delete
            before.removed += change.removed;
            before.removedBreaks.insert(before.removedBreaks.end(), change.removedBreaks.begin(),
                                        change.removedBreaks.end());
        } else { // Backspace
            before.from = change.from;
            before.removed.prepend(change.removed);
            before.removedBreaks.insert(before.removedBreaks.begin(), change.removedBreaks.begin(),
                                        change.removedBreaks.end());
        }
        return;
    }
    m_steps.push_back({m_nextId++, kind, {std::move(change)}});
    m_groupStarted = m_groupDepth > 0;
    m_lastJoinable = true;
}

void UndoHistory::beginGroup()
{
    if (m_groupDepth++ == 0)
        m_groupStarted = false;
}

void UndoHistory::endGroup()
{
    if (m_groupDepth > 0 && --m_groupDepth == 0)
        m_groupStarted = false;
}

std::vector<UndoHistory::Change> UndoHistory::takeLast()
{
    if (m_steps.empty())
        return {};
    std::vector<Change> changes = std::move(m_steps.back().changes);
    m_steps.pop_back();
    m_lastJoinable = false;
    return changes;
}

void UndoHistory::clear()
{
    const bool clean = isClean();
    m_steps.clear();
    m_lastJoinable = false;
    m_cleanId = clean ? 0 : NeverClean;
}
