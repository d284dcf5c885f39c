#include "helper/ui/new_file_panel/new_file_panel.h"
#include "helper/ui/new_file_panel/new_file_save_panel.h"

#include "fake_file_types.h"
#include "fake_panel_host.h"
#include "gui_helpers.h"
#include "panel_fixtures.h"
#include "temp_xdg.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QTest>

#include <gtest/gtest.h>

#include <filesystem>

namespace quillet::helper {
namespace {

namespace fs = std::filesystem;
using test::listing;
using test::readFile;
using test::templateRecord;
using test::whenShown;
using test::writeFile;

class NewFilePanelGuiTest : public ::testing::Test {
protected:
    void SetUp() override {
        writeFile(templates + "/text.txt", "text template");
        writeFile(templates + "/notes.md", "# markdown template");
        writeFile(templates + "/script.sh", "#!/bin/sh\n");
        writeFile(templates + "/old.doc", "old");
        writeFile(templates + "/Folder/readme.txt", "folder template");
        ASSERT_TRUE(
            store.setObject("fileTemplates", Value::Array{text, markdown, shell, legacy, folder}));
    }

    // Opens the panel for `record`; `step` runs once it is on screen and
    // must close it.
    void showPanel(const Value& record, std::function<void(NewFileSavePanel*)> step) {
        whenShown<NewFileSavePanel>("newFilePanel", std::move(step));
        showNewFilePanel(host, store, dir, record);
    }

    static QLineEdit* nameEdit(NewFileSavePanel* panel) {
        return panel->findChild<QLineEdit*>("fileNameEdit");
    }
    static QComboBox* chooser(NewFileSavePanel* panel) {
        return panel->findChild<QComboBox*>("formatButton");
    }
    static void confirmName(NewFileSavePanel* panel, const QString& name) {
        nameEdit(panel)->setText(name);
        QTest::keyClick(nameEdit(panel), Qt::Key_Return);
    }
    static void pressEscape(NewFileSavePanel* panel) {
        QTest::keyClick(nameEdit(panel), Qt::Key_Escape);
    }
    static QStringList chooserTitles(NewFileSavePanel* panel) {
        QStringList out;
        for (int i = 0; i < chooser(panel)->count(); ++i) {
            out << chooser(panel)->itemText(i);
        }
        return out;
    }

    test::TempXdg xdg;
    std::string templates = xdg.makeDir("Templates");
    std::string dir = xdg.makeDir("Documents");
    Value text = templateRecord("Text", templates + "/text.txt", "untitled", "txt");
    Value markdown = templateRecord("Markdown", templates + "/notes.md", "Notes", "md");
    Value shell = templateRecord("Shell", templates + "/script.sh", "script", "sh", false, true);
    Value legacy = templateRecord("Legacy", templates + "/old.doc", "old", "doc", false);
    Value folder = templateRecord("Folder", templates + "/Folder", "New Folder", "");
    SettingsStore store = SettingsStore::atPath(xdg.configHome() + "/store.json");
    test::FakePanelHost host;
};

TEST_F(NewFilePanelGuiTest, OpensInTheFolderWithTitleDefaultNameAndFormats) {
    writeFile(dir + "/untitled.txt", "");
    QString title, name, selected, directory, label, current;
    QStringList titles, filters;
    bool native = true, typeRowShown = true, iconsSet = true;
    int countWhileOpen = 0;
    showPanel(text, [&](NewFileSavePanel* panel) {
        countWhileOpen = host.panelCount;
        title = panel->windowTitle();
        name = nameEdit(panel)->text();
        selected = nameEdit(panel)->selectedText();
        directory = panel->directory().absolutePath();
        titles = chooserTitles(panel);
        current = chooser(panel)->currentText();
        label = panel->findChild<QLabel*>("formatLabel")->text();
        filters = panel->nameFilters();
        native = !panel->testOption(QFileDialog::DontUseNativeDialog);
        typeRowShown = panel->findChild<QComboBox*>("fileTypeCombo")->isVisible();
        for (int i = 0; i < chooser(panel)->count(); ++i) {
            iconsSet = iconsSet && !chooser(panel)->itemIcon(i).isNull();
        }
        pressEscape(panel);
    });
    EXPECT_EQ(countWhileOpen, 1);
    EXPECT_EQ(title, "New Text");
    // The whole name, as the file managers' own rename shows it, with the
    // part to type over selected.
    EXPECT_EQ(name, "untitled-1.txt");
    EXPECT_EQ(selected, "untitled-1");
    EXPECT_EQ(directory, QString::fromStdString(dir));
    EXPECT_EQ(titles, (QStringList{"Text", "Markdown", "Folder"}));
    EXPECT_EQ(current, "Text");
    EXPECT_EQ(label, "Format:");
    EXPECT_EQ(filters, QStringList{"*.txt"});
    EXPECT_FALSE(native);
    EXPECT_FALSE(typeRowShown);
    EXPECT_TRUE(iconsSet);
}

TEST_F(NewFilePanelGuiTest, EscapeCreatesNothingAndSettlesTheCountOnce) {
    showPanel(text, [&](NewFileSavePanel* panel) {
        nameEdit(panel)->setText("typed but cancelled");
        pressEscape(panel);
    });
    EXPECT_EQ(listing(dir), "");
    EXPECT_EQ(host.raises, 1);
    EXPECT_EQ(host.lowers, 1);
    EXPECT_EQ(host.panelCount, 0);
    EXPECT_TRUE(host.finished.empty());
}

TEST_F(NewFilePanelGuiTest, TypingANameAndPressingReturnCreatesItWithTheExtension) {
    QString typed;
    showPanel(text, [&](NewFileSavePanel* panel) {
        // Typing replaces the selected base name and keeps the extension.
        QTest::keyClicks(nameEdit(panel), "report");
        typed = nameEdit(panel)->text();
        QTest::keyClick(nameEdit(panel), Qt::Key_Return);
    });
    EXPECT_EQ(typed, "report.txt");
    EXPECT_EQ(readFile(dir + "/report.txt"), "text template");
    EXPECT_EQ(listing(dir), "report.txt;");
    ASSERT_EQ(host.finished.size(), 1u);
    EXPECT_EQ(host.finished[0].path, dir + "/report.txt");
    EXPECT_EQ(host.finished[0].fileTemplate.title, "Text");
    EXPECT_EQ(host.panelCount, 0);
}

TEST_F(NewFilePanelGuiTest, SwitchingToMarkdownRetitlesRenamesAndRestrictsTheExtension) {
    writeFile(dir + "/Notes.md", "");
    QString title, name;
    QStringList filters;
    showPanel(text, [&](NewFileSavePanel* panel) {
        nameEdit(panel)->setText("something typed");
        chooser(panel)->setCurrentIndex(1);
        title = panel->windowTitle();
        name = nameEdit(panel)->text();
        filters = panel->nameFilters();
        confirmName(panel, "plan");
    });
    EXPECT_EQ(title, "New Markdown");
    EXPECT_EQ(name, "Notes-1.md");
    EXPECT_EQ(filters, QStringList{"*.md"});
    EXPECT_EQ(readFile(dir + "/plan.md"), "# markdown template");
    ASSERT_EQ(host.finished.size(), 1u);
    EXPECT_EQ(host.finished[0].path, dir + "/plan.md");
    EXPECT_EQ(host.finished[0].fileTemplate.title, "Markdown");
}

TEST_F(NewFilePanelGuiTest, ANameWithAnExtensionTheDesktopKnowsKeepsIt) {
    test::FakeFileTypes types;
    types.add("md", "Markdown document");
    whenShown<NewFileSavePanel>("newFilePanel",
                                [](NewFileSavePanel* panel) { confirmName(panel, "notes.md"); });
    showNewFilePanel(host, store, dir, text, &types);
    EXPECT_EQ(readFile(dir + "/notes.md"), "text template");
    EXPECT_EQ(listing(dir), "notes.md;");
}

TEST_F(NewFilePanelGuiTest, WithoutASuffixAnyNameIsTakenAsItIs) {
    QString name;
    QStringList filters;
    showPanel(folder, [&](NewFileSavePanel* panel) {
        name = nameEdit(panel)->text();
        filters = panel->nameFilters();
        confirmName(panel, "Stuff.d");
    });
    EXPECT_EQ(name, "New Folder");
    EXPECT_EQ(filters, QStringList{"*"});
    EXPECT_EQ(readFile(dir + "/Stuff.d/readme.txt"), "folder template");
    EXPECT_EQ(listing(dir), "Stuff.d;");
}

TEST_F(NewFilePanelGuiTest, ConfirmingAnExistingNameReplacesItAfterYes) {
    writeFile(dir + "/report.txt", "old report");
    QString question;
    showPanel(text, [&](NewFileSavePanel* panel) {
        whenShown<QMessageBox>("replaceConfirmation", [&](QMessageBox* box) {
            question = box->text();
            box->button(QMessageBox::Yes)->click();
        });
        confirmName(panel, "report");
    });
    EXPECT_TRUE(question.contains("report.txt")) << question.toStdString();
    EXPECT_EQ(readFile(dir + "/report.txt"), "text template");
    EXPECT_EQ(listing(dir), "report.txt;");
    ASSERT_EQ(host.finished.size(), 1u);
    EXPECT_EQ(host.panelCount, 0);
}

TEST_F(NewFilePanelGuiTest, AnsweringNoGoesBackToThePanelWithNothingChanged) {
    writeFile(dir + "/report.txt", "old report");
    bool stillOpen = false;
    QString nameAfter;
    showPanel(text, [&](NewFileSavePanel* panel) {
        whenShown<QMessageBox>("replaceConfirmation",
                               [](QMessageBox* box) { box->button(QMessageBox::No)->click(); });
        confirmName(panel, "report");
        stillOpen = panel->isVisible();
        nameAfter = nameEdit(panel)->text();
        pressEscape(panel);
    });
    EXPECT_TRUE(stillOpen);
    EXPECT_EQ(nameAfter, "report");
    EXPECT_EQ(readFile(dir + "/report.txt"), "old report");
    EXPECT_TRUE(host.finished.empty());
    EXPECT_EQ(host.lowers, 1);
    EXPECT_EQ(host.panelCount, 0);
}

TEST_F(NewFilePanelGuiTest, TypingAFolderNameOpensItAndCreatesThere) {
    const std::string sub = xdg.makeDir("Documents/sub");
    QString directory, name;
    showPanel(text, [&](NewFileSavePanel* panel) {
        confirmName(panel, "sub");
        directory = panel->directory().absolutePath();
        name = nameEdit(panel)->text();
        QTest::keyClick(nameEdit(panel), Qt::Key_Return);
    });
    EXPECT_EQ(directory, QString::fromStdString(sub));
    EXPECT_EQ(name, "untitled.txt");
    EXPECT_EQ(readFile(sub + "/untitled.txt"), "text template");
    ASSERT_EQ(host.finished.size(), 1u);
    EXPECT_EQ(host.finished[0].path, sub + "/untitled.txt");
}

TEST_F(NewFilePanelGuiTest, ANameInAMissingFolderIsExplainedAndTheDialogStays) {
    QString explanation;
    bool stillOpen = false;
    showPanel(text, [&](NewFileSavePanel* panel) {
        whenShown<QMessageBox>("invalidName", [&](QMessageBox* box) {
            explanation = box->text();
            box->accept();
        });
        confirmName(panel, "missing/report");
        stillOpen = panel->isVisible();
        pressEscape(panel);
    });
    EXPECT_TRUE(stillOpen);
    EXPECT_TRUE(explanation.contains("does not exist")) << explanation.toStdString();
    EXPECT_EQ(listing(dir), "");
}

} // namespace
} // namespace quillet::helper
