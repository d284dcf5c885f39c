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

QIcon genericIcon(bool isFolder) {
    QIcon icon =
        QIcon::fromTheme(isFolder ? QStringLiteral("folder") : QStringLiteral("text-x-generic"));
    if (!icon.isNull()) {
        return icon;
    }
    return QApplication::style()->standardIcon(isFolder ? QStyle::SP_DirIcon : QStyle::SP_FileIcon);
}

bool isFolder(const FileTemplate& fileTemplate) {
    return QFileInfo(qtPath(fileTemplate.filePath)).isDir();
}

} // namespace

QIcon templateIcon(const FileTemplate& fileTemplate, const FileTypes* fileTypes) {
    QIcon icon = themedIconForSuffix(fileTemplate.suffix, fileTypes);
    return icon.isNull() ? genericIcon(isFolder(fileTemplate)) : icon;
}

QIcon TemplateIcons::iconFor(const FileTemplate& fileTemplate) {
    const QString suffix = qtText(fileTemplate.suffix);
    auto known = bySuffix_.constFind(suffix);
    if (known == bySuffix_.constEnd()) {
        known = bySuffix_.insert(suffix, themedIconForSuffix(fileTemplate.suffix, fileTypes_));
    }
    if (!known->isNull()) {
        return *known;
    }
    std::optional<QIcon>& generic = isFolder(fileTemplate) ? folder_ : file_;
    if (!generic) {
        generic = genericIcon(&generic == &folder_);
    }
    return *generic;
}

} // namespace quillet::platform::qt
