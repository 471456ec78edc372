// Test fixtures that stand in for the program's services: a message recorder, a file-dialog
// script, a process-launch recorder, and a temporary folder that is removed afterwards.
#pragma once

#include "ui/services.h"
#include "ui/settings.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <random>
#include <span>
#include <ostream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace qb::test {

// Puts `sink` in place of one of the program's services for as long as it lives.
template <class Sink, Sink (*install)(Sink)>
class SinkOverride {
public:
    explicit SinkOverride(Sink sink) : previous_(install(std::move(sink))) {}
    ~SinkOverride() { install(std::move(previous_)); }
    SinkOverride(const SinkOverride&) = delete;
    SinkOverride& operator=(const SinkOverride&) = delete;
private:
    Sink previous_;
};

// Collects messages instead of showing them.
struct MessageRecorder {
    // Passes when exactly one message came since the last call, starting with `start` and holding
    // `part`; forgets the messages either way.
    ::testing::AssertionResult only(const QString& start, const QString& part = {})
    {
        const QStringList got = std::exchange(messages, {});
        if (got.size() == 1 && got[0].startsWith(start) && got[0].contains(part))
            return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << "expected one message starting \"" << start.toStdString()
                                             << "\" and holding \"" << part.toStdString() << "\", got: \""
                                             << got.join("\" and \"").toStdString() << '"';
    }
    QStringList messages;
    SinkOverride<MessageSink, setMessageSink> sink{[this](const QString& text) { messages.push_back(text); }};
};

// Answers a kind of dialog with `answer` and keeps the requests.
template <class Request, class Answer, std::function<Answer(const Request&)> (*install)(std::function<Answer(const Request&)>)>
struct DialogScript {
    explicit DialogScript(Answer answer = {}) : answer(std::move(answer)) {}
    Answer answer;
    std::vector<Request> requests;
    SinkOverride<std::function<Answer(const Request&)>, install> sink{[this](const Request& request) {
        requests.push_back(request);
        return answer;
    }};
};
using FileDialogScript = DialogScript<FileDialogRequest, QStringList, setFileDialogSink>;
using SaveDialogScript = DialogScript<SaveDialogRequest, std::optional<SaveDialogAnswer>, setSaveDialogSink>;

// Records programs that would have been started; `succeed` says what the launch reports.
struct LaunchRecorder {
    explicit LaunchRecorder(bool succeed = true) : succeed(succeed) {}
    bool succeed;
    std::vector<std::pair<QString, QStringList>> launches;
    SinkOverride<ProcessLauncher, setProcessLauncher> sink{[this](const QString& program, const QStringList& arguments) {
        launches.emplace_back(program, arguments);
        return succeed;
    }};
};

// Holds every background run at its first progress step until release() (or the end of its own
// life), so a test can look at a window while its run is going.
class RunGate {
public:
    RunGate();
    ~RunGate();
    // True once a run is held at the gate.
    bool reached() const { return state_->reached; }
    void release();
private:
    struct State { std::atomic<bool> reached = false, released = false; };
    std::shared_ptr<State> state_ = std::make_shared<State>();
};

// Handles window events until no background run is going.
void waitForRuns();

// A fresh temporary folder, removed with everything in it when the fixture ends.
class TempDir {
public:
    TempDir();
    ~TempDir();
    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(std::string_view name) const { return path_ / name; }
    // Writes `bytes` to `relative` below the folder, making parent folders.
    std::filesystem::path write(std::string_view relative, std::string_view bytes) const;
    std::filesystem::path mkdir(std::string_view relative) const;
private:
    std::filesystem::path path_;
};

std::string readBytes(const std::filesystem::path& path);

// `count` texts, each of fewer than `most` pieces chosen at random from `pieces`; seeded, so every
// run gets the same texts.
inline std::vector<std::string> randomTexts(std::span<const std::string> pieces, int count, unsigned most, unsigned seed)
{
    std::mt19937 random(seed);
    std::vector<std::string> texts(static_cast<std::size_t>(count));
    for (std::string& text : texts)
        for (auto i = random() % most; i > 0; --i)
            text += pieces[random() % pieces.size()];
    return texts;
}

// Makes `path` a link to this process's memory file: it is listed as a regular file, opens, and
// fails on the first read with an I/O error (also for root, for whom permissions stop nothing).
std::filesystem::path makeUnreadableFile(const std::filesystem::path& path);

// A temporary file as a run killed an hour ago left it in `folder`: named by the pattern (writer
// `pid`, a process that is gone unless told otherwise; `n` makes the name unique), unlocked.
std::filesystem::path writeDebris(const std::filesystem::path& folder, int n = 0, std::string_view suffix = ".tmp",
                                  long pid = 999999999);
// A file's modification time, set `seconds` into the past.
void backdate(const std::filesystem::path& path, int seconds = 3600);

// Sets (or, given nothing, removes) an environment variable for as long as it lives.
class EnvironmentOverride {
public:
    EnvironmentOverride(const char* name, const std::optional<std::string>& value);
    ~EnvironmentOverride();
    EnvironmentOverride(const EnvironmentOverride&) = delete;
    EnvironmentOverride& operator=(const EnvironmentOverride&) = delete;
private:
    const char* name_;
    std::optional<QByteArray> previous_;
};

// Points the program's folder at `folder` for as long as it lives, the way a user would: through
// the environment variable that names it.
class ProgramFolderOverride : public EnvironmentOverride {
public:
    explicit ProgramFolderOverride(const std::filesystem::path& folder)
        : EnvironmentOverride(dataFolderVariable, folder.native()) {}
};

// Stand-in programs (empty scripts named `names`, made in `folder`), alone on the PATH for as long
// as it lives.
class FakePrograms : public EnvironmentOverride {
public:
    FakePrograms(const std::filesystem::path& folder, const std::vector<const char*>& names);
};

// Starts from no settings at all, as on a first run, and leaves none behind.
struct FreshSettings {
    FreshSettings() { Settings().clear(); }
    ~FreshSettings() { Settings().clear(); }
};

}  // namespace qb::test

// Lets test failures show QStrings as text.
inline void PrintTo(const QString& text, std::ostream* out)
{
    *out << '"' << text.toStdString() << '"';
}
