#pragma once
// The modal error box with one OK button, behind an interface so that code
// which reports an error to the user can be run and tested without anybody
// to press OK.
#include <string>

namespace orbitfall {

class TMessageBox {
public:
    virtual ~TMessageBox() = default;
    // Shows the text and returns when the user has closed the box. The text
    // may be in the data files' encoding; it is shown as UTF-8.
    virtual void ShowError(const std::string& message) = 0;
};

// The desktop's box (FLTK's alert with the application's title). Every box
// is noted in the event log ("Error box: " and the text), so that a person
// and a test can both tell what was shown. When no display can be opened the
// text goes to standard error instead, so that a start without a display
// still tells the user why it ended.
class TFltkMessageBox : public TMessageBox {
public:
    void ShowError(const std::string& message) override;
};

}  // namespace orbitfall
