"""Puts files into system folders for this process alone.

Each file manager loads modules from a fixed folder under /usr (Debian builds
Thunar to ignore THUNARX_DIRS). A test must not write there, so it runs in a
mount namespace of its own, where a folder of the test is mounted over the
system folder: a bind mount when the
folder exists (what was there is hidden: only the module under test loads),
or, when it does not, a read-only overlay of the nearest existing parent with
a tree that adds the missing folders.
"""

import os
import shutil
import subprocess
import sys

IN_NAMESPACE_FLAG = "--in-mount-namespace"


class PlacementUnavailable(RuntimeError):
    """The machine gives no private mount namespace: the test cannot run."""


def unshare_command():
    # As root a plain mount namespace does; otherwise a user namespace maps
    # us to root inside it, which may then mount.
    candidates = [["unshare", "-m"]] if os.geteuid() == 0 else []
    candidates.append(["unshare", "-Urm"])
    reasons = []
    for command in candidates:
        probe = subprocess.run([*command, "true"], capture_output=True, text=True)
        if probe.returncode == 0:
            return command
        reasons.append(f"{' '.join(command)}: {probe.stderr.strip() or probe.returncode}")
    raise PlacementUnavailable("no private mount namespace (" + "; ".join(reasons) + ")")


def reexec_in_namespace():
    """Runs this script again in a private mount namespace; never returns.

    Everything the test starts (the buses included, so that the credentials
    the bus sees agree with the file manager's) lives in that namespace.
    """
    command = unshare_command()
    argv = [*command, "--", sys.executable, *sys.argv, IN_NAMESPACE_FLAG]
    sys.stdout.flush()
    sys.stderr.flush()
    os.execvp(argv[0], argv)


def mount(*args):
    result = subprocess.run(["mount", *args], capture_output=True, text=True)
    if result.returncode != 0:
        raise PlacementUnavailable(f"mount {' '.join(args)}: {result.stderr.strip()}")


def place(files_by_folder, stage_root):
    """Makes each system folder show exactly the given files.

    files_by_folder maps a system folder to the files it must hold; the copies
    live below stage_root, which must outlive the file manager.
    """
    # Keep /usr's mounts out of the caller's view even where the namespace
    # was made with shared propagation.
    mount("--make-rprivate", "/")
    overlays = {}
    for folder, files in files_by_folder.items():
        if os.path.isdir(folder):
            stage = os.path.join(stage_root, "bind" + folder.replace("/", "_"))
            os.makedirs(stage)
            for path in files:
                shutil.copy(path, stage)
            mount("--bind", stage, folder)
            continue
        parent = folder
        while not os.path.isdir(parent):
            parent = os.path.dirname(parent)
        tree = overlays.setdefault(parent,
                                   os.path.join(stage_root, "overlay" + parent.replace("/", "_")))
        target = os.path.join(tree, os.path.relpath(folder, parent))
        os.makedirs(target, exist_ok=True)
        for path in files:
            shutil.copy(path, target)
    for parent, tree in overlays.items():
        mount("-t", "overlay", "overlay", "-o", f"ro,lowerdir={tree}:{parent}", parent)
    for folder, files in files_by_folder.items():
        for path in files:
            if not os.path.exists(os.path.join(folder, os.path.basename(path))):
                raise PlacementUnavailable(f"{path} is not visible in {folder} after mounting")
