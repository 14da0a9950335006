#pragma once

#include "ScriptedDialogs.h"
#include "SystemAutomation.h"
#include "TempDir.h"
#include "UDialog.h"
#include "UMain.h"

#include <QTableView>
#include <QToolButton>
#include <gtest/gtest.h>

#include <memory>

namespace pravik::test {

inline const std::string designedIni =
    "[TITLE]\r\nAPP_NAME=Pravik\r\n[MAIN]\r\nCOLUMN=150,150,200,40,40,100,200\r\n";

inline PrintEntry entry(const std::string& name)
{
    return {name, "", "", "doc", "1", "P", "/docs/" + name};
}

// A main window over a temporary application folder, with scripted dialogs
// and a fixed current printer.
class MainWindowTest : public ::testing::Test {
protected:
    TempDir dir;
    ScriptedDialogs dialogs;
    std::unique_ptr<TFmMain> window;
    std::unique_ptr<TFmDialog> progress;
    // Stands in for the desktop's opener: the paths it was asked to open.
    std::vector<std::string> opened;
    std::function<std::string(const std::string&)> openDocument = [this](const std::string& path) {
        opened.push_back(path);
        return std::string();
    };

    void start(const std::string& ini = designedIni)
    {
        writeBytes(dir.file("main.ini"), ini);
        MainServices services{[] { return std::string("Office Printer"); },
                              [] { return std::vector<std::string>{"Office Printer", "Plotter"}; },
                              makeSystemAutomationBackend(),
                              [this](const std::string& path) { return openDocument(path); }};
        window = std::make_unique<TFmMain>(dialogs, dir.path().string(), services);
        progress = std::make_unique<TFmDialog>(window->abortFlag);
        window->setProgressDialog(progress.get());
        window->show();
    }
    QToolButton* button(const char* name) { return window->findChild<QToolButton*>(QLatin1String(name)); }
    // As shown: without the mark of unsaved changes.
    QString caption() const { return window->windowTitle().remove(QStringLiteral("[*]")); }
    void changeRows()
    {
        window->printList().replaceAll({entry("a.doc"), entry("b.doc")});
        window->printList().changed = true;
    }
    std::string ini() const { return readBytes(dir.file("main.ini")); }
    int rowCount() const { return window->listView()->model()->rowCount(); }
};

} // namespace pravik::test
