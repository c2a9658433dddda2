#pragma once

#include "app/TextFile.h"

#include <QByteArray>
#include <QString>
#include <QStringView>

#include <memory>
#include <vector>

// The text of a document: lines joined by single '\n' breaks ("document positions": a line
// break counts one), each break keeping the kind it is saved with. A loaded file's bytes stay
// as they are, in their encoding, and are decoded a piece at a time when text is asked for;
// edited stretches keep their text apart. No object is made per line: lines and positions
// are found through an index over pieces in O(log n) plus a scan of one piece.
class TextStore
{
public:
    TextStore();
    // Loaded bytes are cut into pieces of about pieceSize bytes, edited text into pieces of
    // about pieceSize characters (tests use small ones to cross piece edges often).
    explicit TextStore(qsizetype pieceSize);
    ~TextStore();
    TextStore(const TextStore&) = delete;
    TextStore& operator=(const TextStore&) = delete;
    void swap(TextStore& other) noexcept { d.swap(other.d); }

    // One edit for replace(): [from, to) of the text before any of the edits gives way to
    // text ('\n' breaks).
    struct Edit {
        int from = 0;
        int to = 0;
        QString text;
    };

    // A new text from a file's bytes, in one pass over them. The bytes are UTF-8 when they
    // are valid UTF-8 (byte order marks stay part of the text), else one byte is one
    // character (Latin-1), so that any bytes survive a save. Each CR LF, LF or CR is a line break
    // of that kind. The format tells the encoding and the kind of the first break (LF when there is
    // none). The bytes are kept, not copied. False, with the text left empty, when the text would
    // be longer than MaxTextLength counting each break as two.
    bool load(QByteArray bytes, FileFormat& format);
    // A new text ('\n' breaks), every break of the kind given. False, with the text left
    // empty, when it is longer than MaxTextLength counting each break as two.
    bool setText(QStringView text, LineBreak kind);
    // The other store's text and breaks.
    void copyFrom(const TextStore& other);

    int length() const;    // in document positions
    int lineCount() const; // line breaks + 1
    // The document position of the line's first character; line in [0, lineCount()).
    int lineStart(int line) const;
    int lineLength(int line) const; // without its break
    // The line holding pos in [0, length()]; a break belongs to the line it ends.
    int lineAt(int pos) const;
    QChar charAt(int pos) const; // '\n' for a break, null at the end
    QString text(int from, int to) const;
    // The text of [from, to) with each break as CR LF.
    QString crLfText(int from, int to) const;
    // The document position of a position that counts each break as two characters (CR
    // LF); one between the two halves of a break is the end of its line.
    int fromCrLfPos(int pos) const;
    QString lineText(int line) const;
    // Part of a line: at most length characters from its character from on.
    QString lineText(int line, int from, int length) const;
    // The break that ends line (line < lineCount() - 1).
    LineBreak lineBreak(int line) const;
    void setLineBreak(int line, LineBreak kind);
    // The kinds of the breaks in [from, to), in order.
    std::vector<LineBreak> lineBreaks(int from, int to) const;

    // Replaces [from, to) by text ('\n' breaks). The breaks the text brings are of kind
    // newBreak, or take kinds in order when given (an undo putting breaks back); the breaks
    // outside the stretch keep theirs, so the rest of a split line ends as the whole line
    // did, and a joined line ends as its last part did. False, with the text unchanged, when
    // the result could grow past MaxTextLength.
    bool replace(int from, int to, QStringView text, LineBreak newBreak,
                 const std::vector<LineBreak>* kinds = nullptr);
    // The edits (ascending, not overlapping) in one pass over the text: a Replace All of
    // 100,000 matches costs about as much as one pass over the text. The breaks the texts
    // bring take kinds in order when given. False as above.
    bool replace(const std::vector<Edit>& edits, LineBreak newBreak,
                 const std::vector<LineBreak>* kinds = nullptr);

    // The bytes of the lines from line first on, each with its own break (the last line of
    // the text has none), in the encoding given, until about maxBytes are given; next
    // receives the line to go on from, or -1 after the last. Lines loaded and not edited
    // are given as their bytes when the encoding is the one they were loaded in.
    QByteArray bytes(int first, qsizetype maxBytes, TextEncoding encoding, int& next) const;

    // The first occurrence (or with backward the last) of pattern ('\n' matching a break)
    // lying wholly in [from, to), or -1. Letters compare as QString::indexOf does with cs;
    // with wholeWord the characters right before and after it are no letter, digit or '_'.
    int find(QStringView pattern, int from, int to, Qt::CaseSensitivity cs, bool wholeWord,
             bool backward) const;

    // Longest text held, counting each line break as two characters (positions are ints).
    static constexpr qint64 MaxTextLength = 0x7fffffff - 1;

private:
    struct Data;
    std::unique_ptr<Data> d;
};
