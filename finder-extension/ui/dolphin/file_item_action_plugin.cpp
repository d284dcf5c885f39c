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
// Unlike the others, this plugin does not publish the active window's
// folder: KIO loads it only for the first context menu, and Dolphin's window
// and its view's URL are no public interface a plugin can follow.
#include "finder-extension/core/item_selection.h"
#include "finder-extension/ui/glue/extension_host.h"
#include "shared/identifiers.h"

#include <KAbstractFileItemActionPlugin>
#include <KFileItem>
#include <KFileItemListProperties>
#include <KPluginFactory>

#include <QAction>
#include <QIcon>
#include <QMenu>

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
