#pragma once

// Small helpers shared by the implementation files of TMatrixForm: string
// conversion between the core (UTF-8 std::string) and Qt, and the handler
// guard that keeps exceptions out of Qt's event loop.

#include <QFile>
#include <QString>
#include <exception>
#include <string>

#include "control/Dialogs.h"
#include "control/QXRMainControl.h"

namespace mc {

inline QString toQ(const std::string& text) {
    return QString::fromStdString(text);
}

inline std::string fromQ(const QString& text) {
    return text.toStdString();
}

// A path as the file system takes it (the locale's file-name encoding).
inline std::string pathFromQ(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

inline QString pathToQ(const std::string& path) {
    return QFile::decodeName(QByteArray::fromStdString(path));
}

template <typename Operation>
void TMatrixForm::guarded(Operation&& operation) {
    try {
        operation();
    } catch (const std::exception& error) {
        m_dialogs.showError(this, QString::fromUtf8(error.what()));
        // Whatever the operation changed before it stopped is shown as it is.
        if (m_state && !GridBoxes.empty()) refreshGrid();
    }
}

}  // namespace mc
