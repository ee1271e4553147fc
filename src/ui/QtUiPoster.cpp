#include "ui/QtUiPoster.h"

#include <QMetaObject>

namespace mc {

void QtUiPoster::post(std::function<void()> task) {
    QMetaObject::invokeMethod(this, std::move(task), Qt::QueuedConnection);
}

}  // namespace mc
