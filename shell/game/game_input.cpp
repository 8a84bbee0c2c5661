#include "shell/game/game_input.h"

#include "control/controller.h"
#include "infra/key_codes.h"
#include "shell/game/view_state.h"
#include "simulation/command.h"
#include "simulation/game.h"
#include "simulation/player.h"

namespace orbitfall {

namespace {
constexpr int LeftButton = 1, RightButton = 3;

TMapPoint PointOf(const std::array<double, 2>& p) { return {p[0], p[1]}; }
std::array<double, 2> ArrayOf(TMapPoint p) { return {p.X, p.Y}; }
}  // namespace

void TGameInput::Issue(TCommand command) {
    controller_.IssueCommand(command);
    if (OnIssue) OnIssue(command);
}

TMapPoint TGameInput::MapPointOr(int x, int y, TMapPoint fallback) const {
    return target_.ScreenToMap(x, y).value_or(fallback);
}

void TGameInput::MouseDown(int button, int x, int y, bool, bool) {
    const TInterfacePoint s = ToInterfaceUnits(x, y, target_.ClientWidth(), target_.ClientHeight());
    const bool minimapHit = MinimapRect.Contains(s);
    const TMapPoint p = minimapHit ? MinimapToMap(s, game_.Width, game_.Height) : MapPointOr(x, y, {});
    const bool minisceneHit = MinisceneRect.Contains(s) && button == LeftButton;
    TPlayer* local = game_.LocalPlayer;
    if (minisceneHit && local) {
        local->CameraX = local->EventX;
        local->CameraY = local->EventY;
    }
    if (button == LeftButton && !minimapHit && !minisceneHit) {
        view_.SelectStart = ArrayOf(p);
        view_.Selecting = true;
    } else if (button == LeftButton && minimapHit && local) {
        local->CameraX = p.X;
        local->CameraY = p.Y;
    } else if (button == RightButton) {
        TCommand move;
        move.Kind = ckMove;
        move.SetInt(0, 0);
        move.SetFloat(1, static_cast<float>(p.X));
        move.SetFloat(2, static_cast<float>(p.Y));
        Issue(move);
    }
}

void TGameInput::MouseUp(int button, int x, int y, bool shift, bool) {
    view_.SelectEnd = ArrayOf(MapPointOr(x, y, PointOf(view_.SelectEnd)));
    if (button != LeftButton || !view_.Selecting) return;
    view_.Selecting = false;
    TCommand select;
    select.Kind = ckSelectRect;
    select.Flags = shift ? cfAddToSelection : 0;
    select.SetFloat(0, static_cast<float>(view_.SelectStart[0]));
    select.SetFloat(1, static_cast<float>(view_.SelectStart[1]));
    select.SetFloat(2, static_cast<float>(view_.SelectEnd[0]));
    select.SetFloat(3, static_cast<float>(view_.SelectEnd[1]));
    Issue(select);
}

void TGameInput::MouseMove(int x, int y, bool, bool leftButtonDown) {
    const TInterfacePoint s = ToInterfaceUnits(x, y, target_.ClientWidth(), target_.ClientHeight());
    if (MinimapRect.Contains(s) && leftButtonDown) {
        if (TPlayer* local = game_.LocalPlayer) {
            const TMapPoint p = MinimapToMap(s, game_.Width, game_.Height);
            local->CameraX = p.X;
            local->CameraY = p.Y;
        }
        return;
    }
    view_.SelectEnd = ArrayOf(MapPointOr(x, y, PointOf(view_.SelectEnd)));
}

void TGameInput::Wheel(int dy) {
    if (dy > 0) view_.CameraTilt = TiltAfterWheelDown(view_.CameraTilt);
    else if (dy < 0) view_.CameraTilt = TiltAfterWheelUp(view_.CameraTilt);
}

void TGameInput::KeyDown(int key, bool ctrl, bool) {
    if (key == 'A' && ctrl) {
        TCommand all;
        all.Kind = ckSelectAll;
        Issue(all);
    }
    // F11 switches: full screen, and from there back to the window.
    if (key == VkF11) {
        if (target_.IsFullscreen()) target_.LeaveFullscreen();
        else target_.SetFullscreen(1024, 768, 32, 75);
    }
    if (key == VkF12) target_.RequestScreenshot();
    if (key == VkHome) view_.CameraDistance = DistanceAfterHome(view_.CameraDistance);
    if (key == VkEnd) view_.CameraDistance = DistanceAfterEnd(view_.CameraDistance);
}

}  // namespace orbitfall
