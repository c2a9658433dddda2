#pragma once

#include "app/TextEdits.h"

#include <QRgb>
#include <QString>
#include <QStringView>

#include <vector>

class ColorRanges;

// The text processing of Replace Special, Copy Special and Paste Special. Texts have CR LF
// line breaks, as the editor control gives them out.

// How a repeated replacement came out.
enum class ReplacementOutcome {
    Done,     // the edits give the result (none when nothing changes)
    Endless,  // the replacing would not come to an end in reasonable time: no edits
    TooLarge, // the text would grow beyond four times its size: no edits
};

struct ReplacementResult {
    ReplacementOutcome outcome = ReplacementOutcome::Done;
    std::vector<TextEdit> edits;
};

// Replacing the first occurrence of find by replacement, again and again from the start,
// until no occurrence is left, as edits of the text: occurrences that earlier replacements
// form are replaced too. Without matchCase the letters a-z and A-Z match either case. No
// edit when find is empty or the result is the text itself.
//
// The result comes in one left-to-right scan: after a replacement the scan resumes at most
// find's length minus one before it, since nothing before that can have changed. A
// replacement that holds find itself would go on for ever: it gets one left-to-right pass
// instead, each occurrence of the text replaced once and the replacements not searched
// again. Others that make new occurrences again and again are stopped by limits of work and
// size, and the text is left as it is.
ReplacementResult RepeatedReplacementEdits(QStringView text, QStringView find,
                                           QStringView replacement, bool matchCase);

// Deletes text's occurrences of removed (exact case) until none is left; nothing when
// removed is empty.
QString RemoveRepeatedly(QStringView text, QStringView removed);

// Deletes every CR LF pair; a lone CR or LF stays.
QString RemoveLineBreaks(QStringView text);

// Drops the tags ("<" to ">") and a ">" outside any tag; a line break right after a ">"
// goes with it. Entities stay as they are.
QString StripHtml(QStringView text);

// The characters of text coloured with highlight, run after run, the runs joined by one
// space; a highlighted line break gives its LF without the CR. text starts at the document
// position docStart of the document that colors belong to; a line break (CR LF) is one
// document position.
QString HighlightedRuns(QStringView text, int docStart, const ColorRanges& colors, QRgb highlight);
