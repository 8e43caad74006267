#pragma once

#include <QApplication>
#include <QDialog>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <functional>

// Stands in for the person in front of a modal window: once a command has opened one (and its
// event loop runs), the handler gets it, and whatever the handler left open is then rejected.
// One hook handles one modal window; one that never opens leaves Seen() at 0.
class ModalHook {
public:
    using Handler = std::function<void(QWidget&)>;

    explicit ModalHook(Handler handler = {}) : handler_(std::move(handler)) {
        timer_.setInterval(1);
        QObject::connect(&timer_, &QTimer::timeout, [this] { Poll(); });
        timer_.start();
    }
    ModalHook(const ModalHook&) = delete;
    ModalHook& operator=(const ModalHook&) = delete;

    int Seen() const { return seen_; }

private:
    static constexpr int MaxPolls = 2000;

    void Poll() {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal) {
            if (++polls_ >= MaxPolls) timer_.stop();
            return;
        }
        timer_.stop();
        ++seen_;
        QPointer<QWidget> guard(modal);
        if (handler_) handler_(*modal);
        if (!guard || !guard->isVisible()) return;
        if (auto* dialog = qobject_cast<QDialog*>(guard.data()))
            dialog->reject();
        else
            guard->close();
    }

    Handler handler_;
    QTimer timer_;
    int polls_ = 0;
    int seen_ = 0;
};
