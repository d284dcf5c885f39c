// quillet-defaults: the shared settings store from the command line.
//
//   quillet-defaults [--suite NAME | --file PATH] [--notify] read [KEY]
//   quillet-defaults [--suite NAME | --file PATH] [--notify] write KEY JSON
//   quillet-defaults [--suite NAME | --file PATH] [--notify] delete KEY
//
// Values are JSON as the store file holds them (data as {"$data": "<base64>"}).
// Exit status: 0 done, 1 no such key, 2 bad usage or bad JSON, 3 the store
// could not be written, 4 the store could not be read.
#include "platform/linux/dbus_notification_center.h"
#include "shared/identifiers.h"
#include "shared/plist_json.h"
#include "shared/refresh_notification.h"
#include "shared/settings_store.h"

#include <cstdio>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

namespace {

constexpr int kOk = 0;
constexpr int kAbsent = 1;
constexpr int kUsage = 2;
constexpr int kWriteFailed = 3;
constexpr int kReadFailed = 4;

int usage() {
    std::cerr << "usage: quillet-defaults [--suite NAME | --file PATH] [--notify] read [KEY]\n"
                 "       quillet-defaults [--suite NAME | --file PATH] [--notify] write KEY JSON\n"
                 "       quillet-defaults [--suite NAME | --file PATH] [--notify] delete KEY\n"
                 "--notify posts the refresh notification for KEY after a change.\n";
    return kUsage;
}

int read(const quillet::SettingsStore& store, const std::optional<std::string>& key) {
    // An unreadable store is not an empty one: "{}" would say there are no
    // settings when there are, in a file with a fault.
    if (const quillet::Status readable = store.readStatus(); !readable) {
        std::cerr << "quillet-defaults: " << readable.error().logText() << "\n";
        return kReadFailed;
    }
    if (!key) {
        std::cout << quillet::valueToJsonText(quillet::Value(store.storedValues())) << "\n";
        return kOk;
    }
    quillet::Value value = store.objectForKey(*key);
    if (value.isNull()) {
        std::cerr << "quillet-defaults: no value for key \"" << *key << "\" in " << store.filePath()
                  << "\n";
        return kAbsent;
    }
    std::cout << quillet::valueToJsonText(value) << "\n";
    return kOk;
}

void notify(const std::string& key) {
    quillet::platform::DBusNotificationCenter center;
    quillet::postRefreshNotification(center, key);
}

} // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    std::string suite = quillet::ids::kSuiteName;
    std::optional<std::string> file;
    bool wantNotify = false;
    std::size_t i = 0;
    for (; i < args.size() && args[i].starts_with("--"); ++i) {
        if (args[i] == "--suite" && i + 1 < args.size()) {
            suite = args[++i];
        } else if (args[i] == "--file" && i + 1 < args.size()) {
            file = args[++i];
        } else if (args[i] == "--notify") {
            wantNotify = true;
        } else if (args[i] == "--help") {
            usage();
            return kOk;
        } else {
            return usage();
        }
    }
    if (i >= args.size()) {
        return usage();
    }
    const std::string command = args[i++];
    std::vector<std::string> rest(args.begin() + static_cast<std::ptrdiff_t>(i), args.end());
    if (suite.empty() || suite.find('/') != std::string::npos) {
        std::cerr << "quillet-defaults: a suite name cannot be empty or contain \"/\"\n";
        return kUsage;
    }

    quillet::SettingsStore store =
        file ? quillet::SettingsStore::atPath(*file) : quillet::SettingsStore(suite);

    if (command == "read" && rest.size() <= 1) {
        return read(store, rest.empty() ? std::nullopt : std::optional<std::string>(rest[0]));
    }
    if (command == "write" && rest.size() == 2) {
        const quillet::Expected<quillet::Value> parsed = quillet::valueFromJsonText(rest[1]);
        if (!parsed) {
            std::cerr << "quillet-defaults: the value for \"" << rest[0] << "\" is not valid JSON ("
                      << parsed.error().reason() << "); nothing was written\n";
            return kUsage;
        }
        const quillet::Value& value = *parsed;
        if (value.isNull()) {
            std::cerr << "quillet-defaults: null is not a storable value; use delete\n";
            return kUsage;
        }
        if (const quillet::Status stored = store.setObject(rest[0], value); !stored) {
            std::cerr << "quillet-defaults: " << stored.error().logText() << "\n";
            return kWriteFailed;
        }
        if (wantNotify) {
            notify(rest[0]);
        }
        return kOk;
    }
    if (command == "delete" && rest.size() == 1) {
        if (!store.storedValues().contains(rest[0])) {
            std::cerr << "quillet-defaults: no value for key \"" << rest[0] << "\" in "
                      << store.filePath() << "\n";
            return kAbsent;
        }
        if (const quillet::Status removed = store.removeObjectForKey(rest[0]); !removed) {
            std::cerr << "quillet-defaults: " << removed.error().logText() << "\n";
            return kWriteFailed;
        }
        if (wantNotify) {
            notify(rest[0]);
        }
        return kOk;
    }
    return usage();
}
