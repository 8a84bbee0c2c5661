#include "shell/game/form_timer.h"

#include <FL/Fl.H>

namespace orbitfall {

TFormTimer::~TFormTimer() { Fl::remove_timeout(Fire, this); }

void TFormTimer::SetEnabled(bool enabled) {
    if (enabled == enabled_) return;
    enabled_ = enabled;
    if (enabled) Fl::add_timeout(interval_ / 1000.0, Fire, this);
    else Fl::remove_timeout(Fire, this);
}

void TFormTimer::Fire(void* p) {
    auto* self = static_cast<TFormTimer*>(p);
    if (!self->enabled_) return;
    // Rescheduled before the handler runs, from the due time, so that the
    // cadence holds; a handler that disables the timer removes it again.
    Fl::repeat_timeout(self->interval_ / 1000.0, Fire, self);
    self->onTimer_();
}

}  // namespace orbitfall
