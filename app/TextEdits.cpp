#include "app/TextEdits.h"

QString ApplyTextEdits(QStringView text, const std::vector<TextEdit>& edits)
{
    qsizetype size = text.size();
    for (const TextEdit& edit : edits)
        size += edit.inserted.size() - edit.removed;
    QString result;
    result.reserve(size);
    qsizetype kept = 0; // the text before kept is done
    for (const TextEdit& edit : edits) {
        result += text.mid(kept, edit.pos - kept);
        result += edit.inserted;
        kept = edit.pos + edit.removed;
    }
    result += text.mid(kept);
    return result;
}
