#include "shell/game/game_input.h"

#include <FL/Enumerations.H>

#include "control/controller.h"
#include "simulation/command.h"
#include "simulation/game.h"
#include "simulation/player.h"

namespace orbitfall {

TMapPoint TGameInput::MapPointOr(int x, int y, TMapPoint fallback) const {
    return target_.ScreenToMap(x, y).value_or(fallback);
}

void TGameInput::MouseDown(int button, int x, int y, bool, bool) {
    if (button == FL_LEFT_MOUSE) leftDown_ = true;
    const TInterfacePoint s = ToInterfaceUnits(x, y, target_.ClientWidth(), target_.ClientHeight());
    const bool minimapHit = MinimapRect.Contains(s);
    const TMapPoint p = minimapHit ? MinimapToMap(s, game_.Width, game_.Height) : MapPointOr(x, y, {});
    const bool minisceneHit = MinisceneRect.Contains(s) && button == FL_LEFT_MOUSE;
    TPlayer* local = game_.LocalPlayer;
    if (minisceneHit && local) {
        local->CameraX = local->EventX;
        local->CameraY = local->EventY;
    }
    if (button == FL_LEFT_MOUSE && !minimapHit && !minisceneHit) {
        view_.SelectStart = p;
        view_.Selecting = true;
    } else if (button == FL_LEFT_MOUSE && minimapHit && local) {
        local->CameraX = p.X;
        local->CameraY = p.Y;
    } else if (button == FL_RIGHT_MOUSE) {
        TCommand move;
        move.Kind = ckMove;
        move.SetInt(0, 0);
        move.SetFloat(1, static_cast<float>(p.X));
        move.SetFloat(2, static_cast<float>(p.Y));
        controller_.IssueCommand(move);
    }
}

void TGameInput::MouseUp(int button, int x, int y, bool shift, bool) {
    if (button == FL_LEFT_MOUSE) leftDown_ = false;
    view_.SelectEnd = MapPointOr(x, y, view_.SelectEnd);
    if (button != FL_LEFT_MOUSE || !view_.Selecting) return;
    view_.Selecting = false;
    TCommand select;
    select.Kind = ckSelectRect;
    select.Flags = shift ? cfAddToSelection : 0;
    select.SetFloat(0, static_cast<float>(view_.SelectStart.X));
    select.SetFloat(1, static_cast<float>(view_.SelectStart.Y));
    select.SetFloat(2, static_cast<float>(view_.SelectEnd.X));
    select.SetFloat(3, static_cast<float>(view_.SelectEnd.Y));
    controller_.IssueCommand(select);
}

void TGameInput::MouseMove(int x, int y, bool) {
    const TInterfacePoint s = ToInterfaceUnits(x, y, target_.ClientWidth(), target_.ClientHeight());
    if (MinimapRect.Contains(s) && leftDown_) {
        if (TPlayer* local = game_.LocalPlayer) {
            const TMapPoint p = MinimapToMap(s, game_.Width, game_.Height);
            local->CameraX = p.X;
            local->CameraY = p.Y;
        }
        return;
    }
    view_.SelectEnd = MapPointOr(x, y, view_.SelectEnd);
}

void TGameInput::Wheel(int dy) {
    if (dy > 0) view_.CameraTilt = TiltAfterWheelDown(view_.CameraTilt);
    else if (dy < 0) view_.CameraTilt = TiltAfterWheelUp(view_.CameraTilt);
}

void TGameInput::KeyDown(int key, bool ctrl, bool) {
    if (target_.PlaybackKey(key)) return;
    if ((key == 'a' || key == 'A') && ctrl) {
        TCommand all;
        all.Kind = ckSelectAll;
        controller_.IssueCommand(all);
    }
    if (key == FL_F + 11) target_.SetFullscreen(1024, 768, 32, 75);
    if (key == FL_F + 12) target_.RequestScreenshot();
    if (key == FL_Home) view_.CameraDistance = DistanceAfterHome(view_.CameraDistance);
    if (key == FL_End) view_.CameraDistance = DistanceAfterEnd(view_.CameraDistance);
}

}  // namespace orbitfall
