// Dolphin: the plugin found and made by KIO's own plugin loading, and asked as
// Dolphin asks it: KFileItemActions over the clicked items (the shown folder
// alone for a background click). Its answers are QActions; the cases get each
// as a GObject with the properties and the "activate" signal that the GTK
// file managers' items have.
#include "harness_file_info.h"
#include "module_driver.h"

#include "shared/identifiers.h"

#include <KFileItem>
#include <KFileItemActions>
#include <KFileItemListProperties>
#include <KPluginMetaData>

#include <QAction>
#include <QApplication>
#include <QIcon>
#include <QMenu>

#include <filesystem>
#include <memory>

#include <sys/stat.h>

namespace quillet::test::driver {

namespace {

namespace fs = std::filesystem;

// One right click's menu, alive while any entry of it is: the file manager
// may drop its menu before an activation reaches the plugin.
struct Entry {
    GObject parent;
    std::shared_ptr<QMenu>* menu;
    QAction* action; // null for a submenu
    QMenu* submenu;
};
struct EntryClass {
    GObjectClass parent;
};
enum { PropName = 1, PropLabel, PropIcon, PropMenu };

Entry* self(gpointer object) {
    return static_cast<Entry*>(object);
}

GObject* newEntry(const std::shared_ptr<QMenu>& menu, QAction* action, QMenu* submenu);

void getProperty(GObject* object, guint id, GValue* value, GParamSpec*) {
    QAction* action = self(object)->action;
    switch (id) {
    case PropName:
        g_value_set_string(value, action->objectName().toUtf8().constData());
        break;
    case PropLabel: // without the mnemonic marks
        g_value_set_string(value, action->iconText().toUtf8().constData());
        break;
    case PropIcon:
        g_value_set_string(value, action->icon().name().toUtf8().constData());
        break;
    case PropMenu:
        if (action->menu() != nullptr) {
            g_value_take_object(value, newEntry(*self(object)->menu, nullptr, action->menu()));
        }
        break;
    }
}

void finalize(GObject* object) {
    delete self(object)->menu;
    G_OBJECT_CLASS(g_type_class_peek_parent(G_OBJECT_GET_CLASS(object)))->finalize(object);
}

void activate(GObject* object) {
    self(object)->action->trigger();
}

void classInit(gpointer klass, gpointer) {
    auto* objectClass = G_OBJECT_CLASS(klass);
    objectClass->get_property = getProperty;
    objectClass->finalize = finalize;
    for (auto [id, name] :
         {std::pair{PropName, "name"}, {PropLabel, "label"}, {PropIcon, "icon"}}) {
        g_object_class_install_property(
            objectClass, id, g_param_spec_string(name, name, name, nullptr, G_PARAM_READABLE));
    }
    g_object_class_install_property(
        objectClass, PropMenu,
        g_param_spec_object("menu", "menu", "menu", G_TYPE_OBJECT, G_PARAM_READABLE));
    g_signal_new_class_handler("activate", G_TYPE_FROM_CLASS(klass), G_SIGNAL_RUN_LAST,
                               G_CALLBACK(activate), nullptr, nullptr, nullptr, G_TYPE_NONE, 0);
}

GType entryType() {
    static GType type =
        g_type_register_static_simple(G_TYPE_OBJECT, "DolphinHarnessEntry", sizeof(EntryClass),
                                      classInit, sizeof(Entry), nullptr, GTypeFlags(0));
    return type;
}

GObject* newEntry(const std::shared_ptr<QMenu>& menu, QAction* action, QMenu* submenu) {
    auto* entry = self(g_object_new(entryType(), nullptr));
    entry->menu = new std::shared_ptr<QMenu>(menu);
    entry->action = action;
    entry->submenu = submenu;
    return G_OBJECT(entry);
}

// Ours of a menu's actions (KIO adds those of every plugin it finds).
GList* entriesOf(const std::shared_ptr<QMenu>& menu, QMenu* shown) {
    GList* entries = nullptr;
    for (QAction* action : shown->actions()) {
        if (action->objectName().startsWith(QLatin1String("QuilletExtension::"))) {
            entries = g_list_append(entries, newEntry(menu, action, nullptr));
        }
    }
    return entries;
}

KFileItem fileItem(gpointer info) {
    char* uri = g_file_get_uri(file_info::location(info));
    const bool folder = file_info::isDirectory(info);
    // Dolphin knows the kind of each item; the plugin must not ask the disk.
    KFileItem item(QUrl(QString::fromUtf8(uri)),
                   folder ? QStringLiteral("inode/directory") : QString(),
                   folder ? S_IFDIR : S_IFREG);
    g_free(uri);
    return item;
}

// The menu of a right click on these items, as Dolphin builds it.
GList* itemsFor(const KFileItemList& items) {
    auto menu = std::make_shared<QMenu>();
    KFileItemActions actions;
    actions.setParentWidget(menu.get());
    actions.setItemListProperties(KFileItemListProperties(items));
    actions.addActionsTo(menu.get(), KFileItemActions::MenuActionSource::Plugins);
    return entriesOf(menu, menu.get());
}

QApplication* gApplication = nullptr;

} // namespace

const char* extensionBusName() {
    return ids::kExtensionDolphin;
}

std::string loadModule() {
    const fs::path plugin = QUILLET_DOLPHIN_MODULE_FILE;
    // The staged plugins folder, where KIO finds kf5/kfileitemaction.
    qputenv("QT_PLUGIN_PATH", plugin.parent_path().parent_path().parent_path().c_str());
    // No menu is shown: no display is needed, and a display that does not
    // answer would abort Qt before any test ran.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "dolphin_module_tests";
    static char* argv[] = {name, nullptr};
    gApplication = new QApplication(argc, argv);
    // Dolphin has the desktop's icon theme (its own is Breeze); without a
    // desktop Qt has none, and offscreen no folder to look for one in.
    QIcon::setThemeSearchPaths({QStringLiteral("/usr/share/icons")});
    QIcon::setThemeName(QStringLiteral("breeze"));
    const KPluginMetaData found = KPluginMetaData::findPluginById(
        QStringLiteral("kf5/kfileitemaction"), QStringLiteral("quillet-dolphin"));
    if (!found.isValid()) {
        return "KIO does not find quillet-dolphin below " + plugin.parent_path().string();
    }
    if (!fs::equivalent(found.fileName().toStdString(), plugin)) {
        return "KIO finds another quillet-dolphin first: " + found.fileName().toStdString();
    }
    if (!found.mimeTypes().contains(QStringLiteral("inode/directory"))) {
        return "the plugin's metadata does not offer it for folders";
    }
    return {};
}

void unloadModule() {
    // The plugin stays with the process, as in Dolphin; so does Qt.
}

// Dolphin has no provider object: KIO asks the plugin for each menu.
GType menuProviderInterface() {
    return G_TYPE_OBJECT;
}

GObject* newMenuProvider() {
    return G_OBJECT(g_object_new(G_TYPE_OBJECT, nullptr));
}

// Dolphin's items are KFileItems, made from the harness's file infos.
GType fileInfoInterface() {
    static GType type =
        g_type_register_static_simple(G_TYPE_INTERFACE, "DolphinHarnessFileItem",
                                      sizeof(GTypeInterface), nullptr, 0, nullptr, GTypeFlags(0));
    return type;
}

void initFileInfoInterface(gpointer, gpointer) {}

GList* backgroundItems(GObject*, GObject* folder) {
    return itemsFor({fileItem(folder)});
}

GList* fileItems(GObject*, GList* files) {
    KFileItemList items;
    for (GList* it = files; it != nullptr; it = it->next) {
        items.append(fileItem(it->data));
    }
    return itemsFor(items);
}

GList* submenuItems(GObject* menu) {
    return entriesOf(*self(menu)->menu, self(menu)->submenu);
}

} // namespace quillet::test::driver
