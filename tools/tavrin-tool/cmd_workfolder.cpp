// tavrin-tool workfolder: where Tavrin beside this tool keeps its files.

#include "tools/tavrin-tool/Command.h"

namespace {

int run(const QStringList &arguments)
{
    const ToolArgs args(arguments, {});
    if (!args.ok())
        return Fail(args.error());
    if (!args.positional().isEmpty())
        return Fail(QStringLiteral("unexpected argument %1").arg(args.positional().first()));
    QString error;
    const QString work = ToolWorkFolder(args, &error);
    if (work.isEmpty())
        return Fail(error);
    Print(work);
    return 0;
}

const bool registered = RegisterCommand(
    {"workfolder", "workfolder  (prints the work folder that Tavrin and the commands without --work use)",
     &run,
     "The work folder holds tav.ini (the settings), Tavrin.ADX (the address book), History.ADX (the\n"
     "recent recipients), Folder.hst, and the folders Recent (sent pictures) and Interval (Auto mode).\n"
     "It is the folder of the executable when that folder is writable and is not an installation's\n"
     "bin folder (a copy unpacked anywhere, or a build); otherwise the user's data folder,\n"
     "$XDG_DATA_HOME/Tavrin (normally ~/.local/share/Tavrin), which is made when it is missing."});

} // namespace
