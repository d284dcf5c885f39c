// The real helper in a sandbox: temporary XDG folders, a private session bus
// whose service folder holds the build's service file, and the helper's
// processes started and watched from the test.
#pragma once

#include "private_bus.h"
#include "shared/settings_store.h"
#include "temp_xdg.h"

#include <chrono>
#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

namespace quillet::test {

struct Child {
    pid_t pid = -1;
    std::string stderrPath;
};

class HelperSandbox {
public:
    HelperSandbox();
    ~HelperSandbox();
    HelperSandbox(const HelperSandbox&) = delete;
    HelperSandbox& operator=(const HelperSandbox&) = delete;

    TempXdg& xdg() { return xdg_; }
    SettingsStore& store() { return *store_; }
    const std::string& busAddress() const { return bus_->address(); }

    // Starts a program with the sandbox's environment; standard error goes
    // to a file of its own.
    Child spawn(const std::vector<std::string>& argv);
    // The exit status, or nothing when it is still running after the time-out.
    std::optional<int> waitExit(Child& child, std::chrono::milliseconds timeout);
    // Runs a program to its end; its standard output.
    std::string run(const std::vector<std::string>& argv, int* status = nullptr);

    bool helperOnBus();
    bool waitForHelperOnBus(std::chrono::milliseconds timeout);
    bool waitForHelperGone(std::chrono::milliseconds timeout);
    std::optional<pid_t> helperPid();

    // org.freedesktop.Application.Open through gdbus, as the suite's senders do.
    int callOpen(const std::vector<std::string>& uris);
    void postNotification(const std::string& name, const std::string& object);

    static std::string helperExecutable();
    static bool waitForPath(const std::string& path, std::chrono::milliseconds timeout);
    static std::string readFile(const std::string& path);

private:
    TempXdg xdg_;
    std::optional<SettingsStore> store_;
    std::optional<PrivateBusDaemon> bus_;
    std::vector<pid_t> children_;
    std::vector<std::pair<std::string, std::optional<std::string>>> savedEnv_;
};

} // namespace quillet::test
