#include "support/recorder.h"

#include "ui/backgroundRun.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

namespace qb::test {

RunGate::RunGate()
{
    BackgroundRun::setProgressHook([state = state_] {
        state->reached = true;
        state->released.wait(false);
    });
}

RunGate::~RunGate()
{
    release();
    waitForRuns();
    BackgroundRun::setProgressHook({});
}

void RunGate::release()
{
    state_->released = true;
    state_->released.notify_all();
}

void waitForRuns()
{
    while (BackgroundRun::active() > 0)
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
}

static std::filesystem::path withPrograms(const std::filesystem::path& folder, const std::vector<const char*>& names)
{
    std::filesystem::create_directories(folder);
    for (const char* name : names) {
        std::ofstream(folder / name) << "#!/bin/sh\n";
        std::filesystem::permissions(folder / name, std::filesystem::perms::owner_all);
    }
    return folder;
}

FakePrograms::FakePrograms(const std::filesystem::path& folder, const std::vector<const char*>& names)
    : EnvironmentOverride("PATH", withPrograms(folder, names).native())
{
}

TempDir::TempDir()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "quillbox-test-XXXXXX").string();
    if (!mkdtemp(pattern.data()))
        throw std::runtime_error("cannot make a temporary folder");
    path_ = pattern;
}

TempDir::~TempDir()
{
    std::error_code ec;
    // Give back write permission that a test took away, so everything can be removed.
    for (auto it = std::filesystem::recursive_directory_iterator(
             path_, std::filesystem::directory_options::skip_permission_denied, ec);
         !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
        if (it->is_directory(ec) && !it->is_symlink(ec))
            std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all,
                                         std::filesystem::perm_options::add, ec);
    }
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ec);
    std::filesystem::remove_all(path_, ec);
    EXPECT_FALSE(ec) << "temporary folder left behind: " << path_ << ": " << ec.message();
}

std::filesystem::path TempDir::write(std::string_view relative, std::string_view bytes) const
{
    const std::filesystem::path file = path_ / relative;
    std::filesystem::create_directories(file.parent_path());
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out)
        throw std::runtime_error("cannot write " + file.string());
    return file;
}

std::filesystem::path TempDir::mkdir(std::string_view relative) const
{
    const std::filesystem::path folder = path_ / relative;
    std::filesystem::create_directories(folder);
    return folder;
}

std::string readBytes(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw std::runtime_error("cannot read " + path.string());
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

std::filesystem::path makeUnreadableFile(const std::filesystem::path& path)
{
    std::filesystem::create_directories(path.parent_path());
    std::filesystem::create_symlink("/proc/self/mem", path);
    return path;
}

std::filesystem::path writeDebris(const std::filesystem::path& folder, int n, std::string_view suffix, long pid)
{
    std::string random = "AbCdEfGhIj" + std::to_string(10 + n % 90);
    const std::filesystem::path path =
        folder / (".quillbox-" + std::to_string(pid) + "-" + random + std::string(suffix));
    std::filesystem::create_directories(folder);
    std::ofstream(path) << "left by a killed run";
    backdate(path);
    return path;
}

void backdate(const std::filesystem::path& path, int seconds)
{
    std::filesystem::last_write_time(path, std::filesystem::file_time_type::clock::now() - std::chrono::seconds(seconds));
}

EnvironmentOverride::EnvironmentOverride(const char* name, const std::optional<std::string>& value) : name_(name)
{
    if (qEnvironmentVariableIsSet(name))
        previous_ = qgetenv(name);
    if (value)
        qputenv(name, QByteArray::fromStdString(*value));
    else
        qunsetenv(name);
}

EnvironmentOverride::~EnvironmentOverride()
{
    if (previous_)
        qputenv(name_, *previous_);
    else
        qunsetenv(name_);
}

}  // namespace qb::test
