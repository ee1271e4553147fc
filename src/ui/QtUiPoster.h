#pragma once

#include <QObject>

#include "serial/UiPoster.h"

namespace mc {

// Runs posted tasks on the thread of this object (the user-interface thread)
// through its event loop, in posting order. Tasks still pending when the
// poster is destroyed are dropped.
class QtUiPoster final : public QObject, public IUiPoster {
    Q_OBJECT
public:
    using QObject::QObject;
    void post(std::function<void()> task) override;
    void postLater(std::function<void()> task, std::chrono::milliseconds delay) override;
};

}  // namespace mc
