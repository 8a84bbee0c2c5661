#include "platform/message_box.h"

#include <cstdio>

#include <FL/fl_ask.H>

#include "infra/event_log.h"
#include "infra/text_encoding.h"
#include "platform/desktop_display.h"

namespace orbitfall {

void TFltkMessageBox::ShowError(const std::string& message) {
    Log("Status", 4, "Error box: " + message);
    const std::string text = ToUtf8(message);
    if (!OpenDesktopDisplay()) {
        std::fprintf(stderr, "%s\n", text.c_str());
        return;
    }
    fl_message_title("Orbitfall");
    fl_alert("%s", text.c_str());
}

}  // namespace orbitfall
