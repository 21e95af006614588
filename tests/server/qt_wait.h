#pragma once

#include <QCoreApplication>
#include <QElapsedTimer>
#include <chrono>
#include <functional>

namespace qc::server::testing {

// Runs the event loop until `done` or the time-out; whether `done` came.
inline bool Until(const std::function<bool()>& done,
                  std::chrono::milliseconds timeout = std::chrono::seconds(5)) {
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > timeout.count()) {
            return false;
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return true;
}

}  // namespace qc::server::testing
