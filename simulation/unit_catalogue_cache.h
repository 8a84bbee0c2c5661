#pragma once
// The unit catalogue of the last units file read, kept for the next game
// while the file holds the same bytes: a game started again (the next match,
// a replay after a game, a client joining anew) does not parse it again.
#include <string>

#include "simulation/unit_type.h"

namespace orbitfall {

class TUnitCatalogueCache {
public:
    // The types in the units file at path, each call its own copy: a running
    // game writes to its catalogue. The file is read every time, and parsed
    // when its bytes differ from the last file parsed; the errors are those
    // of reading and parsing it.
    TUnitTypeList Load(const std::string& path);

private:
    bool filled_ = false;
    std::string bytes_;
    TUnitTypeList types_;
};

// A catalogue as a game owns it: every descriptor copied.
TUnitTypeList CopyUnitTypes(const TUnitTypeList& types);

}  // namespace orbitfall
