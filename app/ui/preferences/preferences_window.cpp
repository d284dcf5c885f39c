#include "app/ui/preferences/preferences_window.h"

#include "app/core/preferences/mnemonics.h"
#include "platform/linux/qt/qt_text.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QAccessibleWidget>
#include <QAction>
#include <QActionGroup>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLabel>
#include <QShortcut>
#include <QSignalBlocker>
#include <QSizePolicy>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

namespace quillet::app {

using platform::qt::coreText;
using platform::qt::qtText;

namespace {

std::vector<PreferencesWindowModel::Entry> entriesOf(const std::vector<PreferencesPane*>& panes) {
    std::vector<PreferencesWindowModel::Entry> entries;
    for (PreferencesPane* pane : panes) {
        if (pane == nullptr) {
            entries.emplace_back(std::nullopt);
            continue;
        }
        entries.emplace_back(PaneEntry{coreText(pane->identifier()),
                                       coreText(pane->toolbarItemLabel()),
                                       pane->hasResizableWidth(), pane->hasResizableHeight()});
    }
    return entries;
}

constexpr const char* kToolbarName = "PreferencesToolbar";

// A pane button is announced as a page tab (not as the check box a checkable
// tool button would be); pressing or toggling it checks it, which switches
// the pane.
class PaneButtonAccessible final : public QAccessibleWidget {
public:
    explicit PaneButtonAccessible(QAbstractButton* button)
        : QAccessibleWidget(button, QAccessible::PageTab) {}

    QAccessible::State state() const override {
        QAccessible::State state = QAccessibleWidget::state();
        state.checkable = true;
        state.checked = button()->isChecked();
        state.selected = button()->isChecked();
        return state;
    }
    QStringList actionNames() const override { return {pressAction(), toggleAction()}; }
    void doAction(const QString& name) override {
        if (button()->isEnabled() && (name == pressAction() || name == toggleAction()) &&
            !button()->isChecked()) {
            button()->setChecked(true);
        }
    }

private:
    QAbstractButton* button() const { return static_cast<QAbstractButton*>(widget()); }
};

// Asked as soon as a button exists, while an assistive tool listens: the
// toolbar it is on tells, before anything else is set on it.
QAccessibleInterface* paneButtonAccessible(const QString&, QObject* object) {
    auto* button = qobject_cast<QAbstractButton*>(object);
    if (button != nullptr && button->parent() != nullptr &&
        button->parent()->objectName() == QLatin1String(kToolbarName) &&
        button->objectName() != QLatin1String("qt_toolbar_ext_button")) {
        return new PaneButtonAccessible(button);
    }
    return nullptr;
}

// The access keys of the toolbar's labels and of each pane's buttons and
// check boxes: one pane shows at a time, so a pane's keys only have to differ
// from each other and from the toolbar's.
void addMnemonics(const std::vector<PreferencesPane*>& panes, const std::vector<QAction*>& items) {
    std::vector<std::string> labels;
    for (QAction* item : items) {
        if (item != nullptr) {
            labels.push_back(coreText(item->text()));
        }
    }
    const std::vector<std::string> marked = withMnemonics(labels);
    std::string toolbarKeys;
    std::size_t next = 0;
    for (QAction* item : items) {
        if (item == nullptr) {
            continue;
        }
        // A tool button shows the icon text, which drops a mnemonic unless
        // it is set on its own.
        item->setIconText(qtText(marked[next]));
        const std::size_t amp = marked[next].find('&');
        if (amp != std::string::npos && amp + 1 < marked[next].size()) {
            toolbarKeys += marked[next][amp + 1];
        }
        ++next;
    }
    for (PreferencesPane* pane : panes) {
        if (pane == nullptr) {
            continue;
        }
        std::vector<QAbstractButton*> buttons;
        std::vector<std::string> texts;
        for (QAbstractButton* button : pane->findChildren<QAbstractButton*>()) {
            if (!button->text().isEmpty() && !button->text().contains('&')) {
                buttons.push_back(button);
                texts.push_back(coreText(button->text()));
            }
        }
        // A label's own key (the buddy of a list) is the pane's too.
        std::string reserved = toolbarKeys;
        for (QLabel* label : pane->findChildren<QLabel*>()) {
            const QString text = label->text();
            const qsizetype amp = text.indexOf('&');
            if (label->buddy() != nullptr && amp >= 0 && amp + 1 < text.size() &&
                text[amp + 1] != '&') {
                reserved += coreText(text.mid(amp + 1, 1));
            }
        }
        const std::vector<std::string> keyed = withMnemonics(texts, reserved);
        for (std::size_t i = 0; i < buttons.size(); ++i) {
            if (buttons[i]->accessibleName().isEmpty()) {
                buttons[i]->setAccessibleName(buttons[i]->text());
            }
            buttons[i]->setText(qtText(keyed[i]));
        }
    }
}

int pixels(double value) {
    if (value >= QWIDGETSIZE_MAX) {
        return QWIDGETSIZE_MAX;
    }
    return static_cast<int>(std::clamp(value, 0.0, static_cast<double>(QWIDGETSIZE_MAX)));
}

} // namespace

PreferencesWindow::PreferencesWindow(std::vector<PreferencesPane*> panes, const QString& title,
                                     SettingsStore& privateDefaults, QWidget* parent)
    : QMainWindow(parent), panes_(std::move(panes)),
      model_(entriesOf(panes_),
             title.isEmpty() ? std::nullopt : std::optional<std::string>(coreText(title)),
             privateDefaults) {
    static const bool factoryInstalled = [] {
        QAccessible::installFactory(paneButtonAccessible);
        return true;
    }();
    (void)factoryInstalled;
    setObjectName("PreferencesWindow");
    setWindowTitle(title);
    setAccessibleName(title);

    toolbar_ = new QToolBar(this);
    toolbar_->setObjectName(kToolbarName);
    toolbar_->setAccessibleName(title);
    toolbar_->setMovable(false);
    toolbar_->setFloatable(false);
    toolbar_->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    toolbar_->setContextMenuPolicy(Qt::PreventContextMenu);
    toolbar_->setIconSize(QSize(32, 32));
    addToolBar(Qt::TopToolBarArea, toolbar_);
    toolbarGroup_ = new QActionGroup(this);
    toolbarGroup_->setExclusive(true);

    for (std::size_t i = 0; i < panes_.size(); ++i) {
        PreferencesPane* pane = panes_[i];
        if (pane == nullptr) {
            auto* space = new QWidget(toolbar_);
            space->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
            toolbar_->addWidget(space);
            toolbarItems_.push_back(nullptr);
            continue;
        }
        QAction* item = toolbar_->addAction(pane->toolbarItemImage(), pane->toolbarItemLabel());
        item->setCheckable(true);
        item->setObjectName(pane->identifier());
        item->setData(pane->identifier());
        toolbarGroup_->addAction(item);
        if (auto* button = qobject_cast<QToolButton*>(toolbar_->widgetForAction(item))) {
            // Reachable with Tab as well as with Ctrl+PageUp/PageDown.
            button->setFocusPolicy(Qt::StrongFocus);
            button->setAccessibleName(pane->toolbarItemLabel());
            button->setObjectName(pane->identifier() + "Button");
            // One of a set: checking one unchecks the others.
            button->setAutoExclusive(true);
            // The button's own state, not the action's trigger: an assistive
            // tool's toggle action checks the button without a click.
            connect(button, &QToolButton::toggled, this, [this, i](bool on) {
                if (on && !syncingToolbar_ && model_.selected() != i) {
                    selectControllerAtIndex(i);
                }
            });
        }
        toolbarItems_.push_back(item);
        pane->setParent(this);
        pane->hide();
    }

    addMnemonics(panes_, toolbarItems_);

    content_ = new QWidget(this);
    content_->setObjectName("PreferencesContent");
    contentLayout_ = new QVBoxLayout(content_);
    contentLayout_->setContentsMargins(0, 0, 0, 0);
    contentLayout_->setSpacing(0);
    setCentralWidget(content_);

    auto* next = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_PageDown), this);
    connect(next, &QShortcut::activated, this, &PreferencesWindow::goNextTab);
    auto* previous = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_PageUp), this);
    connect(previous, &QShortcut::activated, this, &PreferencesWindow::goPreviousTab);
    auto* close = new QShortcut(QKeySequence::Close, this);
    connect(close, &QShortcut::activated, this, &QWidget::close);

    // Restoration: the remembered pane (else the first), then the position.
    selectIndex(model_.restoredSelection());
    if (auto topLeft = model_.savedTopLeft()) {
        move(static_cast<int>(topLeft->x), static_cast<int>(topLeft->y));
    }
    restoring_ = false;
}

PreferencesWindow::~PreferencesWindow() = default;

PreferencesPane* PreferencesWindow::selectedViewController() const {
    auto index = model_.selected();
    return index ? panes_[*index] : nullptr;
}

PreferencesPane* PreferencesWindow::viewControllerForIdentifier(const QString& identifier) const {
    auto index = model_.indexForIdentifier(coreText(identifier));
    return index ? panes_[*index] : nullptr;
}

QAction* PreferencesWindow::toolbarItem(const QString& identifier) const {
    auto index = model_.indexForIdentifier(coreText(identifier));
    return index ? toolbarItems_[*index] : nullptr;
}

void PreferencesWindow::selectControllerAtIndex(std::size_t index) {
    if (index < panes_.size()) {
        selectIndex(index);
    }
}

void PreferencesWindow::selectControllerWithIdentifier(const QString& identifier) {
    selectIndex(model_.indexForIdentifier(coreText(identifier)));
}

void PreferencesWindow::goNextTab() {
    if (auto index = model_.nextIndex(true)) {
        selectControllerAtIndex(*index);
    }
}

void PreferencesWindow::goPreviousTab() {
    if (auto index = model_.nextIndex(false)) {
        selectControllerAtIndex(*index);
    }
}

bool PreferencesWindow::commit(std::size_t index) {
    return panes_[index] == nullptr || panes_[index]->commitEditing();
}

PaneSizes PreferencesWindow::paneSizes() const {
    // What the panes and their layouts ask for, and no narrower than the
    // toolbar, whose buttons must all show.
    QSize natural(toolbar_->sizeHint().width(), 0);
    QSize minimum = natural;
    for (PreferencesPane* pane : panes_) {
        if (pane != nullptr) {
            natural = natural.expandedTo(pane->sizeHint()).expandedTo(pane->minimumSizeHint());
            minimum = minimum.expandedTo(pane->minimumSizeHint());
        }
    }
    auto size = [](QSize qt) {
        return Size{static_cast<double>(qt.width()), static_cast<double>(qt.height())};
    };
    return PaneSizes{size(natural), size(minimum)};
}

Size PreferencesWindow::chrome() const {
    return Size{0, static_cast<double>(toolbar_->sizeHint().height())};
}

void PreferencesWindow::selectIndex(std::optional<std::size_t> index) {
    const QRect frame = geometry();
    Rect window{{static_cast<double>(pos().x()), static_cast<double>(pos().y())},
                {static_cast<double>(frame.width()), static_cast<double>(frame.height())}};
    apply(model_.select(
        index, [this](std::size_t i) { return commit(i); }, paneSizes(), window, chrome()));
}

void PreferencesWindow::checkToolbarItem(std::optional<std::size_t> index) {
    syncingToolbar_ = true;
    if (index && toolbarItems_[*index] != nullptr) {
        toolbarItems_[*index]->setChecked(true);
    } else if (QAction* checked = toolbarGroup_->checkedAction()) {
        toolbarGroup_->setExclusionPolicy(QActionGroup::ExclusionPolicy::ExclusiveOptional);
        checked->setChecked(false);
        toolbarGroup_->setExclusionPolicy(QActionGroup::ExclusionPolicy::Exclusive);
    }
    // A button checked by an assistive tool was not its action's doing: the
    // buttons follow the actions again, the one refused included.
    for (QAction* item : toolbarItems_) {
        auto* button = item != nullptr
                           ? qobject_cast<QAbstractButton*>(toolbar_->widgetForAction(item))
                           : nullptr;
        if (button != nullptr && button->isChecked() != item->isChecked()) {
            const QSignalBlocker quiet(button);
            button->setAutoExclusive(false);
            button->setChecked(item->isChecked());
            button->setAutoExclusive(true);
        }
    }
    syncingToolbar_ = false;
}

void PreferencesWindow::apply(const PreferencesWindowModel::Change& change) {
    using Kind = PreferencesWindowModel::Change::Kind;
    if (change.kind == Kind::Unchanged) {
        checkToolbarItem(model_.selected());
        return;
    }
    if (change.kind == Kind::Refused) {
        // The button clicked must not stay highlighted: the pane stays.
        checkToolbarItem(model_.selected());
        return;
    }
    if (change.previous) {
        PreferencesPane* old = panes_[*change.previous];
        contentLayout_->removeWidget(old);
        old->hide();
        old->viewDidDisappear();
    }
    if (change.kind == Kind::Cleared) {
        checkToolbarItem(std::nullopt);
        return;
    }

    const std::size_t index = *model_.selected();
    PreferencesPane* pane = panes_[index];
    if (change.windowTitle) {
        setWindowTitle(qtText(*change.windowTitle));
    }
    checkToolbarItem(index);

    // No fixed minimum: the pane's layout gives it, and grows it when a line
    // in the pane grows (the extension's status), so nothing is squeezed.
    const PaneLayout& layout = change.layout;
    const Size extra = chrome();
    setMaximumSize(pixels(layout.maximumPaneSize.width + extra.width),
                   pixels(layout.maximumPaneSize.height + extra.height));
    pane->resize(pixels(layout.paneFrame.size.width), pixels(layout.paneFrame.size.height));

    pane->viewWillAppear();
    contentLayout_->addWidget(pane);
    pane->show();
    // The top-left corner stays; the window grows or shrinks to the right and down.
    const QPoint topLeft = pos();
    resize(pixels(layout.windowFrame.size.width), pixels(layout.windowFrame.size.height));
    if (isVisible()) {
        move(topLeft);
    }

    if (QWidget* first = pane->initialKeyView()) {
        first->setFocus(Qt::OtherFocusReason);
    } else if (QWidget* button = toolbar_->widgetForAction(toolbarItems_[index])) {
        button->setFocus(Qt::OtherFocusReason);
    }
    emit didChangeView();
}

void PreferencesWindow::keyPressEvent(QKeyEvent* event) {
    // Escape reaches the window when no control took it (an editor, a menu
    // or the shortcut recorder cancel with it first).
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        close();
        return;
    }
    QMainWindow::keyPressEvent(event);
}

void PreferencesWindow::closeEvent(QCloseEvent* event) {
    if (!model_.shouldClose([this](std::size_t i) { return commit(i); })) {
        event->ignore();
        return;
    }
    event->accept();
    if (onWillClose) {
        onWillClose();
    }
}

void PreferencesWindow::moveEvent(QMoveEvent* event) {
    QMainWindow::moveEvent(event);
    if (!restoring_ && isVisible()) {
        model_.windowDidMove(Point{static_cast<double>(pos().x()), static_cast<double>(pos().y())});
    }
}

void PreferencesWindow::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    if (restoring_ || !isVisible()) {
        return;
    }
    // The pane fills the content area, which the layout has just sized.
    if (selectedViewController() != nullptr) {
        model_.windowDidResize(
            Size{static_cast<double>(content_->width()), static_cast<double>(content_->height())});
    }
}

void PreferencesWindow::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow() && onDidBecomeMain) {
        onDidBecomeMain();
    }
}

} // namespace quillet::app
