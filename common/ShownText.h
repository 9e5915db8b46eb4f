#pragma once

#include <QString>

// Text from a file, a server or a command line, made fit to be quoted in a message. A control
// character could rewrite a terminal's screen or hide the rest of the message: each is shown as an
// escape instead ("\r", "\n", "\t", "\x1B", "\x7F", "\x9B"), except those in keep.
QString EscapeControls(const QString &text, QStringView keep = {});

// The first maxChars characters of text (never half of a surrogate pair), followed by "…" when
// more followed, with its control characters escaped.
QString Excerpt(const QString &text, qsizetype maxChars = 40);
