#pragma once
// The lobby: the maps to choose from, the players present, the join and
// leave messages, and on the host the Start button. It is the application's main window: closing it ends
// the program. While a game runs it is hidden.
#include <functional>
#include <string>
#include <vector>

#include <FL/Fl_Browser.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Choice.H>
#include <FL/Fl_Double_Window.H>
#include <FL/Fl_Text_Buffer.H>
#include <FL/Fl_Text_Display.H>

#include "control/lobby_player.h"
#include "shell/lobby/map_list.h"

namespace orbitfall {

class TMessageBox;

class Tlobbyform : public Fl_Double_Window {
public:
    // startGame runs the controller's StartGame; onClose is told when the
    // user closes the window.
    Tlobbyform(TMessageBox& messageBox, std::function<void()> startGame, std::function<void()> onClose);
    ~Tlobbyform() override;

    // Every showing re-reads the map list (FormShow).
    void show() override;

    void FormShow();
    // Hides the lobby and starts the game; a start that fails shows the lobby
    // again with the error, so that another map can be chosen.
    void StartClick();
    // One line in Messages (UTF-8).
    void AddMessage(const std::string& text);
    // The last line of Messages becomes text (UTF-8): a message that keeps
    // coming stays one line instead of pushing everything else out.
    void ReplaceLastMessage(const std::string& text);
    // The list of players present, replaced whole (names and addresses in
    // the data files' encoding).
    void SetPlayers(const std::vector<TLobbyPlayer>& players);

    // The selected map's bare name (empty when there is none).
    std::string SelectedMapName() const;
    // Its start views (-1 when unknown or none is selected).
    int SelectedStartViews() const;
    std::vector<std::string> MessageLines() const;
    // The Players list as shown, one string per line, columns joined by a tab.
    std::vector<std::string> PlayerLines() const;
    const std::vector<TLobbyMap>& ListedMaps() const { return maps_; }

    Fl_Choice* Map;
    Fl_Button* Start;
    Fl_Text_Display* Messages;
    // Beside the map list: who is in the lobby, the host first.
    Fl_Browser* Players;

private:
    TMessageBox& messageBox_;
    std::function<void()> startGame_;
    std::function<void()> onClose_;
    Fl_Text_Buffer buffer_;
    std::vector<TLobbyMap> maps_;
};

// The line that stands for a message that has come count times in all.
std::string RepeatedMessageLine(const std::string& text, int count);

// The Players list's line for one player: name (with "(you)" on the
// machine's own entry), a tab, the address. UTF-8.
std::string PlayerLine(const TLobbyPlayer& player);

// A menu entry's text with FLTK's menu syntax ('/', '&', '_', '\') escaped.
std::string EscapeMenuText(const std::string& text);

}  // namespace orbitfall
