// The lobby's memo in this process; its text measuring needs the display.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "shell/game/game_window.h"
#include "shell/lobby/fltk_shell.h"
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

namespace {
struct TBox {
    int x, y, w, h;
    bool Overlaps(const TBox& o) const { return x < o.x + o.w && o.x < x + w && y < o.y + o.h && o.y < y + h; }
};
TBox BoxOf(const Fl_Widget* w) { return {w->x(), w->y(), w->w(), w->h()}; }
}  // namespace

TEST(LobbyPlayers, TheListSitsInFreeSpaceBesideTheDesignedComponents) {
    NoBox box;
    Tlobbyform lobby(box, [] {}, [] {});
    const TBox players = BoxOf(lobby.Players);
    for (const Fl_Widget* designed : {static_cast<Fl_Widget*>(lobby.Map), static_cast<Fl_Widget*>(lobby.Start),
                                      static_cast<Fl_Widget*>(lobby.Messages)})
        EXPECT_FALSE(players.Overlaps(BoxOf(designed))) << designed->label();
    EXPECT_GE(players.x, 0);
    EXPECT_LE(players.x + players.w, lobby.w());
    EXPECT_LE(players.y + players.h, lobby.h());
    // The designed positions stay.
    EXPECT_EQ(lobby.Map->x(), 8);
    EXPECT_EQ(lobby.Start->y(), 208);
    EXPECT_EQ(lobby.Messages->y(), 240);
}

TEST(LobbyPlayers, EachSettingReplacesTheWholeListAndMarksThisMachine) {
    NoBox box;
    Tlobbyform lobby(box, [] {}, [] {});
    EXPECT_EQ(lobby.PlayerLines(), (std::vector<std::string>{"Players"}));
    lobby.SetPlayers({{"Host", "ada-pc", false}, {"Player 1", "192.168.1.7", true}, {"Player 2", "10.0.0.2", false}});
    EXPECT_EQ(lobby.PlayerLines(), (std::vector<std::string>{"Players: 3", "Host\tada-pc", "Player 1 (you)\t192.168.1.7",
                                                             "Player 2\t10.0.0.2"}));
    // A name in the data files' encoding, and one with '@' (no formatting).
    lobby.SetPlayers({{"Host", "M\xFC" "hle", true}, {"@Player 2", "", false}});
    EXPECT_EQ(lobby.PlayerLines(),
              (std::vector<std::string>{"Players: 2", "Host (you)\tM\xC3\xBC" "hle", "@Player 2\t"}));
}

TEST(LobbyMessages, ALineShowsOnlyTheFirstLineOfAMessageWithoutControlCharacters) {
    NoBox box;
    TFltkShell shell(TFormSettings{}, box);
    shell.CreateLobby(true);
    shell.AddLobbyMessage("Invalid player for <start> Player=3\r\nX=60\r\nY=210\r\n");
    shell.AddLobbyMessage(std::string("Packet\x1B[31m-Error\0", 18));
    shell.RepeatLobbyMessage("Packet\x1B-Error\r\nX=1", 2);
    shell.SetLobbyPlayers({{"Host", "ada\r\npc", true}});
    ASSERT_NE(shell.Lobby(), nullptr);
    EXPECT_EQ(shell.Lobby()->MessageLines(),
              (std::vector<std::string>{"Messages", "Invalid player for <start> Player=3", "Packet-Error (2\u00d7)"}));
    EXPECT_EQ(shell.Lobby()->PlayerLines(), (std::vector<std::string>{"Players: 1", "Host (you)\tada pc"}));
    shell.DestroyWindows();
}
