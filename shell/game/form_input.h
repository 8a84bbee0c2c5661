#pragma once
// What the game window hands on of its mouse and keyboard events. Pixel
// positions are measured from the client area's top-left corner; buttons are
// 1 left, 2 middle, 3 right; keys are FLTK key codes.
namespace orbitfall {

class TFormInput {
public:
    virtual ~TFormInput() = default;
    virtual void MouseDown(int button, int x, int y, bool shift, bool ctrl) = 0;
    virtual void MouseUp(int button, int x, int y, bool shift, bool ctrl) = 0;
    virtual void MouseMove(int x, int y, bool shift) = 0;
    // dy > 0: the wheel turned towards the user.
    virtual void Wheel(int dy) = 0;
    virtual void KeyDown(int key, bool ctrl, bool shift) = 0;
};

}  // namespace orbitfall
