#include "app/ui/template_popover.h"

#include "platform/linux/qt/qt_text.h"
#include "shared/app_util.h"
#include "shared/keys.h"
#include "shared/records.h"
#include "shared/xdg_paths.h"

#include <QCursor>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QScreen>
#include <QToolButton>
#include <QVBoxLayout>

namespace quillet::app {

using platform::qt::qtText;

PopoverViewController::PopoverViewController(AppServices& services, QWidget* parent)
    : QWidget(parent), services_(services) {
    setObjectName("TemplatePopover");
    // A popup closes as soon as the user clicks elsewhere; Wayland lets a
    // client place no window of its own, so there it is a small window.
    const bool wayland = QGuiApplication::platformName().startsWith("wayland");
    setWindowFlags(wayland ? Qt::Window : Qt::Popup);
    setWindowTitle(qtText(services_.translate("Templates")));
    setAccessibleName(qtText(services_.translate("Templates")));

    auto* layout = new QVBoxLayout(this);
    auto* header = new QHBoxLayout();
    auto* title = new QLabel(qtText(services_.translate("Templates")), this);
    QFont bold = title->font();
    bold.setBold(true);
    title->setFont(bold);
    header->addWidget(title, 1);
    auto* menuButton = new QToolButton(this);
    menuButton->setIcon(QIcon::fromTheme("open-menu-symbolic", QIcon::fromTheme("open-menu")));
    menuButton->setAccessibleName(qtText(services_.translate("Menu")));
    menuButton->setToolTip(qtText(services_.translate("Menu")));
    connect(menuButton, &QToolButton::clicked, this, [this, menuButton] {
        if (statusMenu_ != nullptr) {
            statusMenu_->popup(menuButton->mapToGlobal(QPoint(0, menuButton->height())));
        }
    });
    header->addWidget(menuButton);
    layout->addLayout(header);

    list_ = new QListWidget(this);
    list_->setObjectName("TemplateList");
    list_->setAccessibleName(qtText(services_.translate("Enabled templates")));
    list_->setIconSize(QSize(32, 32));
    layout->addWidget(list_);
    resize(280, 320);
}

void PopoverViewController::reloadTemplates() {
    list_->clear();
    SettingsStore store = services_.openSharedDefaults();
    const Value templates = store.objectForKey(keys::kFileTemplates);
    for (const auto& record : fileTemplatesFrom(templates)) {
        if (!record || !record->enabled) {
            continue;
        }
        auto icon =
            AppUtil::isDir(record->filePath)
                ? std::optional<std::string>("folder")
                : services_.fileTypes.iconNameForExtension(paths::pathExtension(record->filePath));
        auto* item = new QListWidgetItem(QIcon::fromTheme(qtText(icon.value_or("text-x-generic")),
                                                          QIcon::fromTheme("text-x-generic")),
                                         qtText(record->title), list_);
        item->setToolTip(qtText(record->defaultName()));
    }
    if (list_->count() > 0) {
        list_->setCurrentRow(0);
    }
}

void PopoverViewController::showNearPointer() {
    reloadTemplates();
    if (windowFlags().testFlag(Qt::Popup)) {
        const QPoint pointer = QCursor::pos();
        QScreen* screen = QGuiApplication::screenAt(pointer);
        QRect area = screen != nullptr ? screen->availableGeometry() : QRect();
        QPoint at = pointer;
        if (area.isValid()) {
            at.setX(std::clamp(at.x(), area.left(), std::max(area.left(), area.right() - width())));
            at.setY(std::clamp(at.y(), area.top(), std::max(area.top(), area.bottom() - height())));
        }
        move(at);
    }
    show();
    raise();
    activateWindow();
    list_->setFocus(Qt::PopupFocusReason);
}

void PopoverViewController::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

} // namespace quillet::app
