#pragma once

// PortStatusField: the permanent field at the right end of the control
// window's status bar: the serial device, its speed and state, and the frames
// waiting (describePortStatus); shortened at a word when the bar is narrow,
// the whole text in its tooltip. Red while the device is lost.

#include "ui/ElidedLabel.h"

#include "control/PortStatus.h"

namespace mc {

class PortStatusField final : public ElidedLabel {
    Q_OBJECT
public:
    explicit PortStatusField(QWidget* parent = nullptr);

    void setStatus(const PortStatus& status);
    bool lost() const { return m_lost; }

private:
    bool m_lost = false;
};

}  // namespace mc
