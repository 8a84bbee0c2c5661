#include "platform/desktop_display.h"

#include <cstdlib>

#include <FL/Fl.H>
#include <FL/x.H>

namespace orbitfall {

bool OpenDesktopDisplay() {
    if (fl_display != nullptr) return true;
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) return false;
    fl_open_display(display);
    return true;
}

std::string DesktopDisplayName() {
    if (fl_display != nullptr) return DisplayString(fl_display);
    const char* name = std::getenv("DISPLAY");
    return name != nullptr ? name : "";
}

}  // namespace orbitfall
