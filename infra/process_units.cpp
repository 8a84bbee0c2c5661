#include "infra/process_units.h"

#include "infra/data_dirs.h"
#include "infra/event_log.h"
#include "infra/language.h"
#include "infra/settings.h"

namespace orbitfall {

TInfraUnits::TInfraUnits(const std::string& exeDir, const std::string& firstArgument,
                         const std::string& userDir) {
    LocateDataDirs(exeDir, userDir);
    try {
        LoadLanguage("DE");
        OpenEventLog();
        if (!IgnoredXdgDataHome().empty())
            Log("Status", 3, "XDG_DATA_HOME \"" + IgnoredXdgDataHome() +
                                 "\" is not an absolute path and is ignored; user files are in " + UserDir());
        InitSettings(firstArgument);
    } catch (...) {
        CloseEventLog();
        ClearLanguage();
        ClearDataDirs();
        throw;
    }
}

TInfraUnits::~TInfraUnits() {
    FreeSettings();
    CloseEventLog();
    ClearLanguage();
    ClearDataDirs();
}

}  // namespace orbitfall
