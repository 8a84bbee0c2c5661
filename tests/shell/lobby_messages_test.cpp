// The lobby's memo in this process; its text measuring needs the display.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "shell/lobby/lobby_form.h"
#include "platform/message_box.h"

using namespace orbitfall;

namespace {
class NoBox : public orbitfall::TMessageBox {
public:
    void ShowError(const std::string&) override {}
};
}  // namespace

TEST(LobbyMessages, ARepeatedMessageReplacesOnlyTheLastLineWithItsCount) {
    NoBox box;
    Tlobbyform lobby(box, [] {}, [] {});
    lobby.AddMessage("Alice joined");
    lobby.AddMessage("Packet-Error");
    lobby.ReplaceLastMessage(RepeatedMessageLine("Packet-Error", 2));
    lobby.ReplaceLastMessage(RepeatedMessageLine("Packet-Error", 3));
    EXPECT_EQ(lobby.MessageLines(),
              (std::vector<std::string>{"Messages", "Alice joined", "Packet-Error (3\u00d7)"}));
}

TEST(LobbyMessages, TheCaptionLineIsNeverReplaced) {
    NoBox box;
    Tlobbyform lobby(box, [] {}, [] {});
    lobby.ReplaceLastMessage("Packet-Error (2\u00d7)");
    EXPECT_EQ(lobby.MessageLines(), (std::vector<std::string>{"Messages", "Packet-Error (2\u00d7)"}));
}
