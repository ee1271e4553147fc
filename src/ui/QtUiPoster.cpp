#include "ui/QtUiPoster.h"

#include <QMetaObject>
#include <QTimer>

namespace mc {

void QtUiPoster::post(std::function<void()> task) {
    QMetaObject::invokeMethod(this, std::move(task), Qt::QueuedConnection);
}

void QtUiPoster::postLater(std::function<void()> task, std::chrono::milliseconds delay) {
    QTimer::singleShot(delay, this, std::move(task));
}

}  // namespace mc
