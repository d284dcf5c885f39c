#include "extension_host.h"

#include "shared/xdg_paths.h"

#include <gio/gio.h>

#include <dlfcn.h>
#include <filesystem>
#include <system_error>
#include <unistd.h>

namespace quillet::module {

namespace {

constexpr const char* kTextDomain = "quillet-extension";

ExtensionHost* gHost = nullptr;

std::string moduleDir() {
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&moduleResourcesDir), &info) == 0 ||
        info.dli_fname == nullptr) {
        return {};
    }
    std::error_code ec;
    auto path = std::filesystem::canonical(info.dli_fname, ec);
    return ec ? std::string() : path.parent_path().string();
}

} // namespace

void windowShowsLocation(GObject* window, const char* uri) noexcept {
    ExtensionHost* host = ExtensionHost::current();
    if (host == nullptr || host->windowTracker() == nullptr) {
        return;
    }
    try {
        host->windowTracker()->windowShows(window, uri);
    } catch (...) {
        // Nothing may unwind into the file manager; the folder is not published.
        g_warning("the active folder is not followed");
    }
}

std::string moduleResourcesDir(const char* moduleToDatadir) {
    std::string dir = moduleDir();
    if (!dir.empty()) {
        std::error_code ec;
        auto candidate = std::filesystem::weakly_canonical(
            std::filesystem::path(dir) / moduleToDatadir / "quillet/finder-extension", ec);
        if (!ec && std::filesystem::is_directory(candidate, ec)) {
            return candidate.string();
        }
    }
    return QUILLET_INSTALLED_RESOURCES_DIR;
}

ExtensionHost::ExtensionHost(const ModuleIdentity& identity)
    : requests_([this](const std::string& text) { return translator_(text); },
                identity.fileManager),
      translator_(kTextDomain, paths::appendingPathComponent(
                                   moduleResourcesDir(identity.moduleToDatadir), "../../locale")) {
    FinderSyncPorts ports{
        notifications_, volumes_,  mainQueue_,
        fileTypes_,     requests_, [this](const std::string& text) { return translator_(text); }};
    FinderSyncOptions options;
    options.defaultsFile = paths::appendingPathComponent(
        moduleResourcesDir(identity.moduleToDatadir), "Defaults.json");
    finderSync_ = std::make_unique<FinderSync>(std::move(ports), std::move(options));
    if (identity.windows != nullptr) {
        windowTracker_ = std::make_unique<WindowTracker>(
            *identity.windows,
            [this](const ActiveLocation& location) { activeLocation_.publish(location); });
    }
    // Owning the id tells the rest of the suite that the extension is loaded;
    // the object under it tells the shortcut's script the active folder.
    // A second process of the same file manager (Dolphin starts one per
    // window opened from outside) finds the name taken: it owns one of the
    // family of its own, so that its windows' folder is published too.
    // The object is served on the connection from the start, under whichever
    // name the process gets.
    auto acquired = [](GDBusConnection* bus, const gchar*, gpointer self) {
        static_cast<ExtensionHost*>(self)->activeLocation_.exportOn(bus);
    };
    busName_ = identity.busName;
    busNameOwner_ = g_bus_own_name(
        G_BUS_TYPE_SESSION, identity.busName, G_BUS_NAME_OWNER_FLAGS_DO_NOT_QUEUE, acquired,
        nullptr,
        [](GDBusConnection* bus, const gchar*, gpointer data) {
            auto* self = static_cast<ExtensionHost*>(data);
            if (bus == nullptr || self->instanceNameOwner_ != 0) {
                return;
            }
            std::string instance = self->busName_;
            instance.append(".Instance").append(std::to_string(::getpid()));
            self->instanceNameOwner_ =
                g_bus_own_name_on_connection(bus, instance.c_str(), G_BUS_NAME_OWNER_FLAGS_NONE,
                                             nullptr, nullptr, nullptr, nullptr);
        },
        this, nullptr);
}

ExtensionHost::~ExtensionHost() {
    if (busNameOwner_ != 0) {
        g_bus_unown_name(busNameOwner_);
    }
    if (instanceNameOwner_ != 0) {
        g_bus_unown_name(instanceNameOwner_);
    }
    windowTracker_.reset();
    finderSync_.reset();
}

ExtensionHost* ExtensionHost::current() {
    return gHost;
}

void ExtensionHost::start(const ModuleIdentity& identity) {
    if (gHost == nullptr) {
        gHost = new ExtensionHost(identity);
    }
}

void ExtensionHost::stop() {
    ExtensionHost* host = gHost;
    gHost = nullptr;
    delete host;
}

} // namespace quillet::module
