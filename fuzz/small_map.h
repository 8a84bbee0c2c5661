#pragma once
// Shipped maps brought down to the size of the fuzzing map.
#include <string>

namespace orbitfall::fuzz {

// A map file's text with its larger side brought down to size map units:
// width and height (rounded to whole units, at least 1), positions and radii
// scaled alike, everything else kept byte for byte. Maps no larger come back
// unchanged.
std::string ShrinkMap(const std::string& text, int size);

}  // namespace orbitfall::fuzz
