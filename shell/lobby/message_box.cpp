#include "shell/lobby/message_box.h"

#include <FL/fl_ask.H>

#include "infra/event_log.h"
#include "infra/text_encoding.h"

namespace orbitfall {

void TFltkMessageBox::ShowError(const std::string& message) {
    Log("Status", 4, "Error box: " + message);
    fl_message_title("Orbitfall");
    fl_alert("%s", ToUtf8(message).c_str());
}

}  // namespace orbitfall
