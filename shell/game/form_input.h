#pragma once
// The game window's mouse and keyboard events, handed to whoever turns them
// into view changes and commands. Positions are pixels from the client area's
// top-left corner; buttons 1 left, 2 middle, 3 right; keys are virtual-key
// codes (infra/key_codes.h). The window keeps the held-key table itself.
namespace orbitfall {

class TFormInput {
public:
    virtual ~TFormInput() = default;
    virtual void MouseDown(int /*button*/, int /*x*/, int /*y*/, bool /*shift*/, bool /*ctrl*/) {}
    virtual void MouseUp(int /*button*/, int /*x*/, int /*y*/, bool /*shift*/, bool /*ctrl*/) {}
    // leftButtonDown: the left button is held while the mouse moves.
    virtual void MouseMove(int /*x*/, int /*y*/, bool /*shift*/, bool /*leftButtonDown*/) {}
    // dy > 0: the wheel turned toward the user (down), dy < 0: up.
    virtual void Wheel(int /*dy*/) {}
    virtual void KeyDown(int /*key*/, bool /*ctrl*/, bool /*shift*/) {}
};

}  // namespace orbitfall
