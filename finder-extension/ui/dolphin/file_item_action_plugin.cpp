// The Dolphin plugin: KIO asks it for actions on every context menu of a
// file view, for selected items and for the view's background (where it
// passes the shown folder as the only item). It describes the core's menu as
// Qt actions; the rules, texts and icons are the core's, and a choice sends
// the core's request to the helper, as the other file managers' modules do.
//
// Qt's event loop runs GLib's main context in Dolphin, so the host's GIO
// adapters (bus name, settings watch, requests) work here as they do in the
// GTK file managers.
//
// The active window's folder is published as the other modules do, from the
// first context menu on (KIO loads the plugin no earlier): each menu names
// its window and the folder shown there, and from then on the window's own
// urlChanged(QUrl) signal (its active view went elsewhere, or another tab or
// split view became the active one) and its activation keep it current.
// Dolphin's main window is no library interface; its signal is found by
// name through Qt's meta-object, and a window without it is followed for
// activation only.
#include "finder-extension/core/active_location.h"
#include "finder-extension/core/item_selection.h"
#include "finder-extension/ui/glue/extension_host.h"
#include "shared/identifiers.h"

#include <KAbstractFileItemActionPlugin>
#include <KFileItem>
#include <KFileItemListProperties>
#include <KPluginFactory>

#include <QAction>
#include <QCoreApplication>
#include <QEvent>
#include <QIcon>
#include <QMenu>
#include <QPointer>
#include <QSet>
#include <QUrl>
#include <QWidget>

#include <chrono>
#include <filesystem>
#include <memory>

namespace {

using namespace quillet;

// What the actions of one menu share: the menu they were made from (kept
// alive, as the actions may outlive the next settings change) and the
// selection it was built for.
struct Click {
    std::shared_ptr<const Menu> menu;
    FinderSelection selection;
};

QString qtext(const std::string& text) {
    return QString::fromStdString(text);
}

// Dolphin gives a background click as the shown folder alone, which cannot
// be told from a right click on one folder: both are taken as acting in that
// folder. The file goes into it either way; the menu then shows where that
// folder itself is served.
std::optional<FinderSelection> selectionOf(const KFileItemList& items, MenuKind& kind) {
    if (items.size() == 1 && items.first().isDir()) {
        kind = MenuKind::ContextualMenuForContainer;
        const QString path = items.first().localPath();
        if (path.isEmpty()) {
            return std::nullopt;
        }
        return FinderSelection{.targetedURL = path.toStdString(), .selectedItemURLs = {}};
    }
    kind = MenuKind::ContextualMenuForItems;
    std::vector<SelectedItem> selected;
    for (const KFileItem& item : items) {
        const std::string path = item.localPath().toStdString();
        if (path.empty()) {
            return std::nullopt;
        }
        selected.push_back(
            {path, std::filesystem::path(path).parent_path().string(), item.isDir()});
    }
    return selectionOfItems(selected);
}

// The action belongs to `owner`, and so, when that is a widget, its submenu.
QAction* makeAction(const MenuItem& item, const std::shared_ptr<const Click>& click,
                    QObject* owner) {
    // A lone "&" would become a mnemonic.
    auto* action = new QAction(qtext(item.title).replace('&', QStringLiteral("&&")), owner);
    action->setObjectName(qtext(item.identifier));
    if (item.iconName) {
        action->setIcon(QIcon::fromTheme(qtext(*item.iconName)));
    }
    if (item.submenu) {
        auto* submenu = new QMenu(qobject_cast<QWidget*>(owner));
        for (const auto& child : item.submenu->items) {
            submenu->addAction(makeAction(child, click, submenu));
        }
        action->setMenu(submenu);
        // An action does not own its menu; without a parent widget, the
        // menu goes with the action.
        QObject::connect(action, &QObject::destroyed, submenu, &QObject::deleteLater);
    }
    if (!item.actionName.empty()) {
        QObject::connect(action, &QAction::triggered, [click, actionName = item.actionName] {
            try {
                if (module::ExtensionHost* host = module::ExtensionHost::current()) {
                    (void)host->finderSync().menuItemAction(actionName, click->selection);
                }
            } catch (const std::exception& e) {
                qWarning("creation request not sent: %s", e.what());
            } catch (...) {
                qWarning("creation request not sent");
            }
        });
    }
    return action;
}

// Dolphin's windows, as far as the menus have shown them.
class WindowFollower final : public QObject {
    Q_OBJECT
public:
    // The one follower, living as long as Dolphin's application object.
    static WindowFollower& instance() {
        static QPointer<WindowFollower> follower;
        if (follower.isNull()) {
            follower = new WindowFollower(qApp);
        }
        return *follower;
    }

    // A menu was opened in `window`, which shows `folder` (a local path).
    void menuShown(QWidget* window, const QString& folder) {
        if (window == nullptr) {
            return;
        }
        if (!followed_.contains(window)) {
            followed_.insert(window);
            window->installEventFilter(this);
            connect(window, &QObject::destroyed, this, &WindowFollower::windowDestroyed);
            if (window->metaObject()->indexOfSignal("urlChanged(QUrl)") >= 0) {
                connect(window, SIGNAL(urlChanged(QUrl)), this, SLOT(windowUrlChanged(QUrl)));
            }
        }
        bool changed = model_.windowShows(keyOf(window),
                                          QUrl::fromLocalFile(folder).toEncoded().toStdString());
        if (window->isActiveWindow()) {
            changed = model_.windowActivated(keyOf(window), now()) || changed;
        }
        publishIf(changed);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::WindowActivate) {
            publishIf(model_.windowActivated(keyOf(watched), now()));
        }
        return false;
    }

private Q_SLOTS:
    void windowUrlChanged(const QUrl& url) {
        publishIf(model_.windowShows(
            keyOf(sender()), url.adjusted(QUrl::StripTrailingSlash).toEncoded().toStdString()));
    }
    void windowDestroyed(QObject* window) {
        followed_.remove(window);
        publishIf(model_.windowClosed(keyOf(window)));
    }

private:
    using QObject::QObject;

    static ActiveWindows::WindowKey keyOf(const QObject* window) {
        return reinterpret_cast<ActiveWindows::WindowKey>(window);
    }
    // The monotonic clock every module and the script share: GLib's is
    // CLOCK_MONOTONIC in microseconds, and so is the standard steady clock.
    static std::uint64_t now() {
        return static_cast<std::uint64_t>(std::chrono::duration_cast<std::chrono::microseconds>(
                                              std::chrono::steady_clock::now().time_since_epoch())
                                              .count());
    }
    void publishIf(bool changed) {
        if (changed) {
            if (module::ExtensionHost* host = module::ExtensionHost::current()) {
                host->publishActiveLocation(model_.published());
            }
        }
    }

    ActiveWindows model_;
    QSet<QObject*> followed_;
};

class FileItemActionPlugin final : public KAbstractFileItemActionPlugin {
    Q_OBJECT
public:
    FileItemActionPlugin(QObject* parent, const QVariantList&)
        : KAbstractFileItemActionPlugin(parent) {
        // KIO makes an instance for each menu, but the library stays loaded:
        // the host starts with the first and lives as long as Dolphin.
        try {
            module::ExtensionHost::start(
                {ids::kExtensionDolphin, QUILLET_MODULE_TO_DATADIR, "dolphin"});
        } catch (const std::exception& e) {
            qWarning("Quillet extension not started: %s", e.what());
        } catch (...) {
            qWarning("Quillet extension not started");
        }
    }

    // Never throws: an exception must not unwind into Dolphin, and a failure
    // costs the user our entries, never the file manager.
    QList<QAction*> actions(const KFileItemListProperties& items, QWidget* parentWidget) override {
        try {
            module::ExtensionHost* host = module::ExtensionHost::current();
            MenuKind kind{};
            auto selection = selectionOf(items.items(), kind);
            if (host == nullptr || !selection) {
                return {};
            }
            if (parentWidget != nullptr) {
                // The folder the window shows: the one clicked in, or the one
                // holding the clicked items.
                const QString shown =
                    kind == MenuKind::ContextualMenuForContainer
                        ? QString::fromStdString(selection->targetedURL.value_or(std::string()))
                        : items.items()
                              .first()
                              .url()
                              .adjusted(QUrl::RemoveFilename | QUrl::StripTrailingSlash)
                              .toLocalFile();
                WindowFollower::instance().menuShown(parentWidget->window(), shown);
            }
            auto menu = host->finderSync().menuForClick(kind, *selection);
            if (!menu) {
                return {};
            }
            auto click = std::make_shared<const Click>(Click{menu, std::move(*selection)});
            // The actions belong to the widget Dolphin gives; without one, to
            // this instance, which KIO keeps as long as its menu.
            QObject* owner = parentWidget != nullptr ? static_cast<QObject*>(parentWidget) : this;
            QList<QAction*> actions;
            for (const auto& item : menu->items) {
                actions.append(makeAction(item, click, owner));
            }
            return actions;
        } catch (const std::exception& e) {
            qWarning("no menu for the click: %s", e.what());
        } catch (...) {
            qWarning("no menu for the click");
        }
        return {};
    }
};

} // namespace

K_PLUGIN_CLASS_WITH_JSON(FileItemActionPlugin, "quillet-dolphin.json")

#include "file_item_action_plugin.moc"
