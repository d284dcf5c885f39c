#include "template_popover.h"

#include "app/core/popover_placement.h"
#include "platform/linux/qt/file_drag.h"
#include "platform/linux/qt/palette_contrast.h"
#include "platform/linux/qt/qt_text.h"
#include "shared/identifiers.h"
#include "shared/keys.h"
#include "shared/window_fit.h"
#include "shared/xdg_paths.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QScreen>
#include <QThreadPool>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

namespace quillet::app {

using platform::qt::qtText;

namespace {

constexpr int kIconSize = 44;
// The most the popover takes of the screen's height.
constexpr int kMostHeight = 440;
constexpr const char* kTemplatesDidSave = "templatesDidSave";

QIcon themed(const char* name, const char* fallback) {
    return QIcon::fromTheme(QLatin1String(name), QIcon::fromTheme(QLatin1String(fallback)));
}

ScreenRect screenRect(const QRect& rect) {
    return {rect.x(), rect.y(), rect.width(), rect.height()};
}

// The tip: a popup that any key or a click elsewhere closes.
class TipLabel final : public QLabel {
public:
    TipLabel(const QString& text, QWidget* parent) : QLabel(text, parent, Qt::Popup) {}

protected:
    void keyPressEvent(QKeyEvent*) override { close(); }
};

// A plain widget is announced as a filler; the popover is a window.
QAccessibleInterface* popoverAccessible(const QString& className, QObject* object) {
    if (className == QLatin1String(PopoverViewController::staticMetaObject.className())) {
        return new QAccessibleWidget(static_cast<QWidget*>(object), QAccessible::Window);
    }
    return nullptr;
}

} // namespace

TemplateListView::TemplateListView(TemplateDropper& dropper,
                                   platform::DBusDropFolderService& dropFolders, QWidget* parent)
    : QListView(parent), dropper_(dropper), dropFolders_(dropFolders),
      model_(new TemplateListModel(this)) {
    setModel(model_);
    setIconSize(QSize(kIconSize, kIconSize));
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setDragEnabled(true);
    setDragDropMode(QAbstractItemView::DragOnly);
    setDefaultDropAction(Qt::CopyAction);
    // Every row is as tall as the first: thousands of rows are laid out
    // without asking each one its size.
    setUniformItemSizes(true);
    connect(this, &QListView::doubleClicked, this, &TemplateListView::tipRequested);
}

void TemplateListView::setTemplates(std::vector<FileTemplate> templates) {
    if (!model_->setTemplates(std::move(templates))) {
        rewind();
    }
}

void TemplateListView::rewind() {
    clearSelection();
    setCurrentIndex(QModelIndex());
    scrollToTop();
}

std::vector<FileTemplate> TemplateListView::selectedTemplates() const {
    std::vector<int> rows;
    for (const QModelIndex& index : selectionModel()->selectedRows()) {
        rows.push_back(index.row());
    }
    std::sort(rows.begin(), rows.end());
    const std::vector<FileTemplate>& shown = templates();
    std::vector<FileTemplate> chosen;
    for (int row : rows) {
        if (row >= 0 && static_cast<std::size_t>(row) < shown.size()) {
            chosen.push_back(shown[static_cast<std::size_t>(row)]);
        }
    }
    return chosen;
}

void TemplateListView::startDrag(Qt::DropActions) {
    const std::vector<FileTemplate> chosen = selectedTemplates();
    if (chosen.empty()) {
        return;
    }
    platform::qt::FileDragOffer fileOffer;
    fileOffer.directSaveName = chosen.front().defaultName();
    // The target names the item it wants; all dragged templates go into
    // its folder, in row order.
    fileOffer.saveAt = [this, chosen](const std::string& path) {
        return !dropper_.dropTemplates(chosen, paths::deletingLastPathComponent(path)).empty();
    };
    fileOffer.directSaveAloneTo = offerDirectSaveAloneTo;
    // Dolphin calls back with the folder it was dropped on.
    if (auto address = dropFolders_.exportForDrag([this, chosen](const std::string& folder) {
            dropper_.dropTemplates(chosen, folder);
        })) {
        fileOffer.extraFormats = {
            {platform::DBusDropFolderService::kServiceFormat, address->busName},
            {platform::DBusDropFolderService::kPathFormat, address->objectPath}};
    }
    // For the targets that copy what they are given.
    const std::vector<std::string> staged = dropper_.stageTemplates(chosen, dragStagingRoot());
    fileOffer.stagedFiles = staged;
    const QPixmap pixmap =
        currentIndex().data(Qt::DecorationRole).value<QIcon>().pixmap(QSize(kIconSize, kIconSize));
    // The drag may take the focus away: the popover stays until it ends.
    dragging_ = true;
    const Qt::DropAction action = platform::qt::execFileDrag(this, pixmap, std::move(fileOffer));
    dragging_ = false;
    dropper_.dragEnded(staged, action != Qt::IgnoreAction);
}

void TemplateListView::keyPressEvent(QKeyEvent* event) {
    // Dragging has no keyboard counterpart: Return creates the template in
    // the file manager's current folder, as its shortcut does.
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
        currentIndex().isValid()) {
        emit createRequested(currentIndex().row());
        return;
    }
    QListView::keyPressEvent(event);
}

// A popup window is left out of the accessibility tree (as menus are): the
// popover is a frameless tool window that closes when it loses the focus,
// announced as a window of its own.
PopoverViewController::PopoverViewController(AppServices& services, QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      services_(services), sharedDefaults_(services.openSharedDefaults()),
      helper_(services.translate) {
    static const bool factoryInstalled = [] {
        QAccessible::installFactory(popoverAccessible);
        return true;
    }();
    (void)factoryInstalled;
    auto tr = [this](const char* text) { return qtText(services_.translate(text)); };
    journal_ = std::make_unique<CreationJournal>(
        paths::appendingPathComponent(paths::containerDir(), ids::kMainApp) + "/in-progress");
    journal_->cleanLeftovers();
    dropper_ = std::make_unique<TemplateDropper>(
        DropPorts{services.mainQueue, services.alerts, services.translate,
                  [](std::function<void()> task) {
                      QThreadPool::globalInstance()->start(std::move(task));
                  }},
        journal_.get());

    setObjectName("TemplatePopover");
    setWindowTitle(tr("Quillet Templates"));
    setAccessibleName(tr("Templates"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    auto* header = new QHBoxLayout;
    auto* title = new QLabel(tr("Templates"), this);
    QFont bold = title->font();
    bold.setBold(true);
    title->setFont(bold);
    header->addWidget(title, 1);

    detachButton_ = new QToolButton(this);
    // Without an icon the button shows its text rather than nothing.
    detachButton_->setText(tr("Open in a Window"));
    detachButton_->setToolTip(tr("Open in a Window"));
    detachButton_->setAccessibleName(tr("Open in a Window"));
    detachButton_->setAutoRaise(true);
    connect(detachButton_, &QToolButton::clicked, this, &PopoverViewController::detach);
    header->addWidget(detachButton_);

    menuButton_ = new QToolButton(this);
    menuButton_->setText(tr("Menu"));
    menuButton_->setToolTip(tr("Menu"));
    menuButton_->setAccessibleName(tr("Menu"));
    menuButton_->setAutoRaise(true);
    connect(menuButton_, &QToolButton::clicked, this, &PopoverViewController::showMenu);
    header->addWidget(menuButton_);
    layout->addLayout(header);
    colourGlyphs();

    tableView_ = new TemplateListView(*dropper_, dropFolders_, this);
    tableView_->setObjectName("TemplateList");
    tableView_->setAccessibleName(tr("Templates"));
    tableView_->setToolTip(
        tr("Drag and drop a template into a file manager to create a new file."));
    tableView_->setBackgroundRole(QPalette::Base);
    // A scroll bar across the bottom would hide the last row's lower part.
    tableView_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    connect(tableView_, &TemplateListView::tipRequested, this, &PopoverViewController::showTip);
    connect(tableView_, &TemplateListView::createRequested, this,
            &PopoverViewController::createAtRow);
    title->setBuddy(tableView_);
    layout->addWidget(tableView_);
    setFocusProxy(tableView_);
    resize(280, 360);

    loadTemplates();
    savedToken_ = services_.localNotifications.addObserver(
        kTemplatesDidSave, [this](const std::string&, const std::string&) { loadTemplates(); });
    refreshToken_ = services_.notifications.addObserver(
        ids::kSuiteName, [this](const std::string&, const std::string& key) {
            if (key == keys::kFileTemplates) {
                loadTemplates();
            }
        });
}

PopoverViewController::~PopoverViewController() {
    services_.localNotifications.removeObserver(savedToken_);
    services_.notifications.removeObserver(refreshToken_);
}

void PopoverViewController::loadTemplates() {
    const std::uint64_t generation = sharedDefaults_.generation();
    if (generation == shownGeneration_) {
        tableView_->rewind();
    } else {
        tableView_->setTemplates(enabledTemplates(sharedDefaults_));
        shownGeneration_ = generation;
    }
    if (tableView_->count() > 0 && !tableView_->currentIndex().isValid()) {
        tableView_->setCurrentIndex(tableView_->model()->index(0, 0));
    }
    // A window the user may have sized keeps its size while it shows.
    if (!detached_ || !isVisible()) {
        fitToRows();
    }
}

void PopoverViewController::fitToRows() {
    const int chrome = layout()->sizeHint().height() - tableView_->sizeHint().height();
    const int rowHeight = tableView_->count() > 0 ? tableView_->sizeHintForRow(0) : 0;
    const int listHeight = wholeRowsHeight(tableView_->count(), rowHeight,
                                           2 * tableView_->frameWidth(), kMostHeight - chrome);
    resize(width(), chrome + listHeight);
}

void PopoverViewController::showNearPointer() {
    loadTemplates();
    if (detached_) {
        show();
        raise();
        activateWindow();
        return;
    }
    if (QGuiApplication::platformName().startsWith(QLatin1String("wayland"))) {
        // Wayland places windows itself and keeps no popup without a parent
        // window: a small ordinary window instead.
        setWindowFlags(Qt::Window);
    } else {
        const QPoint pointer = QCursor::pos();
        QScreen* screen = QGuiApplication::screenAt(pointer);
        if (screen == nullptr) {
            screen = QGuiApplication::primaryScreen();
        }
        const QRect available = screen->availableGeometry();
        const auto at =
            popoverPosition({pointer.x(), pointer.y()}, width(), height(), screenRect(available));
        move(at.x, at.y);
    }
    show();
    raise();
    activateWindow();
    tableView_->setFocus();
}

void PopoverViewController::detach() {
    if (detached_) {
        return;
    }
    detached_ = true;
    const QPoint at = pos();
    setWindowFlags(Qt::Window);
    detachButton_->hide();
    move(at);
    show();
    activateWindow();
    tableView_->setFocus();
}

void PopoverViewController::showMenu() {
    if (statusMenu_) {
        statusMenu_->popup(menuButton_->mapToGlobal(QPoint(0, menuButton_->height())));
    }
}

void PopoverViewController::showTip() {
    const QModelIndex item = tableView_->currentIndex();
    if (!item.isValid() || !tableView_->selectionModel()->isSelected(item)) {
        return;
    }
    if (tipPopover_ == nullptr) {
        tipPopover_ =
            new TipLabel(qtText(services_.translate(
                             "Drag and drop a template into a file manager to create a new file.")),
                         this);
        tipPopover_->setWordWrap(true);
        tipPopover_->setMargin(10);
        tipPopover_->setFixedWidth(220);
        tipPopover_->setFrameShape(QFrame::StyledPanel);
        tipPopover_->setAccessibleName(qtText(services_.translate("Tip")));
    }
    tipPopover_->adjustSize();
    const QRect row(tableView_->viewport()->mapToGlobal(tableView_->visualRect(item).topLeft()),
                    tableView_->visualRect(item).size());
    QScreen* screen = QGuiApplication::screenAt(row.center());
    if (screen == nullptr) {
        screen = this->screen();
    }
    const QRect room =
        screen != nullptr ? screen->availableGeometry() : QRect(row.topLeft(), row.size());
    const auto place =
        tipPosition(screenRect(row), screenRect(frameGeometry()), tipPopover_->width(),
                    tipPopover_->height(), screenRect(room), layoutDirection() == Qt::RightToLeft);
    tipPopover_->move(place.x, place.y);
    tipPopover_->show();
}

void PopoverViewController::createAtRow(int row) {
    if (row < 0) {
        return;
    }
    if (auto index = storedIndexOfEnabledRow(sharedDefaults_, static_cast<std::size_t>(row))) {
        helper_.activateShortcut(static_cast<std::int64_t>(*index));
        if (!detached_) {
            close();
        }
    }
}

void PopoverViewController::colourGlyphs() {
    detachButton_->setIcon(
        platform::qt::glyphForPalette(themed("window-new-symbolic", "window-new"), palette()));
    menuButton_->setIcon(
        platform::qt::glyphForPalette(themed("open-menu-symbolic", "open-menu"), palette()));
}

void PopoverViewController::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::PaletteChange) {
        colourGlyphs();
    }
    // Closes as a popup would when the user turns to another window; a menu
    // or the tip opened from it keeps it.
    if (event->type() == QEvent::ActivationChange && !detached_ && isVisible() &&
        !isActiveWindow() && QApplication::activePopupWidget() == nullptr &&
        !tableView_->isDragging()) {
        close();
    }
}

void PopoverViewController::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

} // namespace quillet::app
