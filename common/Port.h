#pragma once

#include <QString>

#include <optional>

// A server's port as a settings field, a settings file or an option writes it: one to five decimal
// digits, blanks around them allowed, 1..65535. Nothing for any other text, an empty one included.
// Every port the program reads goes through here.
std::optional<int> ParsePort(const QString &text);
