#pragma once

#include <QString>
#include <QStringView>

#include <vector>

// One change of a text: removed characters at pos give way to inserted ones. A list of
// edits holds positions of the text before any of them, ascending and not overlapping.
struct TextEdit {
    qsizetype pos;
    qsizetype removed;
    QString inserted;
};

// The text with all the edits made.
QString ApplyTextEdits(QStringView text, const std::vector<TextEdit>& edits);
