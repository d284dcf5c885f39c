// Open panels that nobody sees: each request is recorded and stays open until
// the test answers it (with a path, or nothing for cancel).
#pragma once

#include "shared/ports/panels.h"

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace quillet::test {

class FakePanels final : public Panels {
public:
    struct Open {
        OpenPanelOptions options;
        Completion completion;
        bool answered = false;
    };

    void beginOpenPanel(const OpenPanelOptions& options, Completion completion) override;
    bool canShowPanels() const override { return available; }
    bool available = true;

    const std::vector<Open>& opened() const { return opened_; }
    std::size_t openCount() const;
    // Answers the oldest unanswered panel; false when none is open.
    bool choose(const std::string& path);
    bool cancel();

private:
    bool answer(const std::optional<std::string>& chosen);
    std::vector<Open> opened_;
};

} // namespace quillet::test
