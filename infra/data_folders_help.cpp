#include "infra/data_folders_help.h"

#include "infra/data_dirs.h"
#include "infra/errors.h"

namespace orbitfall {

std::string DataFoldersHelp(const std::string& exeDir) {
    std::string text =
        "Folders:\n"
        "  Shipped data (unit types, maps, language table) is read from Data/ beside\n"
        "  the program, else from ../Game/Data/ (a checkout, the program in build/),\n"
        "  else from ../share/orbitfall/Data/ (an installed copy). The user folder\n"
        "  holds the event log log.txt, Replays/ and user maps in Maps/; a file there\n"
        "  overrides the shipped file of the same name. It is UserFiles/ or\n"
        "  ../Game/UserFiles/ with the first two; an installed copy's folder is not\n"
        "  writable, so it uses $XDG_DATA_HOME/orbitfall/, or ~/.local/share/orbitfall/\n"
        "  when XDG_DATA_HOME is unset or not an absolute path.\n"
        "This copy:\n";
    try {
        const TDataFolders found = FindDataFolders(exeDir);
        text += "  data  " + found.Data + "\n  user  " + found.User;
        if (!found.UserSource.empty()) text += " (from " + found.UserSource + ")";
        text += "\n";
        if (!found.IgnoredXdgDataHome.empty())
            text += "  XDG_DATA_HOME \"" + found.IgnoredXdgDataHome + "\" is not an absolute path and is ignored\n";
    } catch (const Exception& e) {
        text += "  " + e.Message() + "\n";
    }
    return text;
}

}  // namespace orbitfall
