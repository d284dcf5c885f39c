// Real drags out of the popover on an X server, driven by xdotool like a
// user's mouse: into an X Direct Save target and into a file-list target,
// both separate programs.
#include "app/ui/template_popover.h"

#include "app/app_services_fixture.h"
#include "file_text.h"
#include "shared/identifiers.h"
#include "shared/keys.h"
#include "shared/records.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QProcess>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sys/stat.h>

namespace quillet::app {
namespace {

namespace fs = std::filesystem;

constexpr int kTargetX = 600;
constexpr int kTargetY = 100;

// Runs the event loop (and the drag's own, nested in it) until the
// condition holds or the time is up.
template <typename Condition> bool spinUntil(Condition condition, int timeoutMs) {
    QElapsedTimer timer;
    timer.start();
    while (!condition() && timer.elapsed() < timeoutMs) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return condition();
}

class PopoverDragTest : public ::testing::Test {
protected:
    void SetUp() override {
        templates = f.services.templatesDir;
        fs::create_directories(templates);
        std::ofstream(templates + "/Text.txt") << "text\n";
        std::ofstream(templates + "/Tool.sh") << "#!/bin/sh\n";
        auto record = [&](const char* title, const char* prefix, const char* suffix,
                          const char* file, bool executable) {
            return FileTemplate{.enabled = true,
                                .title = title,
                                .filePath = templates + "/" + file,
                                .prefix = prefix,
                                .suffix = suffix,
                                .executable = executable}
                .toValue();
        };
        SettingsStore store(ids::kSuiteName);
        ASSERT_TRUE(store.setObject(
            keys::kFileTemplates,
            Value(Value::Array{record("Text File", "untitled", "txt", "Text.txt", false),
                               record("Script", "script", "sh", "Tool.sh", true),
                               record("Notes", "notes", "md", "Text.txt", false)})));
        folder = f.xdg.makeDir("home/Drop Folder");

        popover = std::make_unique<PopoverViewController>(f.services);
        popover->detach(); // a plain window at a known place
        popover->move(40, 40);
        popover->show();
        ASSERT_TRUE(spinUntil([&] { return popover->isVisible(); }, 5000));
    }

    void TearDown() override {
        if (target.state() != QProcess::NotRunning) {
            target.kill();
            target.waitForFinished();
        }
    }

    void startTarget(const char* kind) {
        target.start(QUILLET_DROP_TARGET, {kind, QString::fromStdString(folder),
                                           QString::number(kTargetX), QString::number(kTargetY)});
        ASSERT_TRUE(target.waitForStarted());
        QProcess search;
        search.start("xdotool", {"search", "--sync", "--name", QString(kind) + " drop target"});
        ASSERT_TRUE(search.waitForFinished(10000));
    }

    // Presses on the row, moves over the target and lets go, as a hand would.
    void dragRowsToTarget(int row, int rows = 1) {
        QListWidget* list = popover->tableView();
        list->clearSelection();
        for (int i = row; i < row + rows; ++i) {
            list->item(i)->setSelected(true);
        }
        const QPoint start =
            list->viewport()->mapToGlobal(list->visualItemRect(list->item(row)).center());
        const QStringList script = {"mousemove",
                                    QString::number(start.x()),
                                    QString::number(start.y()),
                                    "sleep",
                                    "0.2",
                                    "mousedown",
                                    "1",
                                    "mousemove",
                                    QString::number(start.x() + 30),
                                    QString::number(start.y()),
                                    "sleep",
                                    "0.2",
                                    "mousemove",
                                    QString::number(kTargetX + 100),
                                    QString::number(kTargetY + 100),
                                    "sleep",
                                    "0.3",
                                    "mousemove",
                                    QString::number(kTargetX + 150),
                                    QString::number(kTargetY + 150),
                                    "sleep",
                                    "0.3",
                                    "mouseup",
                                    "1"};
        QProcess::startDetached("xdotool", script);
        const std::size_t before = dropCount;
        ASSERT_TRUE(spinUntil(
            [&] {
                output += target.readAllStandardOutput().toStdString();
                dropCount =
                    static_cast<std::size_t>(std::count(output.begin(), output.end(), '\n'));
                return dropCount > before;
            },
            20000))
            << "no drop reached the target; its output: " << output;
    }

    test::AppServicesFixture f;
    std::unique_ptr<PopoverViewController> popover;
    QProcess target;
    std::string templates, folder, output;
    std::size_t dropCount = 0;
};

TEST_F(PopoverDragTest, DirectSaveTargetGetsUniqueFilesInRowOrder) {
    startTarget("xds");
    dragRowsToTarget(0);
    EXPECT_EQ(output, "S\n");
    EXPECT_EQ(test::fileText(folder + "/untitled.txt"), "text\n");

    // The same template again: a second file beside the first.
    dragRowsToTarget(0);
    EXPECT_TRUE(fs::exists(folder + "/untitled-1.txt"));

    // Three rows at once: three files, made in row order.
    dragRowsToTarget(0, 3);
    EXPECT_TRUE(fs::exists(folder + "/untitled-2.txt"));
    EXPECT_TRUE(fs::exists(folder + "/script.sh"));
    EXPECT_TRUE(fs::exists(folder + "/notes.md"));
    EXPECT_TRUE(spinUntil(
        [&] {
            struct stat st {};
            return ::stat((folder + "/script.sh").c_str(), &st) == 0 && (st.st_mode & 0100);
        },
        5000));
    EXPECT_TRUE(f.alerts.shown().empty());
}

TEST_F(PopoverDragTest, FileListTargetCopiesTheStagedFile) {
    startTarget("uris");
    dragRowsToTarget(1);
    EXPECT_EQ(output, "script.sh\n");
    struct stat st {};
    ASSERT_EQ(::stat((folder + "/script.sh").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0111, 0111u);
}

} // namespace
} // namespace quillet::app

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    if (qEnvironmentVariableIsEmpty("DISPLAY")) {
        std::fprintf(stderr, "needs an X display (xvfb-run)\n");
        return 0;
    }
    qputenv("QT_QPA_PLATFORM", "xcb");
    qunsetenv("XDG_CURRENT_DESKTOP"); // both kinds of offer
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
