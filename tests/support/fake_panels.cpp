#include "fake_panels.h"

namespace quillet::test {

void FakePanels::beginOpenPanel(const OpenPanelOptions& options, Completion completion) {
    opened_.push_back({options, std::move(completion), false});
}

std::size_t FakePanels::openCount() const {
    std::size_t count = 0;
    for (const auto& open : opened_) {
        count += open.answered ? 0 : 1;
    }
    return count;
}

bool FakePanels::answer(const std::optional<std::string>& chosen) {
    for (auto& open : opened_) {
        if (!open.answered) {
            open.answered = true;
            Completion completion = open.completion; // may open another panel
            completion(chosen);
            return true;
        }
    }
    return false;
}

bool FakePanels::choose(const std::string& path) {
    return answer(path);
}

bool FakePanels::cancel() {
    return answer(std::nullopt);
}

} // namespace quillet::test
