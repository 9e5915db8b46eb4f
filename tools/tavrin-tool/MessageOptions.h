#pragma once

#include "mail/IdMessage.h"
#include "tools/tavrin-tool/Command.h"

#include <QString>
#include <QStringList>

// The options that describe one message, shared by the commands that write or send one:
//   --from-name N --from A --to-name N --to A --subject S --body-file F --attach FILE --name NAME
//   --date YYYY-MM-DDTHH:MM:SS+HH:MM
// The texts (UTF-8 on the command line and in the body file) are held as the program holds them,
// in Shift_JIS: a character without a Shift_JIS form becomes "?".
const QStringList &MessageOptionNames();

// The usage text of the options above.
inline constexpr char kMessageOptionsUsage[]
    = "--from-name N --from A --to-name N --to A --subject S "
      "--body-file F [--attach FILE [--name NAME]] [--date ISO-8601]";

// Fills msg from args. --from and --to are required; without --attach the message has no parts;
// --name (the attachment's name) defaults to the attached file's name; without --date the message
// takes the time it is written. False with *error set when an option is missing or wrong, the body
// file cannot be read or a text holds a line break.
bool ReadMessageOptions(const ToolArgs &args, TIdMessage *msg, QString *error);
