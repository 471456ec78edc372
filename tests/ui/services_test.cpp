// Where the program keeps its files, and the runtime folder it sets up before Qt starts.
#include "ui/services.h"

#include <QStandardPaths>

#include <gtest/gtest.h>

#include <functional>
#include <optional>

#include <sys/stat.h>
#include <unistd.h>

#include "support/recorder.h"

namespace qb {
namespace {

namespace fs = std::filesystem;

TEST(ProgramFolder, ExecutableFolderWhenWritableElseTheUserDataFolderAndTheVariableWins)
{
    struct Row { const char* name; bool executableFolderWritable; std::optional<std::string> variable; const char* chosen; };
    const Row rows[] = {
        {"a build or portable copy keeps its files beside it", true, std::nullopt, "bin"},
        {"an installed copy keeps them in the user's data folder", false, std::nullopt, "data/Quillbox"},
        {"an empty variable counts as unset", false, "", "data/Quillbox"},
        {"the variable wins over a writable folder", true, "named", "named"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const test::TempDir temp;
        const fs::path bin = temp.mkdir("bin"), dataHome = temp.mkdir("data");
        fs::permissions(temp.path(), fs::perms(0755));
        fs::permissions(bin, fs::perms(row.executableFolderWritable ? 0777 : 0555));
        fs::permissions(dataHome, fs::perms(0777));
        const test::EnvironmentOverride home("XDG_DATA_HOME", dataHome.native());
        const test::EnvironmentOverride variable(
            dataFolderVariable, row.variable && !row.variable->empty() ? (temp / *row.variable).native() : row.variable);
        // Root acts as an unprivileged user here, for whom folder permissions count.
        const bool unprivileged = ::geteuid() == 0 && ::seteuid(65534) == 0;
        const fs::path folder = programFolderFor(bin);
        ASSERT_TRUE(!unprivileged || ::seteuid(0) == 0) << "could not return to root";
        EXPECT_EQ(folder, temp / row.chosen);
        // The user's data folder is made when it is chosen, and only then.
        EXPECT_EQ(fs::is_directory(dataHome / "Quillbox"), folder == dataHome / "Quillbox");
    }
}

// The window program keeps its data where the `quillbox` that started it would: the command line
// hands its folder over in a variable that the window program takes and removes.
TEST(ProgramFolder, TheWindowProgramTakesTheFolderOfTheCommandLineThatStartedIt)
{
    const test::TempDir temp;
    {
        const test::EnvironmentOverride started(startedFolderVariable, temp.path().native());
        const test::EnvironmentOverride unset(dataFolderVariable, std::nullopt);
        adoptStartedProgramFolder();
        EXPECT_EQ(startedProgramFolder(), temp.path());
        EXPECT_EQ(programFolder(), temp.path());
        EXPECT_EQ(std::getenv(startedFolderVariable), nullptr);
    }
    adoptStartedProgramFolder();  // no variable: this program's own folder again
    EXPECT_EQ(startedProgramFolder(), std::filesystem::read_symlink("/proc/self/exe").parent_path());
}

std::vector<std::string> qtMessages;

void recordQtMessage(QtMsgType, const QMessageLogContext&, const QString& message)
{
    qtMessages.push_back(message.toStdString());
}

TEST(RuntimeFolder, MissingOneIsSetUpAsQtExpectsAndNoOneElsesIsTaken)
{
    struct Row {
        const char* name;
        std::function<void(const test::TempDir& temp, const fs::path& usual)> before;
        bool usualFolderKept;
    };
    const Row rows[] = {
        {"none yet: made", [](const test::TempDir&, const fs::path&) {}, true},
        {"left open: closed to others again",
         [](const test::TempDir&, const fs::path& usual) { ::mkdir(usual.c_str(), 0755); }, true},
        {"a link in its place: passed over",
         [](const test::TempDir& temp, const fs::path& usual) { fs::create_symlink(temp.mkdir("elsewhere"), usual); },
         false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const test::TempDir temp;
        const fs::path usual = temp / ("runtime-" + std::to_string(::geteuid()));
        row.before(temp, usual);
        const test::EnvironmentOverride tmp("TMPDIR", temp.path().native());
        const test::EnvironmentOverride unset("XDG_RUNTIME_DIR", std::nullopt);

        prepareRuntimeFolder();
        const fs::path folder = qgetenv("XDG_RUNTIME_DIR").toStdString();
        EXPECT_EQ(folder == usual, row.usualFolderKept) << folder;
        struct stat info {};
        ASSERT_EQ(::lstat(folder.c_str(), &info), 0) << folder;
        EXPECT_TRUE(S_ISDIR(info.st_mode));
        EXPECT_EQ(info.st_uid, ::geteuid());
        EXPECT_EQ(info.st_mode & 07777, 0700u);

        qtMessages.clear();
        const QtMessageHandler previous = qInstallMessageHandler(recordQtMessage);
        const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
        qInstallMessageHandler(previous);
        EXPECT_EQ(runtime.toStdString(), folder.string());
        EXPECT_EQ(qtMessages, std::vector<std::string>{});
    }

    const test::EnvironmentOverride set("XDG_RUNTIME_DIR", "/run/user/chosen-by-the-session");
    prepareRuntimeFolder();
    EXPECT_EQ(qgetenv("XDG_RUNTIME_DIR"), "/run/user/chosen-by-the-session");
}

}  // namespace
}  // namespace qb
