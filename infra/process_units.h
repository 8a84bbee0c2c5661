#pragma once
// The infrastructure of one process, set up before the program's entry runs
// and torn down after it, in this order: data and user folders, language
// table, event log, detail settings; tear-down in reverse, the log saved last
// but one, before the folder names are cleared.
#include <string>

namespace orbitfall {

class TInfraUnits {
public:
    // userDir, when not empty, replaces the user folder the folder rules
    // would give, which is then left untouched (several copies on one
    // machine, tests).
    TInfraUnits(const std::string& exeDir, const std::string& firstArgument,
                const std::string& userDir = "");
    ~TInfraUnits();
    TInfraUnits(const TInfraUnits&) = delete;
    TInfraUnits& operator=(const TInfraUnits&) = delete;
};

}  // namespace orbitfall
