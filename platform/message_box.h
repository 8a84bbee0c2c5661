#pragma once
// Message boxes behind an interface, so that code which reports an error to
// the user can be tested without a display.
#include <string>

namespace orbitfall {

class TMessageBox {
public:
    virtual ~TMessageBox() = default;
    // Shows the text and returns when the user has closed the box.
    virtual void ShowError(const std::string& text) = 0;
};

// The desktop's box (FLTK); on standard error when no display can be opened,
// so that a start without a display still tells the user why it ended.
TMessageBox& DesktopMessageBox();

}  // namespace orbitfall
