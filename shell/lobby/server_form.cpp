#include "shell/lobby/server_form.h"

#include <algorithm>

#include <FL/Fl.H>

#include "control/game_finder.h"
#include "control/network_adapter.h"
#include "control/tcp_controller.h"
#include "infra/event_log.h"
#include "shell/escape_key.h"

namespace orbitfall {

Tserverform::Tserverform(TEventLoop* loop, int port)
    : Fl_Double_Window(176, 233, "Serverauswahl"), port_(port) {
    Host = new Fl_Input(8, 8, 161, 21);
    Host->value("Host");
    Hosts = new Fl_Hold_Browser(8, 40, 161, 153);
    // Host names are shown as they are: no '@' formatting codes.
    Hosts->format_char(0);
    Hosts->when(FL_WHEN_CHANGED | FL_WHEN_NOT_CHANGED);
    Hosts->callback(
        [](Fl_Widget*, void* self) {
            auto* form = static_cast<Tserverform*>(self);
            if (form->Hosts->value() == 0) return;
            if (Fl::event() == FL_RELEASE && Fl::event_clicks() > 0) form->HostsDblClick();
            else form->HostsClick();
        },
        this);
    Open = new Fl_Button(8, 200, 49, 25, "Open");
    Open->callback([](Fl_Widget*, void* self) { static_cast<Tserverform*>(self)->OpenClick(); }, this);
    Join = new Fl_Button(64, 200, 49, 25, "Join");
    Join->callback([](Fl_Widget*, void* self) { static_cast<Tserverform*>(self)->CloseWithResult(true); },
                   this);
    Upd = new Fl_Button(120, 200, 49, 25, "Update");
    Upd->callback([](Fl_Widget*, void* self) { static_cast<Tserverform*>(self)->Update(); }, this);
    end();
    // A fixed dialog border with only the close button; centred on the screen.
    size_range(w(), h(), w(), h());
    position((Fl::w() - w()) / 2, (Fl::h() - h()) / 2);
    // The close box gives up; Escape does nothing (FLTK would close the
    // window on it as on the close box).
    callback(
        [](Fl_Widget*, void* self) {
            if (IsEscapeKeyClose()) return;
            static_cast<Tserverform*>(self)->CloseWithResult(false);
        },
        this);

    if (loop != nullptr && port >= 1 && port <= 65535) {
        finder_ = std::make_unique<TGameFinder>(*loop);
        finder_->OnChange = [this] { ScheduleRebuild(); };
    }
    Fl::add_timeout(timerInterval_, TimerTick, this);
    timerRunning_ = true;
}

Tserverform::~Tserverform() {
    if (timerRunning_) Fl::remove_timeout(TimerTick, this);
    Fl::remove_timeout(RoundOver, this);
    Fl::remove_timeout(RebuildDue, this);
    if (finder_) finder_->OnChange = nullptr;
}

void Tserverform::TimerTick(void* self) {
    auto* form = static_cast<Tserverform*>(self);
    form->Update();
    Fl::repeat_timeout(form->timerInterval_, TimerTick, self);
}

void Tserverform::Update() {
    if (!Upd->active()) return;
    timerInterval_ = 20.0;
    Upd->deactivate();
    // Reading the list fails only in ways that leave it short (the files are
    // a convenience); the button must come back either way.
    try {
        TTcpAdapter::EnumerateHosts(remembered_, true);
    } catch (const std::exception&) {
    }
    if (!finder_) {
        Rebuild();
        Upd->activate();
        return;
    }
    // The answers come while the window goes on; the button comes back when
    // the round is over.
    roundRunning_ = true;
    if (finder_->Begin(port_) == 0) Log("Network", 3, "No network to ask for games");
    Fl::remove_timeout(RoundOver, this);
    Fl::add_timeout(AnswerWindowSeconds, RoundOver, this);
}

void Tserverform::RoundOver(void* self) {
    auto* form = static_cast<Tserverform*>(self);
    form->finder_->End();
    form->roundRunning_ = false;
    // Games that did not answer this time are gone.
    form->previous_ = form->finder_->Games();
    form->Rebuild();
    form->Upd->activate();
}

void Tserverform::ScheduleRebuild() {
    if (rebuildPending_) return;
    rebuildPending_ = true;
    const auto now = std::chrono::steady_clock::now();
    if (now - spellStart_ >= RebuildSpell) {
        spellStart_ = now;
        rebuildsInSpell_ = 0;
    }
    const double wait = rebuildsInSpell_ < RebuildsPerSpell
        ? 0.0 : std::chrono::duration<double>(spellStart_ + RebuildSpell - now).count();
    Fl::add_timeout(wait, RebuildDue, this);
}

void Tserverform::RebuildDue(void* self) { static_cast<Tserverform*>(self)->Rebuild(); }

void Tserverform::Rebuild() {
    if (rebuildPending_) {
        Fl::remove_timeout(RebuildDue, this);
        rebuildPending_ = false;
    }
    ++rebuildsInSpell_;
    std::vector<TFoundGame> games = finder_ ? finder_->Games() : std::vector<TFoundGame>{};
    if (roundRunning_)
        for (const TFoundGame& old : previous_)
            if (std::none_of(games.begin(), games.end(), [&](const TFoundGame& g) {
                    return g.Address == old.Address && g.Answer.Port == old.Answer.Port;
                }))
                games.push_back(old);

    std::vector<TEntry> entries;
    for (const TFoundGame& game : games) {
        TEntry entry{DiscoveryLabel(game.Answer),
                     DiscoveryHostText(game.Address, game.Answer.Port, TTcpController::DefaultPort)};
        // Also what tests, measurements and a puzzled user read: which game
        // was listed, and how long after the query went out.
        const std::string line = entry.Label + " at " + entry.HostText;
        if (std::find(logged_.begin(), logged_.end(), line) == logged_.end() && logged_.size() < 256) {
            const auto since = std::chrono::steady_clock::now() - finder_->RoundStart();
            const long long micros = std::chrono::duration_cast<std::chrono::microseconds>(since).count();
            logged_.push_back(line);
            try {
                Log("Network", 4,
                    "Found game " + line + " after " + std::to_string(micros / 1000) + "." +
                        std::to_string(micros / 100 % 10) + " ms");
            } catch (const std::exception&) {
                // A log that cannot be written must not cost the list.
            }
        }
        entries.push_back(std::move(entry));
    }
    for (const std::string& name : remembered_) entries.push_back({name, name});

    // The selection follows its host, wherever the line moves.
    const int selected = Hosts->value();
    const std::string selectedText =
        selected > 0 && static_cast<std::size_t>(selected) <= entries_.size() ? entries_[selected - 1].HostText : "";
    entries_ = std::move(entries);
    Hosts->clear();
    for (const TEntry& entry : entries_) Hosts->add(entry.Label.c_str());
    if (!selectedText.empty())
        for (std::size_t i = 0; i < entries_.size(); ++i)
            if (entries_[i].HostText == selectedText) {
                Hosts->value(static_cast<int>(i + 1));
                break;
            }
}

void Tserverform::HostsClick() {
    const int line = Hosts->value();
    if (line > 0 && static_cast<std::size_t>(line) <= entries_.size()) Host->value(entries_[line - 1].HostText.c_str());
}

void Tserverform::HostsDblClick() {
    HostsClick();
    CloseWithResult(true);
}

void Tserverform::OpenClick() {
    Host->value("");
    CloseWithResult(true);
}

void Tserverform::CloseWithResult(bool ok) {
    modalOk_ = ok;
    hide();
}

bool Tserverform::ShowModal() {
    modalOk_ = false;
    set_modal();
    show();
    while (shown()) Fl::wait(0.01);
    return modalOk_;
}

}  // namespace orbitfall
