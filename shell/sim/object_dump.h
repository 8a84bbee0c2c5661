#pragma once
#include <cstdio>

namespace orbitfall {

class TGame;

// One line per child of the engine, in child order:
//   obj CLASS ID OWNER X Y HP   ('-' for ID or HP where the object has none)
void DumpObjects(const TGame& game, std::FILE* out);

// One line per player 1..PlayerCount with the Ids the player has selected,
// in selection order:  sel PLAYER ID ID ...
void DumpSelections(const TGame& game, std::FILE* out);

}  // namespace orbitfall
