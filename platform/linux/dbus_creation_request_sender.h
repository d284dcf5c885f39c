// Sends creation request URLs to the helper as the freedesktop Application
// Open call on its bus name, so the bus starts the helper when it is not
// running. Everything is asynchronous: a caller inside the file manager is
// never kept waiting, and nothing is reported to the user.
//
// When the request cannot be delivered (no session bus, the name unknown to
// the bus, activation failed), the URL goes to the desktop's default handler
// of its scheme instead. A call that reached the helper is never repeated
// that way, even when its reply is late, so one choice creates one file.
#pragma once

#include "shared/ports/request_sender.h"

#include <string>

namespace quillet::platform {

class DBusCreationRequestSender final : public CreationRequestSender {
public:
    // The helper's bus name and object path; defaults are the suite's.
    DBusCreationRequestSender();
    DBusCreationRequestSender(std::string busName, std::string objectPath);

    void send(const std::string& url) override;

private:
    std::string busName_;
    std::string objectPath_;
};

} // namespace quillet::platform
