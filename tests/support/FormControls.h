#pragma once

// The controls of a window found by their object names, for the window tests.

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QObject>
#include <QString>
#include <cstddef>

namespace mc::test {

// The child of `window` named `name`; fails the test (and returns null) when
// there is none.
template <typename Widget>
Widget* child(const QObject& window, const QString& name) {
    auto* found = window.findChild<Widget*>(name);
    if (found == nullptr) ADD_FAILURE() << "no control named " << name.toStdString();
    return found;
}

// The grid of the control window: box [r][c], label c, name fields.
inline QCheckBox* gridBox(const QObject& window, std::size_t r, std::size_t c) {
    return child<QCheckBox>(window, QStringLiteral("GridBox%1_%2").arg(r).arg(c));
}
inline QLabel* columnLabel(const QObject& window, std::size_t c) {
    return child<QLabel>(window, QStringLiteral("ColumnLabel%1").arg(c));
}
inline QLineEdit* inputEdit(const QObject& window, std::size_t c) {
    return child<QLineEdit>(window, QStringLiteral("InputNameEdit%1").arg(c));
}
inline QLineEdit* outputEdit(const QObject& window, std::size_t r) {
    return child<QLineEdit>(window, QStringLiteral("OutputNameEdit%1").arg(r));
}

// How many controls named prefix0, prefix1, ... exist.
inline std::size_t countNamed(const QObject& window, const QString& pattern) {
    std::size_t n = 0;
    while (window.findChild<QObject*>(pattern.arg(n)) != nullptr)
        ++n;
    return n;
}
inline std::size_t gridRows(const QObject& window) {
    return countNamed(window, QStringLiteral("GridBox%1_0"));
}
inline std::size_t gridColumns(const QObject& window) {
    return countNamed(window, QStringLiteral("GridBox0_%1"));
}
inline std::size_t columnLabelCount(const QObject& window) {
    return countNamed(window, QStringLiteral("ColumnLabel%1"));
}

}  // namespace mc::test
