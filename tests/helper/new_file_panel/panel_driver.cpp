// Opens the new-file panel on the current display, for looking at it and
// for trying it by hand:
//   new_file_panel_driver <folder> <template file> [title] [prefix] [suffix]
// Uses a store in $XDG_CONFIG_HOME; prints what the panel asks of the helper.
#include "helper/ui/new_file_panel/new_file_panel.h"

#include "shared/identifiers.h"
#include "shared/xdg_paths.h"

#include <cstdio>
#include <string>

namespace {

class PrintingHost final : public quillet::helper::NewFilePanelHost {
public:
    void raisePanelCount() override { std::printf("panelCount %d\n", ++count_); }
    void lowerPanelCount() override { std::printf("panelCount %d\n", --count_); }
    void runFinishingSteps(const std::string& path, const quillet::FileTemplate& t) override {
        std::printf("finishing steps: %s (%s)\n", path.c_str(), t.title.c_str());
    }
    void showCountedAlertLater(const std::string& title, const std::string& message) override {
        std::printf("alert: %s / %s\n", title.c_str(), message.c_str());
        lowerPanelCount();
    }
    std::string localizedStringForKey(const std::string& key) override { return key; }
    std::string translate(const std::string& text) override { return text; }
    quillet::CreationJournal* creationJournal() override { return nullptr; }

private:
    int count_ = 0;
};

} // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s <folder> <template file> [title] [prefix] [suffix]\n",
                     argv[0]);
        return 2;
    }
    const std::string title = argc > 3 ? argv[3] : "Text";
    const std::string prefix = argc > 4 ? argv[4] : "untitled";
    const std::string suffix = argc > 5 ? argv[5] : "txt";
    using quillet::Value;
    const Value record(Value::Dictionary{{"enabled", true},
                                         {"title", title},
                                         {"filePath", std::string(argv[2])},
                                         {"prefix", prefix},
                                         {"suffix", suffix},
                                         {"executable", false}});
    const Value markdown(Value::Dictionary{{"enabled", true},
                                           {"title", "Markdown"},
                                           {"filePath", std::string(argv[2])},
                                           {"prefix", "Notes"},
                                           {"suffix", "md"},
                                           {"executable", false}});
    const Value folder(
        Value::Dictionary{{"enabled", true},
                          {"title", "Folder"},
                          {"filePath", quillet::paths::deletingLastPathComponent(argv[2])},
                          {"prefix", "New Folder"},
                          {"suffix", ""},
                          {"executable", false}});
    quillet::SettingsStore store(quillet::ids::kSuiteName);
    if (const quillet::Status written =
            store.setObject("fileTemplates", Value::Array{record, markdown, folder});
        !written) {
        std::fprintf(stderr, "cannot write the store: %s\n", written.error().logText().c_str());
        return 1;
    }
    PrintingHost host;
    quillet::helper::showNewFilePanel(host, store, argv[1], record);
    return 0;
}
