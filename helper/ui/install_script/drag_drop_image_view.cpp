#include "helper/ui/install_script/drag_drop_image_view.h"

#include "helper/core/shortcuts/script_installer.h"
#include "shared/xdg_paths.h"

#include <QApplication>
#include <QDrag>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QUrl>

#include <filesystem>

namespace quillet::helper {

DragDropImageView::DragDropImageView(QWidget* parent) : QLabel(parent) {
    setAlignment(Qt::AlignCenter);
    setFocusPolicy(Qt::StrongFocus);
    setCursor(Qt::OpenHandCursor);
}

void DragDropImageView::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        pressed_ = true;
        pressPosition_ = event->position().toPoint();
    }
    QLabel::mousePressEvent(event);
}

void DragDropImageView::mouseMoveEvent(QMouseEvent* event) {
    if (pressed_ && (event->buttons() & Qt::LeftButton) &&
        (event->position().toPoint() - pressPosition_).manhattanLength() >=
            QApplication::startDragDistance()) {
        pressed_ = false;
        startDrag();
    }
    QLabel::mouseMoveEvent(event);
}

void DragDropImageView::keyPressEvent(QKeyEvent* event) {
    // A drag needs a pointer; from the keyboard, Space starts one that the
    // pointer then carries.
    if (event->key() == Qt::Key_Space) {
        startDrag();
        return;
    }
    QLabel::keyPressEvent(event);
}

DragDropImageView::~DragDropImageView() {
    // The target has taken its copy by the time the window goes.
    removeStaging();
}

void DragDropImageView::removeStaging() {
    if (!stagingFolder_.empty()) {
        std::error_code ignored;
        std::filesystem::remove_all(stagingFolder_, ignored);
        stagingFolder_.clear();
    }
}

QString DragDropImageView::stagedCopy() {
    removeStaging(); // one staged copy at a time
    Expected<std::string> staged =
        ScriptInstaller::stageForDrag(path_.toStdString(), paths::runtimeDir());
    if (!staged) {
        qWarning("%s", staged.error().logText().c_str());
        return path_; // the shipped file itself; the drag offers a copy only
    }
    stagingFolder_ = paths::deletingLastPathComponent(*staged);
    return QString::fromStdString(*staged);
}

void DragDropImageView::startDrag() {
    if (!allowDrag_ || path_.isEmpty() || pixmap().isNull()) {
        return;
    }
    auto* mime = new QMimeData;
    mime->setUrls({QUrl::fromLocalFile(stagedCopy())});

    // The image dragged is the icon, half transparent.
    QPixmap icon = pixmap();
    QPixmap faded(icon.size());
    faded.setDevicePixelRatio(icon.devicePixelRatio());
    faded.fill(Qt::transparent);
    {
        QPainter painter(&faded);
        painter.setOpacity(0.5);
        painter.drawPixmap(0, 0, icon);
    }
    auto* drag = new QDrag(this);
    drag->setMimeData(mime);
    drag->setPixmap(faded);
    drag->setHotSpot(QPoint(faded.width() / 2, faded.height() / 2) /
                     static_cast<int>(std::max(1.0, faded.devicePixelRatio())));
    // Copy only: Nautilus ignores drops that offer several actions.
    if (drag->exec(Qt::CopyAction, Qt::CopyAction) == Qt::CopyAction) {
        emit dragFinished();
    }
}

} // namespace quillet::helper
