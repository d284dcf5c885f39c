#include "helper/core/shortcuts/finder_path.h"

#include "shared/while_alive.h"
#include "shared/xdg_paths.h"

#include <filesystem>
#include <mutex>

namespace quillet::helper {

std::string trimLineBreaks(std::string_view text) {
    auto isBreak = [](char c) { return c == '\n' || c == '\r'; };
    while (!text.empty() && isBreak(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && isBreak(text.back())) {
        text.remove_suffix(1);
    }
    return std::string(text);
}

// What the worker thread may still reach after the object is gone: it posts
// to the main queue only while the object lives (the mutex guards that), and
// the alert, on the main thread, finds the object gone or not.
struct FinderPath::Shared : std::enable_shared_from_this<Shared> {
    std::mutex mutex;
    MainQueue* mainQueue = nullptr; // null once the object is gone
    Alerts* alerts = nullptr;       // main thread only
    Translator translate;

    void alertLater(const std::string& title, const std::string& message) {
        std::lock_guard guard(mutex);
        if (mainQueue == nullptr) {
            return;
        }
        mainQueue->post(whileAlive(weak_from_this(), [title, message](Shared& self) {
            if (self.alerts != nullptr) {
                self.alerts->showAlert(self.translate ? self.translate(title) : title, message,
                                       AlertStyle::Critical);
            }
        }));
    }
};

FinderPath::FinderPath(ScriptRunner& runner, MainQueue& mainQueue, Alerts& alerts,
                       Translator translate, std::string scriptsDir, std::string finderQuery)
    : shared_(std::make_shared<Shared>()), runner_(runner), scriptsDir_(std::move(scriptsDir)),
      finderQuery_(std::move(finderQuery)) {
    shared_->mainQueue = &mainQueue;
    shared_->alerts = &alerts;
    shared_->translate = std::move(translate);
}

FinderPath::~FinderPath() {
    std::lock_guard guard(shared_->mutex);
    shared_->mainQueue = nullptr;
    shared_->alerts = nullptr;
}

std::string FinderPath::scriptPath() const {
    return paths::appendingPathComponent(scriptsDir_, kUserScriptName);
}

void FinderPath::getFinderPathWithTemplate(const Value& record, Handler handler) {
    std::error_code ignored; // a folder that cannot be made shows as a script that cannot run
    std::filesystem::create_directories(scriptsDir_, ignored);

    auto finished = [record, handler = std::move(handler)](Shared& self,
                                                           Expected<std::string> output) {
        if (!output) {
            self.alertLater("Unable to get current folder path!",
                            scriptFailureText(output.error()));
            return;
        }
        std::string folder = trimLineBreaks(*output);
        if (!folder.starts_with("/")) {
            self.alertLater("Invalid directory path!", folder);
            return;
        }
        if (handler) {
            handler(folder, record);
        }
    };
    Status started = runner_.run(scriptPath(), {finderQuery_},
                                 whileAlive(std::weak_ptr<Shared>(shared_), std::move(finished)));
    if (!started) {
        Translator translate = shared_->translate;
        shared_->alerts->showAlert(translate ? translate("Unable to run QuilletHelper.sh!")
                                             : "Unable to run QuilletHelper.sh!",
                                   scriptFailureText(started.error()), AlertStyle::Critical);
    }
}

} // namespace quillet::helper
