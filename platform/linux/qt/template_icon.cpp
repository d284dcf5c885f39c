#include "platform/linux/qt/template_icon.h"

#include "platform/linux/qt/qt_text.h"

#include <QApplication>
#include <QFileInfo>
#include <QMimeDatabase>
#include <QStyle>

namespace quillet::platform::qt {

namespace {

QIcon themedIconForSuffix(const std::string& suffix, const FileTypes* fileTypes) {
    if (fileTypes != nullptr) {
        const auto name = fileTypes->iconNameForExtension(suffix);
        return name ? QIcon::fromTheme(qtText(*name)) : QIcon();
    }
    if (suffix.empty()) {
        return {};
    }
    const QMimeType mime = QMimeDatabase().mimeTypeForFile(QStringLiteral("file.") + qtText(suffix),
                                                           QMimeDatabase::MatchExtension);
    if (!mime.isValid() || mime.isDefault()) {
        return {};
    }
    QIcon icon = QIcon::fromTheme(mime.iconName());
    return icon.isNull() ? QIcon::fromTheme(mime.genericIconName()) : icon;
}

} // namespace

QIcon templateIcon(const FileTemplate& fileTemplate, const FileTypes* fileTypes) {
    QIcon icon = themedIconForSuffix(fileTemplate.suffix, fileTypes);
    if (!icon.isNull()) {
        return icon;
    }
    const bool isFolder = QFileInfo(qtPath(fileTemplate.filePath)).isDir();
    icon = QIcon::fromTheme(isFolder ? QStringLiteral("folder") : QStringLiteral("text-x-generic"));
    if (!icon.isNull()) {
        return icon;
    }
    return QApplication::style()->standardIcon(isFolder ? QStyle::SP_DirIcon : QStyle::SP_FileIcon);
}

} // namespace quillet::platform::qt
