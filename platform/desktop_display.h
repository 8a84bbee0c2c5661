#pragma once
// The X display the windows of this process are shown on.
#include <string>

namespace orbitfall {

// Opens the display named by DISPLAY for FLTK unless it is open already.
// FLTK on its own would print "Can't open display" and end the process; this
// answers false instead, so the caller can say why nothing can be shown.
bool OpenDesktopDisplay();

// The open display's name, else the value of DISPLAY ("" when unset).
std::string DesktopDisplayName();

}  // namespace orbitfall
