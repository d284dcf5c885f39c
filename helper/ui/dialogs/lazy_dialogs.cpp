#include "helper/ui/dialogs/lazy_dialogs.h"

#include "platform/linux/display.h"

#include <cstdio>
#include <dlfcn.h>

namespace quillet::helper {

LazyDialogs::LazyDialogs(MainQueue& queue, std::string modulePath)
    : queue_(queue), modulePath_(std::move(modulePath)) {}

// The module stays mapped: Qt does not support being unloaded.
LazyDialogs::~LazyDialogs() = default;

HelperDialogs* LazyDialogs::load() {
    if (dialogs_ || failed_) {
        return dialogs_.get();
    }
    void* module = ::dlopen(modulePath_.c_str(), RTLD_NOW | RTLD_LOCAL);
    auto create = module != nullptr ? reinterpret_cast<QuilletHelperDialogsCreate>(
                                          ::dlsym(module, "quillet_helper_dialogs_create"))
                                    : nullptr;
    if (create == nullptr) {
        const char* why = ::dlerror();
        std::fprintf(stderr, "quillet-helper: cannot load the dialogs (%s)\n",
                     why != nullptr ? why : modulePath_.c_str());
        failed_ = true;
        return nullptr;
    }
    dialogs_.reset(create(&queue_));
    return dialogs_.get();
}

void LazyDialogs::showAlert(const std::optional<std::string>& title,
                            const std::optional<std::string>& message, AlertStyle style) {
    HelperDialogs* dialogs = platform::hasDisplay() ? load() : nullptr;
    if (dialogs == nullptr) {
        std::fprintf(stderr, "%s\n", platform::alertTextLine(title, message).c_str());
        std::fflush(stderr);
        return;
    }
    dialogs->alerts().showAlert(title, message, style);
}

int LazyDialogs::runAlert(const std::optional<std::string>& title,
                          const std::optional<std::string>& message, AlertStyle style,
                          const std::vector<std::string>& buttons) {
    HelperDialogs* dialogs = platform::hasDisplay() ? load() : nullptr;
    if (dialogs == nullptr) {
        std::fprintf(stderr, "%s\n", platform::alertTextLine(title, message).c_str());
        std::fflush(stderr);
        return -1;
    }
    return dialogs->alerts().runAlert(title, message, style, buttons);
}

void LazyDialogs::runInstallScriptWindow(const std::string& scriptPath, const std::string& destDir,
                                         Workspace& workspace, const Translator& translate) {
    if (HelperDialogs* dialogs = platform::hasDisplay() ? load() : nullptr) {
        dialogs->runInstallScriptWindow(scriptPath, destDir, workspace, translate);
    }
}

void LazyDialogs::beginOpenPanel(const OpenPanelOptions& options, Completion completion) {
    HelperDialogs* dialogs = platform::hasDisplay() ? load() : nullptr;
    if (dialogs == nullptr) {
        std::fprintf(stderr, "%s: %s (no window can be shown; cancelled)\n", options.title.c_str(),
                     options.message.c_str());
        std::fflush(stderr);
        // Never inside this call: the caller may not expect it yet.
        queue_.post([completion] { completion(std::nullopt); });
        return;
    }
    dialogs->panels().beginOpenPanel(options, std::move(completion));
}

bool LazyDialogs::canShowPanels() const {
    return platform::hasDisplay() && !failed_;
}

void LazyDialogs::showNewFilePanel(NewFilePanelHost& host, const SettingsStore& store,
                                   const std::string& folder, const Value& record,
                                   const FileTypes* fileTypes) {
    if (HelperDialogs* dialogs = load()) {
        dialogs->showNewFilePanel(host, store, folder, record, fileTypes);
    }
}

void LazyDialogs::exitAllEventLoops() {
    if (dialogs_) {
        dialogs_->exitAllEventLoops();
    }
}

} // namespace quillet::helper
