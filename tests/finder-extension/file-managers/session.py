"""A private desktop session for one file-manager test.

Everything the file manager could share with the machine or with another test
is made anew here: a home with its own XDG folders and settings, a virtual
display, a session bus that can start only the helper under test, and an
accessibility bus to read the windows and menus through. Every process the
session starts, and every process those leave behind, is ended by close().
"""

import ctypes
import os
import shutil
import signal
import subprocess
import tempfile
import time

PR_SET_PDEATHSIG = 1
PR_SET_CHILD_SUBREAPER = 36
LIBC = ctypes.CDLL(None, use_errno=True)


def die_with_parent():
    """In a child before exec: should the test itself be killed, so is this."""
    LIBC.prctl(PR_SET_PDEATHSIG, signal.SIGKILL, 0, 0, 0)

BUS_CONFIG = """<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>session</type>
  <listen>unix:dir={bus_dir}</listen>
  <servicedir>{service_dir}</servicedir>
  <policy context="default">
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>
  </policy>
</busconfig>
"""

# Variables of the caller's desktop that would lead a program out of the
# private session: to another display, bus, session manager or a11y bus.
INHERITED_VARIABLES_TO_DROP = (
    "DISPLAY", "XAUTHORITY", "WAYLAND_DISPLAY", "DBUS_SESSION_BUS_ADDRESS",
    "AT_SPI_BUS_ADDRESS", "SESSION_MANAGER", "DESKTOP_STARTUP_ID", "XDG_SESSION_TYPE",
    "XDG_CURRENT_DESKTOP", "XDG_SESSION_DESKTOP", "GTK_MODULES", "NO_AT_BRIDGE",
    "LANGUAGE", "LC_ALL", "LC_MESSAGES", "GSETTINGS_BACKEND", "GIO_USE_VFS",
    "XDG_CONFIG_DIRS",
)


class SessionError(RuntimeError):
    pass


def poll(predicate, timeout, what, interval=0.1):
    """Returns predicate()'s first true value, or raises once timeout passed."""
    deadline = time.monotonic() + timeout
    while True:
        value = predicate()
        if value:
            return value
        if time.monotonic() > deadline:
            raise SessionError(f"timed out after {timeout:g} s waiting for {what}")
        time.sleep(interval)


class Session:
    def __init__(self, log_dir):
        # Whatever our children leave behind (the helper the bus starts, the
        # bus the a11y launcher starts) comes back to us, so close() finds it.
        LIBC.prctl(PR_SET_CHILD_SUBREAPER, 1, 0, 0, 0)
        self.log_dir = log_dir
        self.root = tempfile.mkdtemp(prefix="quillet-fm-")
        self.processes = []
        self.env = {k: v for k, v in os.environ.items() if k not in INHERITED_VARIABLES_TO_DROP}
        self.home = self.make_dir("home")
        self.runtime_dir = self.make_dir("runtime")
        os.chmod(self.runtime_dir, 0o700)
        self.env.update({
            "HOME": self.home,
            "XDG_CONFIG_HOME": self.make_dir("config"),
            "XDG_DATA_HOME": self.make_dir("data"),
            "XDG_CACHE_HOME": self.make_dir("cache"),
            "XDG_RUNTIME_DIR": self.runtime_dir,
            # English labels, whatever the machine's language.
            "LANG": "C.UTF-8",
            # Settings in a file of this home instead of the user's dconf
            # database (whose writer the private bus cannot start).
            "GSETTINGS_BACKEND": "keyfile",
            # Local files only: no gvfs daemons, no volume monitors.
            "GIO_USE_VFS": "local",
            "GIO_USE_VOLUME_MONITOR": "unix",
            "GDK_BACKEND": "x11",
        })

    def make_dir(self, relative):
        path = os.path.join(self.root, relative)
        os.makedirs(path, exist_ok=True)
        return path

    def log_file(self, name):
        return open(os.path.join(self.log_dir, name + ".log"), "wb")

    def spawn(self, name, argv, extra_env=None):
        log = self.log_file(name)
        env = {**self.env, **(extra_env or {})}
        process = subprocess.Popen(argv, env=env, stdin=subprocess.DEVNULL, stdout=log,
                                   stderr=subprocess.STDOUT, preexec_fn=die_with_parent)
        log.close()
        self.processes.append((name, process))
        return process

    # The display ------------------------------------------------------------

    def start_display(self, width=1280, height=1024):
        read_fd, write_fd = os.pipe()
        log = self.log_file("xvfb")
        process = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_fd), "-screen", "0", f"{width}x{height}x24",
             "-nolisten", "tcp", "-noreset"],
            env=self.env, stdin=subprocess.DEVNULL, stdout=log, stderr=subprocess.STDOUT,
            pass_fds=(write_fd,), preexec_fn=die_with_parent)
        log.close()
        self.processes.append(("xvfb", process))
        os.close(write_fd)
        # Xvfb writes the display number it chose once it accepts clients.
        with os.fdopen(read_fd) as pipe:
            number = pipe.readline().strip()
        if not number:
            raise SessionError("Xvfb did not start (see xvfb.log)")
        self.env["DISPLAY"] = ":" + number

    # The buses --------------------------------------------------------------

    def start_session_bus(self, service_files):
        """A session bus whose only activatable services are service_files."""
        service_dir = self.make_dir("services")
        for path in service_files:
            shutil.copy(path, service_dir)
        config = os.path.join(self.root, "session-bus.conf")
        with open(config, "w") as out:
            out.write(BUS_CONFIG.format(bus_dir=self.make_dir("bus"), service_dir=service_dir))
        # The bus starts the helper with its own environment: the display and
        # the home must already be those of the session.
        log = self.log_file("session-bus")
        process = subprocess.Popen(
            ["dbus-daemon", "--nofork", "--print-address=1", "--config-file=" + config],
            env=self.env, stdin=subprocess.DEVNULL, stdout=subprocess.PIPE, stderr=log,
            preexec_fn=die_with_parent)
        log.close()
        self.processes.append(("session-bus", process))
        address = process.stdout.readline().decode().strip()
        process.stdout.close()
        if not address:
            raise SessionError("the session bus did not start (see session-bus.log)")
        self.env["DBUS_SESSION_BUS_ADDRESS"] = address

    def bus_call(self, method, *args):
        """A call to the session bus daemon itself, answered as text."""
        result = subprocess.run(
            ["dbus-send", "--session", "--print-reply=literal", "--dest=org.freedesktop.DBus",
             "/org/freedesktop/DBus", "org.freedesktop.DBus." + method, *args],
            env=self.env, capture_output=True, text=True)
        return result.stdout.strip() if result.returncode == 0 else None

    def name_owner(self, name):
        return self.bus_call("GetNameOwner", "string:" + name)

    def name_owner_pid(self, name):
        reply = self.bus_call("GetConnectionUnixProcessID", "string:" + name)
        return int(reply.split()[-1]) if reply else None

    def start_accessibility_bus(self):
        """The accessibility bus, found by GTK and by us at AT_SPI_BUS_ADDRESS."""
        launcher = "/usr/libexec/at-spi-bus-launcher"
        self.spawn("a11y-bus", [launcher, "--launch-immediately"])
        poll(lambda: self.name_owner("org.a11y.Bus"), 20, "the accessibility bus launcher")
        reply = subprocess.run(
            ["dbus-send", "--session", "--print-reply=literal", "--dest=org.a11y.Bus",
             "/org/a11y/bus", "org.a11y.Bus.GetAddress"],
            env=self.env, capture_output=True, text=True, check=True)
        self.env["AT_SPI_BUS_ADDRESS"] = reply.stdout.strip()
        # The accessibility library of this process reads the same variables.
        for name in ("DISPLAY", "DBUS_SESSION_BUS_ADDRESS", "AT_SPI_BUS_ADDRESS",
                     "XDG_RUNTIME_DIR", "HOME"):
            os.environ[name] = self.env[name]

    # Screens and input ------------------------------------------------------

    def screenshot(self, path):
        subprocess.run(["import", "-window", "root", path], env=self.env, check=True,
                       capture_output=True)

    def xdotool(self, *args):
        subprocess.run(["xdotool", *args], env=self.env, check=True, capture_output=True)

    def exited(self):
        """The started programs that are no longer running, with their status."""
        return [f"{name} (exit status {process.returncode})"
                for name, process in self.processes if process.poll() is not None]

    # The end ----------------------------------------------------------------

    def descendants(self):
        """Our living children and theirs, deepest first (from /proc)."""
        children = {}
        for entry in os.listdir("/proc"):
            if not entry.isdigit():
                continue
            try:
                with open(f"/proc/{entry}/stat") as stat:
                    fields = stat.read().rsplit(")", 1)[1].split()
            except OSError:
                continue
            if fields[0] != "Z":
                children.setdefault(int(fields[1]), []).append(int(entry))
        order = []

        def visit(pid):
            for child in children.get(pid, []):
                visit(child)
                order.append(child)

        visit(os.getpid())
        return order

    def close(self):
        for name, process in reversed(self.processes):
            if process.poll() is None:
                process.terminate()
                try:
                    process.wait(timeout=5)
                except subprocess.TimeoutExpired:
                    process.kill()
                    process.wait()
        # What the bus or the launchers started is ours too, by reparenting.
        for pid in self.descendants():
            try:
                os.kill(pid, signal.SIGKILL)
            except ProcessLookupError:
                pass
        deadline = time.monotonic() + 10
        while time.monotonic() < deadline:
            try:
                if os.waitpid(-1, os.WNOHANG)[0] == 0:
                    time.sleep(0.05)
            except ChildProcessError:
                break
        shutil.rmtree(self.root, ignore_errors=True)
