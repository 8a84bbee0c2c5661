#include "shell/lobby/message_box.h"

#include <FL/fl_ask.H>

#include "infra/event_log.h"
#include "infra/shown_text.h"
#include "infra/text_encoding.h"

namespace orbitfall {

void TFltkMessageBox::ShowError(const std::string& message) {
    const std::string shown = ShownLines(message);
    Log("Status", 4, "Error box: " + ShownText(message));
    if (shown != message) Log("Status", 4, "Error detail: " + message);
    fl_message_title("Orbitfall");
    fl_alert("%s", ToUtf8(shown).c_str());
}

}  // namespace orbitfall
