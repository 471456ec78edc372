// The tree walker: order, the visitor's answers, folder errors, cancel, and the base it reports.
#include "shell/walk.h"

#include "support/recorder.h"

#include <gtest/gtest.h>

#include <functional>

namespace qb {
namespace {

namespace fs = std::filesystem;

// The walk as a log: "D:rel@depth" per folder, "f:rel" per file, "E:rel" per folder error.
struct WalkLog {
    std::vector<std::string> events;
    WalkResult result;
};

class Walk : public ::testing::Test {
protected:
    Walk()
    {
        for (const char* name : {"b.txt", "A.txt", "sub/x", "sub/deep/y", "Sub2/z", "zz/w"})
            dir.write(name, "");
        fs::create_directory_symlink(dir / "sub", dir / "link");  // never entered
    }

    WalkLog walk(const fs::path& base, WalkOptions options, std::function<Visit(const WalkEntry&)> answer = {})
    {
        WalkLog log;
        log.result = walkTree(base, options, [&](const WalkEntry& entry) {
            EXPECT_TRUE(entry.path.is_absolute()) << entry.path;
            const std::string rel = entry.path.lexically_relative(dir.path()).string();
            switch (entry.kind) {
            case WalkEntry::Kind::Folder: log.events.push_back("D:" + rel + "@" + std::to_string(entry.depth)); break;
            case WalkEntry::Kind::File: log.events.push_back("f:" + rel); break;
            case WalkEntry::Kind::FolderError: log.events.push_back("E:" + rel); break;
            }
            return answer ? answer(entry) : Visit::Continue;
        });
        return log;
    }

    test::TempDir dir;
};

using Events = std::vector<std::string>;

TEST_F(Walk, VisitsFilesBeforeSubfoldersAndFollowsTheVisitorsAnswers)
{
    const auto on = [](std::string_view name, Visit visit) {
        return [=](const WalkEntry& entry) { return entry.path.filename() == name ? visit : Visit::Continue; };
    };
    const struct {
        const char* name;
        WalkOptions options;
        std::function<Visit(const WalkEntry&)> answer;
        Events events;
    } rows[] = {
        {"whole tree", {}, {},
         {"D:.@0", "f:A.txt", "f:b.txt", "D:sub@1", "f:sub/x", "D:sub/deep@2", "f:sub/deep/y", "D:Sub2@1", "f:Sub2/z",
          "D:zz@1", "f:zz/w"}},
        {"not recursive", {.recursive = false}, {}, {"D:.@0", "f:A.txt", "f:b.txt"}},
        {"skip a folder on entry", {}, on("sub", Visit::SkipFolder),
         {"D:.@0", "f:A.txt", "f:b.txt", "D:sub@1", "D:Sub2@1", "f:Sub2/z", "D:zz@1", "f:zz/w"}},
        // The rest of the folder goes: its later files and every subfolder; its siblings stay.
        {"skip the rest after a file", {}, on("A.txt", Visit::SkipFolder), {"D:.@0", "f:A.txt"}},
        {"skip inside a subfolder", {}, on("x", Visit::SkipFolder),
         {"D:.@0", "f:A.txt", "f:b.txt", "D:sub@1", "f:sub/x", "D:Sub2@1", "f:Sub2/z", "D:zz@1", "f:zz/w"}},
        {"stop", {}, on("y", Visit::Stop), {"D:.@0", "f:A.txt", "f:b.txt", "D:sub@1", "f:sub/x", "D:sub/deep@2", "f:sub/deep/y"}},
    };
    for (const auto& row : rows) {
        const WalkLog log = walk(dir.path(), row.options, row.answer);
        EXPECT_EQ(log.events, row.events) << row.name;
        EXPECT_FALSE(log.result.cancelled) << row.name;
    }
}

// The end of a run in one text: twenty failures, how many more, then the notes and how many
// temporary files of killed runs were removed.
TEST(RunReportText, ListsTwentyFailuresThenCountsTheRestAndTheNotes)
{
    RunReport run;
    for (int i = 0; i < 25; ++i)
        run.fail(i == 19 ? "/d/last" : "/d/f", Error{70, "denied"});
    run.notes.push_back("a note");
    run.counts.debrisRemoved = 1;
    const std::string text = endOfRunText(run);
    EXPECT_TRUE(text.starts_with("Could not handle 25 files or folders:\n/d/f: 70 :: denied\n")) << text;
    EXPECT_TRUE(text.ends_with("/d/last: 70 :: denied\nand 5 more.\na note\nRemoved 1 temporary file left behind by an "
                               "interrupted run.")) << text;
}

// A folder that vanishes before it is listed reaches the visitor as an error; cancel stops before
// the next file.
TEST_F(Walk, ReportsFolderErrorsAndCancelStopsBeforeTheNextFile)
{
    WalkOptions removing;
    removing.progress = [&](const fs::path& current, std::uint64_t) {
        return current != dir / "sub/x" || fs::remove_all(dir / "sub/deep");
    };
    EXPECT_EQ(walk(dir / "sub", removing).events, (Events{"D:sub@0", "f:sub/x", "D:sub/deep@1", "E:sub/deep"}));
    EXPECT_EQ(walk(dir / "gone", {}).events, (Events{"D:gone@0", "E:gone"}));

    WalkOptions afterTwo;
    afterTwo.progress = [](const fs::path&, std::uint64_t done) { return done < 2; };
    WalkLog log = walk(dir.path(), afterTwo);
    EXPECT_TRUE(log.result.cancelled);
    EXPECT_EQ(log.result.files, 2u);
    EXPECT_EQ(log.events, (Events{"D:.@0", "f:A.txt", "f:b.txt", "D:sub@1"}));

    std::stop_source source;
    log = walk(dir.path(), {.stop = source.get_token()}, [&](const WalkEntry& entry) {
        if (entry.kind == WalkEntry::Kind::File)
            source.request_stop();
        return Visit::Continue;
    });
    EXPECT_TRUE(log.result.cancelled);
    EXPECT_EQ(log.events, (Events{"D:.@0", "f:A.txt"}));
}

}  // namespace
}  // namespace qb
