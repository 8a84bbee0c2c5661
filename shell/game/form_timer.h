#pragma once
// A millisecond timer on the FLTK loop, as a form's timer component: an
// interval, an enabled flag, one handler.
#include <functional>

namespace orbitfall {

class TFormTimer {
public:
    explicit TFormTimer(std::function<void()> onTimer, int intervalMs = 50)
        : onTimer_(std::move(onTimer)), interval_(intervalMs) {}
    ~TFormTimer();
    TFormTimer(const TFormTimer&) = delete;
    TFormTimer& operator=(const TFormTimer&) = delete;

    bool Enabled() const { return enabled_; }
    void SetEnabled(bool enabled);
    int Interval() const { return interval_; }
    // Takes effect from the next event on.
    void SetInterval(int milliseconds) { interval_ = milliseconds; }

private:
    static void Fire(void* self);
    std::function<void()> onTimer_;
    int interval_;
    bool enabled_ = false;
};

}  // namespace orbitfall
