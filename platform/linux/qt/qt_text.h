// Conversions between the core's strings and Qt's. Paths go through the file
// system's encoding, texts are UTF-8.
#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

#include <string>

namespace quillet::platform::qt {

inline QString qtText(const std::string& text) {
    return QString::fromStdString(text);
}
inline std::string coreText(const QString& text) {
    return text.toStdString();
}

inline QString qtPath(const std::string& path) {
    return QFile::decodeName(QByteArray::fromStdString(path));
}
inline std::string corePath(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

} // namespace quillet::platform::qt
