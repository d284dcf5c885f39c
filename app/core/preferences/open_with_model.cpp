#include "open_with_model.h"

namespace quillet::app {

OpenWithModel::OpenWithModel(Workspace& workspace, MainQueue& mainQueue, Background background,
                             Translator translate)
    : workspace_(workspace), mainQueue_(mainQueue), background_(std::move(background)),
      translate_(std::move(translate)) {
    if (!translate_) {
        translate_ = [](const std::string& text) { return text; };
    }
}

OpenWithModel::~OpenWithModel() {
    shared_->alive = false; // a search still running finds nobody to tell
}

OpenWithModel::Menu OpenWithModel::menuWillOpen(const std::optional<std::string>& filePath,
                                                Update update) {
    const unsigned generation = ++shared_->generation;
    apps_.clear();
    if (!filePath) {
        return Menu{{}, translate_("No application available")};
    }
    const std::string none = translate_("No application available");
    // The ports outlive the model; `this` is touched only on the main queue,
    // after checking that the model still exists.
    background_([this, &workspace = workspace_, &queue = mainQueue_, shared = shared_, generation,
                 path = *filePath, none, update = std::move(update)] {
        auto apps = workspace.applicationsForFile(path);
        queue.post([this, shared, generation, apps = std::move(apps), none, update] {
            if (!shared->alive || shared->generation != generation) {
                return;
            }
            apps_ = apps;
            update(Menu{apps, apps.empty() ? none : std::string()});
        });
    });
    return Menu{{}, translate_("Fetching...")};
}

Status OpenWithModel::openFileWithApp(std::size_t index, const std::string& filePath) {
    if (index >= apps_.size()) {
        return Error::withDetail("open the file", filePath, "no such application in the menu");
    }
    Status opened = workspace_.openFileWithApplication(filePath, apps_[index].id);
    if (!opened) {
        return opened.error().during("open the file");
    }
    return {};
}

} // namespace quillet::app
