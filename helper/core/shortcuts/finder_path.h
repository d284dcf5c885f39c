// The file manager's current folder, as the user script reports it: the
// script runs with the shipped query as its one argument and prints one
// absolute path.
#pragma once

#include "shared/identifiers.h"
#include "shared/localized_strings.h"
#include "shared/ports/alerts.h"
#include "shared/ports/main_queue.h"
#include "shared/ports/script_runner.h"
#include "shared/value.h"

#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace quillet::helper {

inline constexpr const char* kUserScriptName = ids::kHelperUserScript;

// Line breaks (CR and LF) removed from both ends; spaces are kept.
std::string trimLineBreaks(std::string_view text);

class FinderPath {
public:
    // Called on the runner's worker thread with the reported folder.
    using Handler = std::function<void(const std::string& folder, const Value& record)>;

    FinderPath(ScriptRunner& runner, MainQueue& mainQueue, Alerts& alerts, Translator translate,
               std::string scriptsDir, std::string finderQuery);
    ~FinderPath();
    FinderPath(const FinderPath&) = delete;
    FinderPath& operator=(const FinderPath&) = delete;

    // Runs the user script. On success the handler gets the folder and the
    // same record; every failure is told in a critical alert on the main
    // queue and the handler is not called.
    void getFinderPathWithTemplate(const Value& record, Handler handler);

    std::string scriptPath() const;

private:
    struct Shared;
    std::shared_ptr<Shared> shared_;
    ScriptRunner& runner_;
    std::string scriptsDir_;
    std::string finderQuery_;
};

} // namespace quillet::helper
