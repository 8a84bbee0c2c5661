#pragma once
// The modal error box with one OK button. Behind an interface so that code
// paths that show errors can be run without anybody to press OK.
#include <string>

namespace orbitfall {

class TMessageBox {
public:
    virtual ~TMessageBox() = default;
    // Returns when the user has closed the box. The text may be in the data
    // files' encoding; it is shown as UTF-8 without file content or control
    // characters (ShownLines).
    virtual void ShowError(const std::string& message) = 0;
};

// fl_alert with the application's title.
class TFltkMessageBox : public TMessageBox {
public:
    void ShowError(const std::string& message) override;
};

}  // namespace orbitfall
