// The fixture of the bulk file windows' tests: the frame with this folder's tools registered, the
// program's folder "program" and a folder "work" to run in, both below the temporary folder.
#pragma once

#include "support/toolWindow.h"
#include "tools/files/filesTools.h"

#include <filesystem>

namespace qb::test {

class FileWindows : public ToolWindowTest {
protected:
    FileWindows() : ToolWindowTest("program") {}
    static void SetUpTestSuite() { registerFileTools(); }

    const std::filesystem::path work = temp.mkdir("work");
};

}  // namespace qb::test
