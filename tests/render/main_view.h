#pragma once
// A main view as SetupMainCamera publishes it, without the GL calls: the
// camera matrix and the view's height above the strip for a w x h window.
#include <cmath>

#include "render/camera.h"

namespace orbitfall::testing {

inline TViewValues MainView(int w, int h, double cx, double cy, int tilt, int distance) {
    TViewValues v;
    v.ViewHeight = h - static_cast<int>(std::floor(StripHeight(w)));
    PublishCamera(v, CameraMatrix(cx, cy, tilt, distance), tilt, w);
    return v;
}

}  // namespace orbitfall::testing
