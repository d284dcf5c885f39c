// Lists the external drives on a worker thread. The drive roots are mount
// points: a hung network share or a dying USB stick can block any look at
// them for minutes, and the file manager must never wait on that.
#pragma once

#include "shared/ports/main_queue.h"

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace quillet {

class DriveScan {
public:
    // Runs on the worker thread; must not refer to anything that may die
    // before it returns (it may outlive this object when the file system hangs).
    using Scan = std::function<std::vector<std::string>()>;
    // Runs on the main queue with the folders found.
    using Done = std::function<void(std::vector<std::string>)>;

    DriveScan(MainQueue& mainQueue, Scan scan, Done done);
    // No result is delivered afterwards. Waits a little for a scan in
    // progress, then leaves a hung one behind rather than hang with it.
    ~DriveScan();

    DriveScan(const DriveScan&) = delete;
    DriveScan& operator=(const DriveScan&) = delete;

    // Returns at once. A request made while a scan runs folds into one more
    // scan after it; only the newest result is delivered.
    void request();

    static constexpr std::chrono::milliseconds kShutdownWait{2000};

    // Shared with the worker thread; defined in the source file.
    struct State;

private:
    std::shared_ptr<State> state_;
};

} // namespace quillet
