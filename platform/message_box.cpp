#include "platform/message_box.h"

#include <cstdio>

#include <FL/fl_ask.H>

#include "infra/shown_text.h"
#include "infra/text_encoding.h"
#include "platform/desktop_display.h"

namespace orbitfall {
namespace {

class TFltkMessageBox : public TMessageBox {
public:
    void ShowError(const std::string& text) override {
        if (!OpenDesktopDisplay()) {
            std::fprintf(stderr, "%s\n", text.c_str());
            return;
        }
        fl_alert("%s", ToUtf8(ShownLines(text)).c_str());
    }
};

}  // namespace

TMessageBox& DesktopMessageBox() {
    static TFltkMessageBox box;
    return box;
}

}  // namespace orbitfall
