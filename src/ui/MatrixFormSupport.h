#pragma once

// Small helpers shared by the implementation files of TMatrixForm: string
// conversion between the core (UTF-8 std::string) and Qt, and file paths.

#include <QFile>
#include <QString>
#include <string>

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

}  // namespace mc
