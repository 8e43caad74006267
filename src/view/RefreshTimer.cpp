#include "view/RefreshTimer.h"

#include "res/ResourceIds.h"

RefreshTimer::RefreshTimer(bool real, std::function<void()> tick) : real_(real) {
    timer_.setInterval(Res::RefreshPeriodMs);
    QObject::connect(&timer_, &QTimer::timeout, std::move(tick));
}

void RefreshTimer::Stop() {
    timer_.stop();
    id_ = 0;
}

void RefreshTimer::Restart() {
    if (id_ != 0) return;
    id_ = Res::RefreshTimerId;
    if (real_) timer_.start();
}
