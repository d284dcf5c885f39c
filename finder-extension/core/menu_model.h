// The menu the extension answers, as plain data: the module turns it into
// file-manager menu items.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quillet {

// Where the menu was asked for; the values are those the platform passes.
enum class MenuKind : int {
    ContextualMenuForItems = 0,
    ContextualMenuForContainer = 1,
    ContextualMenuForSidebar = 2,
    ToolbarItemMenu = 3,
};

struct Menu;

struct MenuItem {
    std::string title;
    // "menuItemAction<index>"; empty for an entry that only opens its submenu.
    std::string actionName;
    // The entry's name among every extension's entries in the file manager
    // ("QuilletExtension::" and the action name, or "QuilletExtension::NewFile").
    std::string identifier;
    // A themed icon name for the template's file type, when known.
    std::optional<std::string> iconName;
    // Null for a plain entry.
    std::shared_ptr<const Menu> submenu;
};

struct Menu {
    std::string title;
    std::vector<MenuItem> items;
};

// Per-template actions are bound by name: a fixed prefix and the template's
// index in the whole stored array, disabled records counted.
inline constexpr std::string_view kMenuItemActionPrefix = "menuItemAction";

std::string actionNameForIndex(std::uint64_t index);

inline constexpr std::string_view kMenuItemIdentifierPrefix = "QuilletExtension::";
inline constexpr std::string_view kSubmenuIdentifier = "QuilletExtension::NewFile";

// The index text is what follows the first 14 characters of the name. Nothing
// unless that text is a decimal number without sign that fits the index type:
// names we did not make send no request.
std::optional<std::uint64_t> indexFromActionName(std::string_view actionName);

} // namespace quillet
