#!/usr/bin/python3
"""A real file manager with our module, driven as a person would.

On a private display, bus and home: open a window on a served folder, right
click its background, choose "New File" and the first template, and see the
file appear, made by the real helper that the bus starts on demand; then see
that an unserved folder's background menu has no "New File"; then, with a
window manager, activate each of the two windows in turn and see the
shortcut's query report that window's folder. Screenshots of the open menus
stay in the work folder.

Exit status: 0 passed, 1 failed, 77 skipped (no private mount namespace for a
file manager whose module folder is fixed).
"""

import argparse
import json
import os
import re
import shutil
import signal
import subprocess
import sys
import time
import traceback
import urllib.parse

import placement
import screen
from file_managers import FILE_MANAGERS
from session import Session, SessionError, poll

SKIPPED = 77
TEMPLATE_TEXT = "hello from the Text template\n"
NEW_FILE = "New File"
# The templates in menu order (title, prefix, suffix); the test chooses the first.
TEMPLATES = (("Text", "untitled", "txt"), ("Markdown", "notes", "md"))
TITLES = [title for title, _, _ in TEMPLATES]
HELPER_NAME = "org.quillet.QuilletHelper"
# The first template's shortcut, Ctrl+Alt+N, as the store keeps it.
SHORTCUT = {"SRShortcutKeyCode": 110, "SRShortcutModifierFlagsKey": 12}


def parse_arguments():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--file-manager", required=True, choices=sorted(FILE_MANAGERS))
    parser.add_argument("--module", required=True, help="the built module")
    parser.add_argument("--module-dir", required=True,
                        help="the file manager's fixed module folder")
    parser.add_argument("--description", help="the module's description file (Caja)")
    parser.add_argument("--description-dir", help="where the file manager reads descriptions")
    parser.add_argument("--helper-service", required=True, help="the helper's D-Bus service file")
    parser.add_argument("--defaults-tool", required=True, help="quillet-defaults")
    parser.add_argument("--work-dir", required=True, help="screenshots and logs go here")
    parser.add_argument("--finder-query", help="the shipped get-finder-path script")
    parser.add_argument(placement.IN_NAMESPACE_FLAG, action="store_true", help=argparse.SUPPRESS)
    return parser.parse_args()


def system_folders(args):
    folders = {args.module_dir: [args.module]}
    if args.description:
        folders[args.description_dir] = [args.description]
    return folders


def built_with_address_sanitizer(module):
    listing = subprocess.run(["ldd", module], capture_output=True, text=True,
                             check=True).stdout
    return "libasan.so" in listing


def helper_program(service_file):
    with open(service_file) as service:
        for line in service:
            if line.startswith("Exec="):
                return line[len("Exec="):].split()[0]
    raise SessionError(f"{service_file} names no program")


class FileManagerTest:
    def __init__(self, args, session):
        self.args = args
        self.session = session
        self.profile = FILE_MANAGERS[args.file_manager]
        self.served = session.make_dir("served")
        self.outside = session.make_dir("outside")
        self.screenshots = []
        self.program = None
        self.started = time.monotonic()

    def step(self, text):
        print(f"[{time.monotonic() - self.started:6.1f} s] {text}", flush=True)

    def shot(self, name):
        path = os.path.join(self.args.work_dir, f"{self.args.file_manager}-{name}.png")
        self.session.screenshot(path)
        self.screenshots.append(path)
        return path

    def write_settings(self):
        env = self.session.env
        templates = os.path.join(env["XDG_DATA_HOME"], "quillet", "Templates")
        os.makedirs(templates)
        records = []
        for title, prefix, suffix in TEMPLATES:
            path = os.path.join(templates, f"{prefix}.{suffix}")
            with open(path, "w") as out:
                out.write(TEMPLATE_TEXT if title == "Text" else f"# {title}\n")
            records.append({"enabled": True, "title": title, "filePath": path, "prefix": prefix,
                            "suffix": suffix, "executable": False})
        records[0]["shortcut"] = SHORTCUT
        values = {
            "fileTemplates": records,
            "monitoredPaths": [{"path": self.served, "enabled": True}],
            "cascadeMenu": True,
            "hideMenuForFiles": False,
            "skipFilename": True,
            "showFileOnCreation": False,
            "openFileOnCreation": False,
            "playSound": False,
            # The helper the menu started stays for the shortcut.
            "runInBackground": True,
        }
        for key, value in values.items():
            subprocess.run([self.args.defaults_tool, "write", key, json.dumps(value)], env=env,
                           check=True, capture_output=True)
        # The file manager's own settings, for the keyfile GSettings backend.
        keyfile = os.path.join(env["XDG_CONFIG_HOME"], "glib-2.0", "settings", "keyfile")
        os.makedirs(os.path.dirname(keyfile), exist_ok=True)
        with open(keyfile, "w") as out:
            for group, entries in self.profile.settings.items():
                out.write(f"[{group}]\n")
                out.writelines(f"{key}={value}\n" for key, value in entries.items())

    def start_file_manager(self, folder):
        extra_env = dict(self.profile.extra_environment)
        if built_with_address_sanitizer(self.args.module):
            # The file manager is not instrumented; the module brings the
            # runtime in late. (Preloading it instead deadlocks the file
            # manager in its first bind_textdomain_codeset.)
            options = os.environ.get("ASAN_OPTIONS", "")
            extra_env["ASAN_OPTIONS"] = options + (":" if options else "") + \
                "verify_asan_link_order=0"
        self.session.spawn(f"{self.args.file_manager}-{os.path.basename(folder)}",
                           [*self.profile.command, folder], extra_env)

    def open_background_menu(self, folder):
        """Right click on the empty background of the folder's view; gives
        where to look for the menu's entries."""
        program = self.program
        window = program.window_on(os.path.basename(folder))
        view = program.find(
            lambda node: screen.name_of(node) == self.profile.view_name
            and screen.role_of(node) not in screen.MENU_ROLES
            and screen.role_of(node) == (self.profile.view_role or screen.role_of(node)),
            f"the view of {folder}", root=window)
        program.click(view, button=3, at=self.profile.click_at)
        menus = program.menus_of(view)
        program.find(lambda node: screen.role_of(node) in screen.MENU_ROLES,
                     f"the background menu of {folder}", root=menus)
        return menus

    def run(self):
        session = self.session
        # Settings first: the buses' programs read GSettings too.
        self.write_settings()
        session.start_display()
        session.start_session_bus([self.args.helper_service])
        session.start_accessibility_bus()

        self.step(f"opening {self.served}")
        self.start_file_manager(self.served)
        self.program = screen.Program(session, self.profile.accessible_names,
                                      gtk4=self.profile.gtk4, qt=self.profile.qt)
        if session.name_owner(HELPER_NAME):
            raise SessionError("the helper runs before anything asked for it")
        self.create_in_served_folder()
        self.step(f"opening {self.outside}")
        self.start_file_manager(self.outside)
        self.look_at_unserved_folder()
        self.follow_the_active_window()

    def create_in_served_folder(self):
        """Our entry, its submenu, and the file that choosing it makes."""
        session, program = self.session, self.program
        self.step("right click on the served folder")
        menus = self.open_background_menu(self.served)
        new_file = program.find(lambda node: screen.name_of(node) == NEW_FILE,
                                f'"{NEW_FILE}" in the menu of the served folder', root=menus)
        poll(lambda: session.name_owner(self.profile.module_bus_name), 30,
             f"the module to own {self.profile.module_bus_name}")
        if self.profile.gtk4:
            # Its submenu replaces the menu: keep a picture of our entry first.
            self.shot("served-menu-top")
        program.choose(new_file)
        first = program.find(lambda node: screen.name_of(node) == TITLES[0]
                             and screen.role_of(node) in screen.MENU_ROLES,
                             f'the submenu of "{NEW_FILE}" with "{TITLES[0]}"', root=menus)
        entries = program.menu_entries(menus)
        missing = [title for title in TITLES if title not in entries]
        if missing:
            raise SessionError(f"the submenu lacks {missing}; on screen: {entries}")
        self.shot("served-menu")
        self.step(f"choosing {TITLES[0]!r}")
        program.choose(first)

        created = os.path.join(self.served, "untitled.txt")
        poll(lambda: os.path.exists(created), 30, f"{created} to be created")
        with open(created) as made:
            content = made.read()
        if content != TEMPLATE_TEXT:
            raise SessionError(f"{created} holds {content!r}, not the template's text")
        if sorted(os.listdir(self.served)) != ["untitled.txt"]:
            raise SessionError(f"the served folder holds {sorted(os.listdir(self.served))}")
        # Made by the helper of this build, which the bus started on demand.
        helper_pid = session.name_owner_pid(HELPER_NAME)
        expected = os.path.realpath(helper_program(self.args.helper_service))
        if not helper_pid or os.path.realpath(f"/proc/{helper_pid}/exe") != expected:
            raise SessionError(f"{HELPER_NAME} is not owned by {expected}")
        self.step("the helper made the file")
        role, text = self.profile.shows_one_file
        program.find(lambda node: screen.role_of(node) == role
                     and screen.name_of(node).startswith(text),
                     f"the window to show the new file ({role} {text!r})", timeout=30,
                     root=program.window_on(os.path.basename(self.served)))
        self.shot("served-created")

    def look_at_unserved_folder(self):
        """The file manager's own background menu, without ours."""
        program = self.program
        menus = self.open_background_menu(self.outside)
        own = self.profile.own_background_entry
        program.find(lambda node: screen.name_of(node) == own,
                     f'the file manager\'s own "{own}" in the menu of the unserved folder',
                     root=menus)
        entries = program.menu_entries(menus)
        self.shot("outside-menu")
        if NEW_FILE in entries or TITLES[0] in entries:
            raise SessionError(f"the unserved folder's menu offers our entries: {entries}")
        self.session.xdotool("key", "Escape")
        if os.listdir(self.outside):
            raise SessionError(f"the unserved folder holds {os.listdir(self.outside)}")

    def follow_the_active_window(self):
        """The folder the shortcut's query reports follows the window the
        user activates, as our module inside the file manager publishes it."""
        if not self.args.finder_query or not self.profile.publishes_active_folder:
            return
        window_manager = shutil.which("openbox")
        if not window_manager:
            self.step("the active folder is not checked: no window manager (openbox)")
            return
        session = self.session
        session.spawn("openbox", [window_manager, "--sm-disable"])
        poll(self.window_manager_runs, 20, "the window manager")
        windows = {}
        for folder in (self.served, self.outside):
            # Every file manager's title starts with the folder's name.
            pattern = f"^{os.path.basename(folder)}( |$)"
            poll(lambda: self.window_id(pattern), 20, f"the window of {folder}")
            windows[folder] = self.window_id(pattern)
        self.install_user_script()
        for folder in (self.outside, self.served, self.outside):
            self.step(f"activating the window of {folder}")
            session.xdotool("windowactivate", "--sync", windows[folder])
            reported = []
            try:
                poll(lambda: reported.append(self.finder_query()) or reported[-1] == folder, 20,
                     f"the query to report {folder}")
            except SessionError as error:
                raise SessionError(f"{error}; it reported {reported[-1:]}") from error
            # From our module, not from the query's older ways.
            published = self.published_folder()
            if published != folder:
                raise SessionError(f"the module publishes {published!r}, not {folder}")
            self.shot(f"active-{os.path.basename(folder)}")
            # The shortcut, pressed as a person would: the helper's key grab
            # runs the user script, which runs the query.
            before = set(os.listdir(folder))
            session.xdotool("key", "ctrl+alt+n")
            poll(lambda: set(os.listdir(folder)) - before, 30,
                 f"the shortcut to create a file in {folder}")
            self.step(f"the shortcut made {sorted(set(os.listdir(folder)) - before)} there")

        if self.profile.tab_takes_typed_path:
            self.follow_the_active_tab(windows[self.outside])

    def follow_the_active_tab(self, window):
        """Within one window, the published folder is the active tab's: a
        new tab taken elsewhere, then the tabs switched back and forth."""
        session = self.session
        new_tab, next_tab, previous_tab = self.profile.tab_keys
        session.xdotool("windowactivate", "--sync", window)
        session.xdotool("key", new_tab)
        time.sleep(1)
        session.xdotool("key", "ctrl+l")
        time.sleep(0.5)
        session.xdotool("type", "--delay", "20", self.served)
        session.xdotool("key", "Return")
        for keys, folder in ((None, self.served), (previous_tab, self.outside),
                             (next_tab, self.served)):
            if keys:
                self.step(f"switching tabs ({keys})")
                session.xdotool("key", keys)
            poll(lambda: self.published_folder() == folder, 20,
                 f"the module to publish the active tab's {folder}")
            self.shot(f"tab-{os.path.basename(folder)}")

    def install_user_script(self):
        """The user script as the helper installs it on the first press."""
        scripts = os.path.join(self.session.env["XDG_DATA_HOME"], "quillet", "scripts",
                               HELPER_NAME)
        os.makedirs(scripts, exist_ok=True)
        script = os.path.join(scripts, "QuilletHelper.sh")
        shutil.copy(os.path.join(os.path.dirname(self.args.finder_query), "QuilletHelper.sh"),
                    script)
        os.chmod(script, 0o755)

    def module_property(self, name, prop):
        return subprocess.run(
            ["gdbus", "call", "--session", "--dest", name,
             "--object-path", "/org/quillet/QuilletExtension", "--method",
             "org.freedesktop.DBus.Properties.Get", "org.quillet.QuilletExtension", prop],
            env=self.session.env, capture_output=True, text=True).stdout.strip()

    def published_folder(self):
        """What the module publishes; a file manager that runs a process per
        window (Dolphin) has a name of the family per process: the most
        recently active one's."""
        names = subprocess.run(
            ["gdbus", "call", "--session", "--dest", "org.freedesktop.DBus", "--object-path",
             "/org/freedesktop/DBus", "--method", "org.freedesktop.DBus.ListNames"],
            env=self.session.env, capture_output=True, text=True).stdout
        newest = (0, "")
        for name in re.findall(r"'(" + re.escape(self.profile.module_bus_name) + r"[^']*)'",
                               names):
            since = re.search(r"uint64 (\d+)", self.module_property(name, "ActiveSince"))
            uri = self.module_property(name, "ActiveLocation")
            uri = uri.removeprefix("(<'").removesuffix("'>,)")
            if since and int(since.group(1)) >= newest[0]:
                newest = (int(since.group(1)), uri)
        return urllib.parse.unquote(newest[1].removeprefix("file://"))

    def window_manager_runs(self):
        found = subprocess.run(["xprop", "-root", "_NET_SUPPORTING_WM_CHECK"],
                               env=self.session.env, capture_output=True, text=True)
        return "window id" in found.stdout

    def window_id(self, pattern):
        found = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", pattern],
                               env=self.session.env, capture_output=True, text=True)
        ids = found.stdout.split()
        return ids[0] if ids else None

    def finder_query(self):
        return subprocess.run(["sh", self.args.finder_query], env=self.session.env,
                              capture_output=True, text=True, timeout=30).stdout.rstrip("\n")


def main():
    args = parse_arguments()
    folders = system_folders(args)
    if not args.in_mount_namespace:
        try:
            placement.reexec_in_namespace()
        except placement.PlacementUnavailable as error:
            print(f"SKIPPED: {error}")
            return SKIPPED

    # What an earlier run left there would pass for this run's.
    shutil.rmtree(args.work_dir, ignore_errors=True)
    os.makedirs(args.work_dir)
    session = Session(args.work_dir)
    # ctest ends a test that runs too long with SIGTERM: clean up all the same.
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(1))
    test = FileManagerTest(args, session)
    try:
        placement.place(folders, session.make_dir("system"))
        test.run()
        test.step("done")
        print(f"PASSED: {args.file_manager}; screenshots: {' '.join(test.screenshots)}")
        return 0
    except placement.PlacementUnavailable as error:
        print(f"SKIPPED: {error}")
        return SKIPPED
    except Exception as error:  # noqa: BLE001 - any error fails the test, with what it saw
        traceback.print_exc()
        if "DISPLAY" in session.env:
            try:
                print("screen at the failure:", test.shot("failure"))
                if test.program is not None:
                    tree = os.path.join(args.work_dir, "failure-accessibility-tree.txt")
                    with open(tree, "w") as out:
                        out.write(test.program.describe())
                    print("what the program showed:", tree)
            except Exception:  # noqa: BLE001 - the failure itself is already reported
                pass
        if session.exited():
            print("programs that had ended:", ", ".join(session.exited()))
        print(f"FAILED: {args.file_manager}: {error} (logs in {args.work_dir})")
        return 1
    finally:
        session.close()


if __name__ == "__main__":
    sys.exit(main())
