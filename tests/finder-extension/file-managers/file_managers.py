"""What differs between the file managers the test drives."""

from dataclasses import dataclass, field


@dataclass(frozen=True)
class FileManager:
    # The program, and its arguments before the folder to open.
    command: tuple
    # Names the program has on the accessibility bus.
    accessible_names: tuple
    # The bus name the loaded module owns.
    module_bus_name: str
    # Settings for the keyfile GSettings backend: group -> key -> GVariant text.
    settings: dict = field(default_factory=dict)
    extra_environment: dict = field(default_factory=dict)
    # The accessible name of the folder view, where the right click goes, and
    # its role when the name alone does not tell it.
    view_name: str = "Icon View"
    view_role: str = ""
    # Where in the view the right click goes, as fractions of its size: on
    # the empty background, clear of any placeholder text.
    click_at: tuple = (0.5, 0.5)
    gtk4: bool = False
    qt: bool = False
    # How the window shows that the served folder holds the one new file:
    # a node of this role whose name starts with this text.
    shows_one_file: tuple = ("status bar", "1 item")
    # An entry of the file manager's own background menu: proof that a menu
    # without ours is the background menu indeed.
    own_background_entry: str = "Paste"
    # Whether our module publishes the folder of the active window.
    publishes_active_folder: bool = True
    # The keys that open a tab, and that go to the next and the previous tab.
    tab_keys: tuple = ("ctrl+t", "ctrl+Page_Down", "ctrl+Page_Up")
    # Whether a new tab can be sent to a folder by typing its path: Nautilus
    # completes the path inline while it is typed, and the completion races
    # the typed keys under load ("served" arrived as "served5v0").
    tab_takes_typed_path: bool = True


# Every one opens folders in its icon view, draws no desktop, and (with
# SESSION_MANAGER unset and a bus of its own) neither joins a session nor
# finds another instance to hand the folder to.
FILE_MANAGERS = {
    "nemo": FileManager(
        command=("nemo",),
        accessible_names=("nemo",),
        module_bus_name="org.quillet.Quillet.QuilletExtension.Nemo",
        settings={
            "org/nemo/preferences": {"default-folder-viewer": "'icon-view'"},
            "org/nemo/desktop": {"show-desktop-icons": "false"},
        },
    ),
    "caja": FileManager(
        command=("caja", "--no-desktop"),
        accessible_names=("caja",),
        # Caja keeps its status bar's count; the view names its icons.
        shows_one_file=("icon", "untitled.txt"),
        module_bus_name="org.quillet.Quillet.QuilletExtension.Caja",
        settings={
            "org/mate/caja/preferences": {"default-folder-viewer": "'icon-view'"},
            "org/mate/background": {"show-desktop-icons": "false"},
        },
    ),
    "thunar": FileManager(
        command=("thunar",),
        accessible_names=("thunar",),
        module_bus_name="org.quillet.Quillet.QuilletExtension.Thunar",
        view_name="Icon view",
        shows_one_file=("status bar", "1 file"),
    ),
    # KIO loads our plugin for Dolphin's menus; Qt 5 speaks AT-SPI when told to.
    "dolphin": FileManager(
        command=("dolphin",),
        accessible_names=("dolphin",),
        module_bus_name="org.quillet.Quillet.QuilletExtension.Dolphin",
        view_name="",
        qt=True,
        view_role="table",
        # "Folder is empty" in the middle takes no clicks.
        click_at=(0.25, 0.25),
        shows_one_file=("label", "1 File ("),
        own_background_entry="Create New",
        tab_keys=("ctrl+t", "ctrl+Tab", "ctrl+shift+Tab"),
        extra_environment={"QT_LINUX_ACCESSIBILITY_ALWAYS_ON": "1", "QT_QPA_PLATFORM": "xcb"},
    ),
    "nautilus": FileManager(
        command=("nautilus", "--new-window"),
        tab_takes_typed_path=False,
        accessible_names=("nautilus", "org.gnome.nautilus"),
        view_name="Content View",
        gtk4=True,
        shows_one_file=("label", "untitled.txt"),
        module_bus_name="org.quillet.Quillet.QuilletExtension",
        settings={
            "org/gnome/nautilus/preferences": {"default-folder-viewer": "'icon-view'"},
        },
        # GTK 4's GL renderer never finishes a frame on the virtual display,
        # which leaves the folder view "Loading..." for good.
        extra_environment={"GSK_RENDERER": "cairo"},
    ),
}
