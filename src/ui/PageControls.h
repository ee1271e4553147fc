#pragma once

// Small makers of the configuration dialog's pages (ServicePage,
// SerialDevicePicker): a control with its object name, placed at a fixed
// position as the pages' designs have them.

#include <QLabel>
#include <QPushButton>
#include <QString>
#include <QWidget>

namespace mc::pagecontrols {

template <typename Widget>
Widget* named(Widget* widget, const QString& name) {
    widget->setObjectName(name);
    return widget;
}

// A label sized to its caption, its top left corner at (left, top).
inline QLabel* label(const QString& caption, int left, int top, QWidget* parent,
                     const QString& name) {
    auto* l = named(new QLabel(caption, parent), name);
    l->adjustSize();
    l->move(left, top);
    return l;
}

// An 85 × 25 push button that is never the dialog's default.
inline QPushButton* button(const QString& caption, int left, int top, QWidget* parent,
                           const QString& name) {
    auto* b = named(new QPushButton(caption, parent), name);
    b->setGeometry(left, top, 85, 25);
    b->setAutoDefault(false);
    return b;
}

}  // namespace mc::pagecontrols
