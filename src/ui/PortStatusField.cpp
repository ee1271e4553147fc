#include "ui/PortStatusField.h"

namespace mc {

PortStatusField::PortStatusField(QWidget* parent) : ElidedLabel(parent) {
    setObjectName(QStringLiteral("PortStatusField"));
    setStatus(PortStatus{});
}

void PortStatusField::setStatus(const PortStatus& status) {
    const QString text = QString::fromStdString(describePortStatus(status));
    if (text != this->text()) setWholeText(text);
}

}  // namespace mc
