#pragma once

#include <QObject>
#include <QString>
#include <array>

#include "history/HistorySampler.h"
#include "history/IHistoryListener.h"
#include "rows/CounterRef.h"

class QWidget;
class HistoryWindow;
class EventMarks;

// The open history windows, one per watched counter of the sampler. Redraws the visible ones
// whenever the sampler has taken a tick's samples.
class HistoryPlots : public QObject, public IHistoryListener {
    Q_OBJECT
public:
    // `marks` are the events the windows mark on their time axis.
    HistoryPlots(HistorySampler& sampler, const EventMarks& marks, QWidget* owner);
    ~HistoryPlots() override;

    // Opens a window on the counter, or brings its open one to the front. Beyond the
    // sampler's capacity it says so and opens nothing.
    void Show(const CounterRef& counter, const QString& title);
    int OpenCount() const;

    void OnHistoryChanged(int64_t nowMs) override;

private:
    void Closed(int slot);

    HistorySampler& sampler_;
    const EventMarks& marks_;
    QWidget* owner_;
    std::array<HistoryWindow*, HistorySampler::WatchCapacity> windows_{};
};
