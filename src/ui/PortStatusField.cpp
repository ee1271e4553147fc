#include "ui/PortStatusField.h"

namespace mc {

PortStatusField::PortStatusField(QWidget* parent) : ElidedLabel(parent) {
    setObjectName(QStringLiteral("PortStatusField"));
    setStatus(PortStatus{});
}

void PortStatusField::setStatus(const PortStatus& status) {
    const QString text = QString::fromStdString(describePortStatus(status));
    if (text != this->text()) setWholeText(text);
    // Red while the device is lost: the operator's frames wait for it.
    const bool lost = status.state == PortState::Lost;
    if (lost != m_lost) {
        m_lost = lost;
        setStyleSheet(lost ? QStringLiteral("color: white; background-color: #c62828;")
                           : QString());
    }
}

}  // namespace mc
