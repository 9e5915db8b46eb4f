#pragma once

#include <QList>

// The lines of a text the way an edit field's or a text file's line list reads them: a line ends at
// CR LF, a lone CR or a lone LF, a last line without an ending still counts, and a break at the very
// end ends the last line rather than starting an empty one. Works on QString and QByteArray.
template<typename Text> QList<Text> SplitLines(const Text &text)
{
    QList<Text> lines;
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] != '\r' && text[i] != '\n')
            continue;
        lines.append(text.mid(start, i - start));
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
            ++i;
        start = i + 1;
    }
    if (start < text.size())
        lines.append(text.mid(start));
    return lines;
}
