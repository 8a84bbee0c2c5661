#pragma once
// FLTK calls a window's callback both for its close box and for Escape
// pressed in it (a shortcut nobody took). Windows that close only by their
// close box ask this first.
#include <FL/Fl.H>

namespace orbitfall {

// True while the callback runs for Escape, not for the close box.
inline bool IsEscapeKeyClose() { return Fl::event() == FL_SHORTCUT && Fl::event_key() == FL_Escape; }

}  // namespace orbitfall
