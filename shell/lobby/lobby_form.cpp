#include "shell/lobby/lobby_form.h"

#include "infra/data_dirs.h"
#include "infra/errors.h"
#include "platform/message_box.h"
#include "shell/escape_key.h"

namespace orbitfall {

std::string EscapeMenuText(const std::string& text) {
    std::string escaped;
    for (char c : text) {
        if (c == '/' || c == '&' || c == '_' || c == '\\') escaped += '\\';
        escaped += c;
    }
    return escaped;
}

std::string RepeatedMessageLine(const std::string& text, int count) {
    return text + " (" + std::to_string(count) + "\u00d7)";
}

Tlobbyform::Tlobbyform(TMessageBox& messageBox, std::function<void()> startGame, std::function<void()> onClose)
    : Fl_Double_Window(192, 164, 870, 600, "lobbyform"),
      messageBox_(messageBox),
      startGame_(std::move(startGame)),
      onClose_(std::move(onClose)) {
    Map = new Fl_Choice(8, 8, 145, 21);
    Map->textsize(12);
    Start = new Fl_Button(8, 208, 75, 25, "Start");
    Start->callback([](Fl_Widget*, void* self) { static_cast<Tlobbyform*>(self)->StartClick(); }, this);
    Messages = new Fl_Text_Display(8, 240, 185, 89);
    Messages->buffer(&buffer_);
    Messages->textsize(12);
    // Long lines wrap inside the memo's narrow design width.
    Messages->wrap_mode(Fl_Text_Display::WRAP_AT_BOUNDS, 0);
    buffer_.text("Messages");
    end();
    // The close box ends the program; Escape does nothing (FLTK would close
    // the window on it as on the close box, and with it the hosted game).
    callback(
        [](Fl_Widget* w, void* self) {
            if (IsEscapeKeyClose()) return;
            w->hide();
            auto* form = static_cast<Tlobbyform*>(self);
            if (form->onClose_) form->onClose_();
        },
        this);
}

Tlobbyform::~Tlobbyform() { Messages->buffer(nullptr); }

void Tlobbyform::show() {
    // FormShow runs each time the window becomes visible, not on a raise.
    if (!shown() || !visible()) FormShow();
    Fl_Double_Window::show();
}

void Tlobbyform::FormShow() {
    Map->clear();
    maps_ = ListLobbyMaps(DataDir(), UserDir());
    for (const TLobbyMap& map : maps_) Map->add(EscapeMenuText(MapLabel(map)).c_str());
    if (Map->value() < 0 && Map->size() > 1) Map->value(0);
}

std::string Tlobbyform::SelectedMapName() const {
    const int index = Map->value();
    if (index < 0 || static_cast<std::size_t>(index) >= maps_.size()) return "";
    return maps_[static_cast<std::size_t>(index)].Name;
}

void Tlobbyform::StartClick() {
    hide();
    try {
        startGame_();
    } catch (const std::exception& e) {
        // FLTK's callbacks are no place for an exception to pass through.
        show();
        messageBox_.ShowError(e.what());
    }
}

void Tlobbyform::AddMessage(const std::string& text) {
    buffer_.append(("\n" + text).c_str());
    Messages->insert_position(buffer_.length());
    Messages->show_insert_position();
}

void Tlobbyform::ReplaceLastMessage(const std::string& text) {
    const int length = buffer_.length();
    int lineStart = 0;
    // The first line is the memo's caption; it is never replaced.
    if (!buffer_.findchar_backward(length, '\n', &lineStart)) {
        AddMessage(text);
        return;
    }
    buffer_.replace(lineStart + 1, length, text.c_str());
    Messages->insert_position(buffer_.length());
    Messages->show_insert_position();
}

std::vector<std::string> Tlobbyform::MessageLines() const {
    std::vector<std::string> lines;
    char* all = const_cast<Fl_Text_Buffer&>(buffer_).text();
    std::string text = all;
    free(all);
    std::size_t start = 0;
    for (std::size_t nl = text.find('\n'); nl != std::string::npos; nl = text.find('\n', start)) {
        lines.push_back(text.substr(start, nl - start));
        start = nl + 1;
    }
    lines.push_back(text.substr(start));
    return lines;
}

}  // namespace orbitfall
