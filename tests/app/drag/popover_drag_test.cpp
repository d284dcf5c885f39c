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
#include <QStandardPaths>

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
        target.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        target.start(QUILLET_DROP_TARGET, {kind, QString::fromStdString(folder),
                                           QString::number(kTargetX), QString::number(kTargetY)});
        ASSERT_TRUE(target.waitForStarted());
        QProcess search;
        search.start("xdotool", {"search", "--sync", "--name", QString(kind) + " drop target"});
        ASSERT_TRUE(search.waitForFinished(10000));
    }

    // Presses on the row, moves over the target and lets go, as a hand would.
    void dragRowsToTarget(int row, int rows = 1) {
        startDrag(row, rows, QPoint(kTargetX + 150, kTargetY + 150));
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

    void startDrag(int row, int rows, QPoint drop) {
        QListView* list = popover->tableView();
        list->clearSelection();
        for (int i = row; i < row + rows; ++i) {
            list->selectionModel()->select(list->model()->index(i, 0), QItemSelectionModel::Select);
        }
        const QPoint start =
            list->viewport()->mapToGlobal(list->visualRect(list->model()->index(row, 0)).center());
        const QStringList script = {
            "mousemove", QString::number(start.x()), QString::number(start.y()), "sleep", "0.2",
            "mousedown", "1", "mousemove", QString::number(start.x() + 30),
            QString::number(start.y()),
            // The drag has begun (its copies staged)
            // before the pointer reaches the target.
            "sleep", "0.8", "mousemove", QString::number(drop.x() - 50),
            QString::number(drop.y() - 50), "sleep", "0.3", "mousemove",
            QString::number(drop.x() - 10), QString::number(drop.y()), "sleep", "0.3", "mousemove",
            QString::number(drop.x()), QString::number(drop.y()), "sleep", "0.5", "mouseup", "1"};
        QProcess::startDetached("xdotool", script);
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

TEST_F(PopoverDragTest, AGtk4TargetReadsTheFileListWithCurrentTime) {
    startTarget("gtk4");
    dragRowsToTarget(0);
    EXPECT_EQ(output, "untitled.txt\n");
    EXPECT_EQ(test::fileText(folder + "/untitled.txt"), "text\n");
}

// The real file managers, where installed: each in its own window over the
// same spot, whatever the desktop, on a folder that already holds
// "untitled.txt" where the file manager takes X Direct Save (our unique name
// applies, and no question to replace the user's file), an empty one for
// Nautilus (GTK 4), which copies the staged file under its name.
TEST_F(PopoverDragTest, RealFileManagersGetTheTemplate) {
    struct Case {
        const char* program;
        QStringList arguments;
        const char* windowClass;
        bool nameTaken;
        const char* expected;
    };
    const Case cases[] = {
        {"nautilus", {"--new-window"}, "org.gnome.Nautilus", false, "untitled.txt"},
        {"thunar", {}, "Thunar", true, "untitled-1.txt"},
        {"caja", {"--no-desktop"}, "Caja", true, "untitled-1.txt"},
        {"nemo", {}, "Nemo", true, "untitled-1.txt"},
    };
    int ran = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.program);
        const QString program = QStandardPaths::findExecutable(c.program);
        if (program.isEmpty()) {
            continue;
        }
        ++ran;
        const std::string into = f.xdg.makeDir(std::string("home/Into ") + c.program);
        if (c.nameTaken) {
            std::ofstream(into + "/untitled.txt") << "mine\n";
        }
        QProcess manager;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("GSETTINGS_BACKEND", "memory");
        env.insert("GIO_USE_VFS", "local");
        env.insert("GDK_BACKEND", "x11");
        env.insert("GSK_RENDERER", "cairo");
        env.insert("NO_AT_BRIDGE", "1");
        env.remove("SESSION_MANAGER");
        manager.setProcessEnvironment(env);
        manager.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        manager.start(program, c.arguments + QStringList{QString::fromStdString(into)});
        ASSERT_TRUE(manager.waitForStarted());
        QProcess place;
        place.start("xdotool", {"search", "--sync", "--onlyvisible", "--class", c.windowClass,
                                "windowmove", "--sync", "%@", QString::number(kTargetX), "0",
                                "windowsize", "--sync", "%@", "640", "560"});
        ASSERT_TRUE(place.waitForFinished(30000));
        spinUntil([] { return false; }, 3000); // its folder loaded and drawn
        startDrag(0, 1, QPoint(kTargetX + 440, 330));
        const std::string made = into + "/" + c.expected;
        EXPECT_TRUE(spinUntil([&] { return test::fileText(made) == "text\n"; }, 20000))
            << made << " holds \"" << test::fileText(made) << "\"";
        if (c.nameTaken) {
            EXPECT_EQ(test::fileText(into + "/untitled.txt"), "mine\n");
        }
        if (const char* shots = std::getenv("QUILLET_DRAG_SCREENSHOTS")) {
            QProcess::execute("import",
                              {"-window", "root", QString("%1/%2.png").arg(shots, c.program)});
        }
        manager.terminate();
        if (!manager.waitForFinished(5000)) {
            manager.kill();
            manager.waitForFinished();
        }
    }
    if (ran == 0) {
        GTEST_SKIP() << "no file manager installed";
    }
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
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
