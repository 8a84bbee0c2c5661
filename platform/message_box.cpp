#include "platform/message_box.h"

#include <cstdio>

#include <FL/fl_ask.H>

#include "infra/event_log.h"
#include "infra/shown_text.h"
#include "infra/text_encoding.h"
#include "platform/desktop_display.h"

namespace orbitfall {

void TFltkMessageBox::ShowError(const std::string& message) {
    // The box shows no file content or control characters; the log keeps
    // the whole text.
    const std::string shown = ShownLines(message);
    Log("Status", 4, "Error box: " + ShownText(message));
    if (shown != message) Log("Status", 4, "Error detail: " + message);
    if (!OpenDesktopDisplay()) {
        std::fprintf(stderr, "%s\n", ToUtf8(message).c_str());
        return;
    }
    fl_message_title("Orbitfall");
    fl_alert("%s", ToUtf8(shown).c_str());
}

}  // namespace orbitfall
