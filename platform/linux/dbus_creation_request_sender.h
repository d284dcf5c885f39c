// Sends creation request URLs to the helper as the freedesktop Application
// Open call on its bus name (and a template's shortcut as its action), so the bus starts the helper
// when it is not running. Everything is asynchronous: a caller inside the file manager is never
// kept waiting. Requests go out in the order they were sent.
//
// The helper answers Open before it does the work, so a call that got no
// answer, or found no helper, was not taken: it is sent once more (a helper
// that was just ending has given its name up, and the bus starts a new one).
// When that fails too, the user is told through a desktop notification
// (org.freedesktop.Notifications) that the file was not created.
#pragma once

#include "shared/localized_strings.h"
#include "shared/ports/request_sender.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace quillet::platform {

class DBusCreationRequestSender final : public CreationRequestSender {
public:
    // The helper's bus name and object path; defaults are the suite's.
    // `translate` gives the notification's texts in the caller's language.
    // `fileManager` names the file manager the requests come from, in each
    // call's platform data, so that the helper shows new files there.
    explicit DBusCreationRequestSender(Translator translate = {}, std::string fileManager = {});
    DBusCreationRequestSender(std::string busName, std::string objectPath,
                              Translator translate = {}, std::string fileManager = {});
    ~DBusCreationRequestSender() override;

    void send(const std::string& url) override;
    // The same; `settled` runs on the main context once the request is out
    // of this process's hands (taken by the helper, given up, or reported),
    // so that a short-lived sender knows when it may end.
    void send(const std::string& url, std::function<void()> settled);

    // Does what the template's global shortcut does (creates it in the file
    // manager's current folder): the helper's "shortcut" action with the
    // template's index in the whole list.
    void activateShortcut(std::int64_t index);

    struct State;
    struct Request;

private:
    void sendRequest(Request request, std::function<void()> settled);

    std::shared_ptr<State> state_;
};

} // namespace quillet::platform
