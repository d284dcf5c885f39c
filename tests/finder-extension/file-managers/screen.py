"""What a person sees of a program and where they click, through AT-SPI.

Windows, views and menu entries are found in the program's accessibility tree
by role and label; clicks go to their on-screen position with xdotool, as a
mouse would. Needs the session's accessibility bus (AT_SPI_BUS_ADDRESS) in
this process's environment before first use.
"""

import gi

gi.require_version("Atspi", "2.0")
from gi.repository import Atspi, GLib  # noqa: E402

from session import SessionError, poll  # noqa: E402

MENU_ROLES = {"menu", "menu item", "check menu item", "radio menu item", "tearoff menu item"}
POPUP_ROLES = {"menu", "popup menu"}


def showing(node):
    try:
        return node.get_state_set().contains(Atspi.StateType.SHOWING)
    except GLib.Error:
        return False  # gone meanwhile


def visible(node):
    """For GTK 4.8, which never reports SHOWING (and gives containers of shown
    widgets no size, so size cannot stand in for it)."""
    try:
        return node.get_state_set().contains(Atspi.StateType.VISIBLE)
    except GLib.Error:
        return False


def name_of(node):
    try:
        return node.get_name() or ""
    except GLib.Error:
        return ""


def role_of(node):
    try:
        return node.get_role_name()
    except GLib.Error:
        return ""


def children(node):
    try:
        count = node.get_child_count()
    except GLib.Error:
        return []
    out = []
    for index in range(count):
        try:
            child = node.get_child_at_index(index)
        except GLib.Error:
            continue
        if child is not None:
            out.append(child)
    return out


def visible_nodes(root, on_screen=showing, max_depth=40):
    """The nodes below root that are on screen; hidden subtrees are skipped."""
    stack = [(child, 1) for child in reversed(children(root))]
    while stack:
        node, depth = stack.pop()
        if not on_screen(node):
            continue
        yield node
        if depth < max_depth:
            stack.extend((child, depth + 1) for child in reversed(children(node)))


def extents(node):
    box = node.get_extents(Atspi.CoordType.SCREEN)
    return box.x, box.y, box.width, box.height


class Program:
    """One running program as the accessibility bus shows it: every process
    of that name, as a file manager may open a folder in a new one."""

    def __init__(self, session, names, gtk4=False, qt=False, timeout=60):
        self.session = session
        # GTK 4.8 reports neither SHOWING nor, for popover menus, true
        # positions: entries there are chosen through their own action.
        self.on_screen = visible if gtk4 else showing
        self.gtk4 = gtk4
        self.wanted = {name.lower() for name in names}
        poll(self.apps, timeout, f"the program {sorted(self.wanted)} on the accessibility bus")
        # Qt leaves popup menus out of the application's children: they are
        # found as they appear, through the "showing" event Qt sends for them.
        self.popups = None
        if qt:
            self.popups = []
            self.listener = Atspi.EventListener.new(self._on_showing)
            self.listener.register("object:state-changed:showing")

    def apps(self):
        found = [app for app in children(Atspi.get_desktop(0))
                 if name_of(app).lower() in self.wanted and children(app)]
        for app in found:
            # Menus open and close between our looks: always ask the program.
            app.set_cache_mask(Atspi.Cache.NONE)
        return found

    def _on_showing(self, event):
        if event.detail1 and role_of(event.source) in POPUP_ROLES:
            self.popups.append(event.source)

    def windows(self):
        return [node for app in self.apps() for node in children(app) if self.on_screen(node)]

    def shown_popups(self):
        # Events arrive through GLib's main loop, which nothing else runs here.
        while GLib.MainContext.default().iteration(False):
            pass
        return [node for node in self.popups if self.on_screen(node)]

    def find(self, predicate, what, timeout=20, root=None):
        """The first node on screen that satisfies predicate, below root (a
        node, or a function giving the nodes to look below), else anywhere."""
        def look():
            if root is None:
                tops = self.windows()
            else:
                tops = root() if callable(root) else [root]
            for top in tops:
                for node in visible_nodes(top, self.on_screen):
                    if predicate(node):
                        return node
            return None

        return poll(look, timeout, what)

    def menus_of(self, widget):
        """Where a context menu opened on widget lives, as a root for find():
        GTK 3 maps it as a window of its own, GTK 4 puts the popover below the
        widget (looking only there spares a walk through the whole window)."""
        if self.gtk4:
            return lambda: [widget]
        if self.popups is not None:
            return self.shown_popups
        return lambda: [node for node in self.windows() if role_of(node) != "frame"]

    def window_on(self, folder_name, timeout=60):
        """The top-level window whose title names the folder."""
        return poll(
            lambda: next((w for w in self.windows()
                          if role_of(w) == "frame" and folder_name in name_of(w)), None),
            timeout, f"a window on the folder {folder_name!r}")

    def menu_entries(self, menus):
        """Labels of the menu entries on screen below the menus_of() root."""
        return [name_of(node) for top in menus() for node in visible_nodes(top, self.on_screen)
                if role_of(node) in MENU_ROLES]

    def choose(self, entry):
        """Chooses a menu entry: a click on it, or its action where positions lie."""
        if not self.gtk4:
            self.click(entry)
            return
        names = [entry.get_action_name(i) for i in range(entry.get_n_actions())]
        if "click" not in names:
            raise SessionError(f"the entry {name_of(entry)!r} has no click action: {names}")
        entry.do_action(names.index("click"))

    def click(self, node, button=1, at=(0.5, 0.5)):
        """A click on the node, in the middle unless `at` (fractions of its
        width and height) says where."""
        x, y, width, height = extents(node)
        if width <= 0 or height <= 0:
            raise SessionError(f"{role_of(node)} {name_of(node)!r} has no place on screen")
        px, py = x + int(width * at[0]), y + int(height * at[1])
        # No --sync: it waits for a motion, and there is none when the pointer
        # already rests there. The X server takes the move before the click.
        self.session.xdotool("mousemove", str(px), str(py), "click", str(button))

    def describe(self):
        """The visible tree as text, one node a line, for failure reports."""
        lines = []

        def visit(node, depth):
            try:
                place = "{},{} {}x{}".format(*extents(node))
            except GLib.Error:
                place = "?"
            lines.append(f"{'  ' * depth}{role_of(node)} {name_of(node)!r} {place}")
            for child in children(node):
                if self.on_screen(child):
                    visit(child, depth + 1)

        for window in self.windows():
            visit(window, 0)
        return "\n".join(lines) + "\n"
