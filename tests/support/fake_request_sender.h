// Records the creation requests that would have gone to the helper.
#pragma once

#include "shared/ports/request_sender.h"

#include <string>
#include <vector>

namespace quillet::test {

class FakeRequestSender final : public CreationRequestSender {
public:
    void send(const std::string& url) override { sent.push_back(url); }

    std::vector<std::string> sent;
};

} // namespace quillet::test
