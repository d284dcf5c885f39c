#!/usr/bin/python3
"""The real preferences window and templates window, operated as assistive tools do.

On a private display, session bus, accessibility bus and home: start
`quillet`, find its preferences window in the accessibility registry and work
it through accessible actions alone (Toggle, Press, editable text, row
selection), never through the pointer or the keyboard; each change must reach
the stored settings as a click or a typed edit does. Then `quillet
--templates` must show the templates window as a named window of the
program. Screenshots of each pane stay in the work folder.

Exit status: 0 passed, 1 failed.
"""

import argparse
import json
import os
import subprocess
import sys
import time
import traceback
import warnings

SUITE_PRIVATE = "org.quillet.Quillet"
WINDOW_TITLE = "Quillet Preferences"
SELECTED_PANE_KEY = "MASPreferences Selected Identifier View"
TEMPLATES = (("Text", "untitled", "txt"), ("Markdown", "notes", "md"))
PANE_ROLES = {"page tab", "radio button"}

# Each pane button, the action that chooses it, the identifier the window
# remembers, and a control only that pane shows (role, name).
PANES = (
    ("Templates", "Press", "TemplatesPreferences", ("table", "Templates")),
    ("Locations", "Toggle", "FinderPreferences", ("table", "Locations")),
    ("Localization", "Press", "LocalizationPreferences",
     ("table", "Texts of the file manager's menu")),
    ("General", "Toggle", "GeneralPreferences", ("check box", "Open the new file")),
)

# Each check box of the General pane and the stored key it writes.
GENERAL_BOXES = (
    ("Open the new file", "openFileOnCreation"),
    ("Show the new file in the file manager", "showFileOnCreation"),
    ("Create files without asking for a name", "skipFilename"),
    ("Play a sound", "playSound"),
    ("Show the menu only on folder backgrounds", "hideMenuForFiles"),
    ("Show the templates in a submenu", "cascadeMenu"),
    ("Show Quillet in the panel", "showInMenuBar"),
    ("Keep the helper running in the background", "runInBackground"),
    ("Start Quillet at login", "launchAtLogin"),
)


def first(field, default=False):
    """Reads field of the first record of a stored list."""
    return lambda records: records[0].get(field, default)


# Every other check control: the pane it is on, what it is, how the test
# finds it (a method of the test and its arguments), the stored key it
# writes and how the value reads as on or off.
PANE_CHECKS = (
    ("Locations", "the removable drives box", ("find", "check box",
                                               "Also show the menu on removable drives"),
     "includeExternalDrives", bool),
    ("Locations", "the first location's Enabled cell", ("cell", "Locations", 0, "Enabled"),
     "monitoredPaths", first("enabled")),
    ("Templates", "the first template's Enabled cell", ("cell", "Templates", 0, "Enabled"),
     "fileTemplates", first("enabled")),
    ("Templates", "the Executable cell", ("cell", "Templates", 0, "Executable"),
     "fileTemplates", first("executable")),
    ("Templates", "the variables box of the selected template",
     ("selected_box", "Fill in variables in the text"), "fileTemplates",
     first("expandsVariables")),
    ("Templates", "the first folder to offer the template in", ("folder_item",),
     "fileTemplates", first("limitedToPaths", [])),
)

# Every kind of text cell: the pane, what it is, the table, row and column,
# the text typed, the stored key and the stored texts it must be among.
TEXT_CELLS = (
    ("Templates", "the second template's Title cell", "Templates", 1, "Title", "Notes",
     "fileTemplates", lambda records: [records[1]["title"]]),
    ("Localization", "the first replacement text", "Texts of the file manager's menu", 0,
     "Replacement", "Neu", "localizedStrings", lambda texts: list((texts or {}).values())),
)


def parse_arguments():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--app", required=True, help="the built quillet")
    parser.add_argument("--defaults-tool", required=True, help="quillet-defaults")
    parser.add_argument("--helper-service", required=True, help="the helper's D-Bus service file")
    parser.add_argument("--support-dir", required=True,
                        help="where the private session and screen helpers are")
    parser.add_argument("--work-dir", required=True, help="screenshots and logs go here")
    return parser.parse_args()


ARGS = parse_arguments()
# AT-SPI 2.46 marks its action calls deprecated and offers no others.
warnings.filterwarnings("ignore", category=DeprecationWarning)
sys.path.insert(0, ARGS.support_dir)
import screen  # noqa: E402
from gi.repository import Atspi  # noqa: E402
from session import Session, SessionError, poll  # noqa: E402


def actions_of(node):
    return [node.get_action_name(i) for i in range(node.get_n_actions())]


def act(node, name):
    """Runs the node's accessible action of that name, as an assistive tool does."""
    names = actions_of(node)
    if name not in names:
        raise SessionError(f"{screen.role_of(node)} {screen.name_of(node)!r} has no {name} "
                           f"action, only {names}")
    node.do_action(names.index(name))


def has_state(node, state):
    return node.get_state_set().contains(state)


class PreferencesTest:
    def __init__(self, session):
        self.session = session
        self.program = None
        self.window = None
        self.failures = []
        self.started = time.monotonic()

    def step(self, text):
        print(f"[{time.monotonic() - self.started:6.1f} s] {text}", flush=True)

    def check(self, what, function, *args):
        """One row of a table: its failure is reported, the next row still runs."""
        try:
            function(*args)
        except Exception as failure:  # GLib's errors as well as ours
            self.failures.append(f"{what}: {failure}")
            print(f"FAILED {what}: {failure}", flush=True)
            traceback.print_exc()

    def shot(self, name):
        self.session.screenshot(os.path.join(ARGS.work_dir, f"preferences-{name}.png"))

    # The stored settings ----------------------------------------------------

    def stored(self, key, suite=None):
        argv = [ARGS.defaults_tool] + (["--suite", suite] if suite else []) + ["read", key]
        result = subprocess.run(argv, env=self.session.env, capture_output=True, text=True)
        return json.loads(result.stdout) if result.returncode == 0 else None

    def store(self, key, value, suite=None):
        argv = [ARGS.defaults_tool] + (["--suite", suite] if suite else [])
        subprocess.run(argv + ["write", key, json.dumps(value)], env=self.session.env,
                       check=True, capture_output=True)

    def wait_stored(self, what, key, expected, suite=None):
        """Waits until key reads as expected (compared through `expected`
        when it is a function)."""
        test = expected if callable(expected) else (lambda value: value == expected)
        try:
            poll(lambda: test(self.stored(key, suite)), 10, what)
        except SessionError:
            raise SessionError(f"{what}: {key} is stored as {self.stored(key, suite)!r}")

    def write_settings(self):
        templates = os.path.join(self.session.env["XDG_DATA_HOME"], "quillet", "Templates")
        os.makedirs(templates)
        records = []
        for title, prefix, suffix in TEMPLATES:
            path = os.path.join(templates, f"{prefix}.{suffix}")
            with open(path, "w") as out:
                out.write(f"{title}\n")
            records.append({"enabled": True, "title": title, "filePath": path, "prefix": prefix,
                            "suffix": suffix, "executable": False})
        self.store("fileTemplates", records)
        self.store("monitoredPaths", [{"path": self.session.home, "enabled": True}])
        for _, key in GENERAL_BOXES:
            self.store(key, False)
        # The question whether the file manager extension is set up stays away.
        self.store("finderSyncExtensionConfirmed", True, SUITE_PRIVATE)

    # Finding ----------------------------------------------------------------

    def find(self, role, name=None, root=None, timeout=20):
        what = f"{role} {name!r}" if name else role
        return self.program.find(
            lambda node: screen.role_of(node) == role
            and (name is None or screen.name_of(node) == name),
            what, timeout=timeout, root=root or self.window)

    def pane_buttons(self):
        return [node for node in screen.visible_nodes(self.window)
                if screen.role_of(node) in PANE_ROLES]

    # The rows ---------------------------------------------------------------

    def check_pane_buttons(self):
        """Announced as what they are (not as check boxes), every one named."""
        buttons = self.pane_buttons()
        names = [screen.name_of(node) for node in buttons]
        wanted = [name for name, *_ in PANES]
        if sorted(names) != sorted(wanted):
            raise SessionError(f"pane buttons {names} (roles {PANE_ROLES}), expected {wanted}; "
                               f"window:\n{self.program.describe()}")

    def switch_pane(self, name, action, identifier, probe):
        button = next((node for node in self.pane_buttons() if screen.name_of(node) == name),
                      None)
        if button is None:
            raise SessionError(f"no pane button {name!r}")
        act(button, action)
        self.wait_stored(f"the {name} pane to be remembered", SELECTED_PANE_KEY, identifier,
                         SUITE_PRIVATE)
        self.find(*probe, timeout=10)
        if not has_state(button, Atspi.StateType.CHECKED):
            raise SessionError(f"the {name} button is not checked after {action}")
        others = [screen.name_of(node) for node in self.pane_buttons()
                  if node != button and has_state(node, Atspi.StateType.CHECKED)]
        if others:
            raise SessionError(f"{others} stay checked beside {name}")
        self.shot(identifier)

    def show_pane(self, name):
        self.switch_pane(*next(row for row in PANES if row[0] == name))

    def toggle(self, node, key, read):
        """Toggles the node twice (on, then off again: both ways save); the
        stored key, seen through read, follows each time."""
        for _ in range(2):
            before = bool(read(self.stored(key)))
            if has_state(node, Atspi.StateType.CHECKED) != before:
                raise SessionError(f"it shows {not before}, the store holds {before}")
            act(node, "Toggle")
            self.wait_stored("the toggle to be saved", key,
                             lambda value: bool(read(value)) != before)

    def table(self, name):
        table = self.find("table", name)
        columns = {table.get_column_description(c): c for c in range(table.get_n_columns())}
        return table, columns

    def cell(self, table_name, row, column):
        table, columns = self.table(table_name)
        return table.get_accessible_at(row, columns[column])

    def selected_box(self, label):
        """A box that stands for the selected template."""
        self.table("Templates")[0].add_row_selection(0)
        return self.find("check box", label)

    def folder_item(self):
        """The first folder the selected template can be limited to."""
        self.table("Templates")[0].add_row_selection(0)
        folders = self.find("list", "Offer only in these folders")
        return poll(lambda: next(iter(screen.children(folders)), None), 5, "a folder to offer")

    def edit_text_cell(self, table, row, column, text, key, read):
        """Replaces the cell's text through its editable text; the stored
        key, seen through read, and the cell follow."""
        cell = self.cell(table, row, column)
        if "EditableText" not in cell.get_interfaces():
            raise SessionError(f"the cell has no editable text: {cell.get_interfaces()}")
        cell.set_text_contents(text)
        self.wait_stored("the edit to be saved", key, lambda value: text in read(value))
        if screen.name_of(cell) != text:
            raise SessionError(f"the cell reads {screen.name_of(cell)!r} after the edit")

    def check_shortcut_recorder(self):
        self.show_pane("Templates")
        table, columns = self.table("Templates")
        table.add_row_selection(0)
        act(table.get_accessible_at(0, columns["Shortcut"]), "Press")
        sheet = poll(lambda: next((w for w in self.program.windows() if w != self.window), None),
                     10, "the shortcut sheet")
        recorder = self.find("push button", "Shortcut", root=sheet)
        act(recorder, "Press")
        poll(lambda: "Type shortcut" in (screen.name_of(recorder),
                                         recorder.get_description()), 5,
             "the recorder to record")
        self.shot("shortcut-sheet")
        act(self.find("push button", "Cancel", root=sheet), "Press")
        poll(lambda: sheet not in self.program.windows(), 10, "the sheet to close")
        if "shortcut" in self.stored("fileTemplates")[0]:
            raise SessionError("cancelling the sheet stored a shortcut")

    def check_templates_window(self):
        """`quillet --templates` hands the request to the running program,
        which shows the templates as a window assistive tools can find."""
        subprocess.run([ARGS.app, "--templates"], env=self.session.env, check=True,
                       capture_output=True, timeout=30)
        window = poll(lambda: next((w for w in self.program.windows()
                                    if screen.name_of(w) == "Templates"), None),
                      20, "a window named Templates")
        if screen.role_of(window) not in {"window", "frame", "dialog"}:
            raise SessionError(f"the templates window is a {screen.role_of(window)!r}")
        self.find("list", "Templates", root=window)
        self.shot("templates-window")

    def run(self):
        session = self.session
        self.write_settings()
        # The display the test runs on (xvfb-run's), else one of its own;
        # nothing here depends on the pointer or the keyboard focus.
        if os.environ.get("DISPLAY"):
            for name in ("DISPLAY", "XAUTHORITY"):
                if name in os.environ:
                    session.env[name] = os.environ[name]
        else:
            session.start_display()
        session.start_session_bus([ARGS.helper_service])
        session.start_accessibility_bus()
        # As a screen reader starting says so: Qt reads this and follows it.
        subprocess.run(["dbus-send", "--session", "--print-reply", "--dest=org.a11y.Bus",
                        "/org/a11y/bus", "org.freedesktop.DBus.Properties.Set",
                        "string:org.a11y.Status", "string:IsEnabled", "variant:boolean:true"],
                       env=session.env, check=True, capture_output=True)
        # Qt 6.4 connects to a bus named in AT_SPI_BUS_ADDRESS before its
        # bridge listens and never registers there: the program finds the
        # bus through org.a11y.Bus, as in a desktop session.
        session.spawn("quillet", [ARGS.app], {"AT_SPI_BUS_ADDRESS": "", "QT_QPA_PLATFORM": "xcb"})
        self.step("waiting for quillet in the accessibility registry")
        self.program = screen.Program(session, ["quillet"], qt=True, timeout=60)
        self.window = poll(lambda: next((w for w in self.program.windows()
                                         if screen.name_of(w) == WINDOW_TITLE), None),
                           30, f"the window {WINDOW_TITLE!r}")
        self.check("the pane buttons", self.check_pane_buttons)
        for name, action, identifier, probe in PANES:
            self.step(f"pane {name} by {action}")
            self.check(f"the {name} pane button", self.switch_pane, name, action, identifier,
                       probe)
        for label, key in GENERAL_BOXES:
            self.step(f"check box {label!r}")
            self.check(f"the check box {label!r}",
                       lambda: self.toggle(self.find("check box", label), key, bool))
        for pane, what, (finder, *args), key, read in PANE_CHECKS:
            self.step(what)
            self.check(what, lambda: (self.show_pane(pane),
                                      self.toggle(getattr(self, finder)(*args), key, read)))
        for pane, what, *cell in TEXT_CELLS:
            self.step(what)
            self.check(what, lambda: (self.show_pane(pane), self.edit_text_cell(*cell)))
        self.step("the shortcut recorder")
        self.check("the shortcut recorder", self.check_shortcut_recorder)
        self.step("the templates window")
        self.check("the templates window", self.check_templates_window)
        if session.exited():
            self.failures.append(f"ended early: {session.exited()}")


def main():
    os.makedirs(ARGS.work_dir, exist_ok=True)
    session = Session(ARGS.work_dir)
    test = PreferencesTest(session)
    try:
        test.run()
    except SessionError as failure:
        test.failures.append(str(failure))
        traceback.print_exc()
    finally:
        session.close()
    for failure in test.failures:
        print("FAILED:", failure)
    return 1 if test.failures else 0


if __name__ == "__main__":
    sys.exit(main())
