// A fixture for driving tool windows as a user would: a shown, active frame whose tools open
// maximised, messages recorded, a temporary folder that holds the program's folder and the print
// document, and helpers that find the open window's controls by name.
#pragma once

#include "ui/frmMain.h"
#include "support/recorder.h"

#include <QWidget>

#include <gtest/gtest.h>

#include <filesystem>
#include <stdexcept>
#include <string>
#include <string_view>

class QLineEdit;
class QPlainTextEdit;

namespace qb::test {

class ToolWindowTest : public ::testing::Test {
protected:
    // The program's folder is `programFolderName` below the temporary folder, or the temporary
    // folder itself when no name is given.
    explicit ToolWindowTest(std::string_view programFolderName = {});
    void SetUp() override;
    void TearDown() override;

    // Triggers the frame's menu entry or presses its chooser button named `opener`; `window`
    // becomes the active child window, expected to be `className`, maximised. Returns it, or
    // nullptr when some other window (or none) came up.
    QWidget* open(const char* opener, const char* className);

    // The control `name` in `in`. A missing one throws, which ends the test (not the test
    // program) with a failure that names it.
    template <class T>
    static T* child(const QWidget* in, const char* name)
    {
        T* found = in ? in->findChild<T*>(QString::fromLatin1(name)) : nullptr;
        if (!found)
            throw std::runtime_error(std::string("no control named ") + name);
        return found;
    }
    template <class T>
    T* child(const char* name) const { return child<T>(window, name); }
    QPlainTextEdit* box(const char* name) const;
    QLineEdit* line(const char* name) const;
    // Clicks the control and waits for the run it may have started.
    void click(const char* name) const;
    // Double-clicks line `line` (0-based) of the box `name`.
    void doubleClickLine(const char* name, int line) const;
    // What the frame's status bar says.
    QString status() const;
    // Opens `folder` in the folder picker Dir1 and presses `button`.
    void runIn(const std::filesystem::path& folder, const char* button) const;

    FreshSettings settings;
    MessageRecorder recorder;
    TempDir temp;
    const std::filesystem::path program;
    ProgramFolderOverride programFolder{program};
    frmMain frame;
    QWidget* window = nullptr;
};

// The text of a PDF file as pdftotext reads it (with `options`), or "<pdftotext failed>".
std::string pdfText(const std::filesystem::path& pdf, const QStringList& options = {});

}  // namespace qb::test
