// A child process for the tests that must kill a run, limit its file size or run it as another
// user: it runs one tool run or file operation and reports on stdout, a line each:
//   "file N"        before the Nth file of a walk is handled (from 0)
//   "fail N :: ..." each failure, as "number :: description"
//   "debris N"      temporary files of killed runs that the run removed
// It exits 0 when everything succeeded, 1 when anything failed, 2 on a bad command line.
//
//   file_run [--fsize-limit BYTES] addext DIR | update NEWFILE DIR | erase DIR
//                                  | replace PATH SIZE | copy SOURCE DESTINATION
//                                  | chunk STORE | script PATH
#include "core/dataFolder.h"
#include "tools/files/addExtension.h"
#include "tools/files/eraseChunks.h"
#include "tools/files/updateFiles.h"
#include "tools/sql/seqTrig.h"
#include "tools/text/carpalTunnel.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <sys/resource.h>

namespace {

using Path = std::filesystem::path;

bool progress(const Path&, std::uint64_t count)
{
    std::printf("file %llu\n", static_cast<unsigned long long>(count));
    std::fflush(stdout);
    return true;
}

int report(const qb::Result<void>& done)
{
    if (done)
        return 0;
    std::printf("fail %s\n", qb::formatError(done.error()).c_str());
    return 1;
}

int report(const qb::RunReport& run)
{
    for (const qb::Failure& failure : run.failures)
        std::printf("fail %s\n", qb::formatError(failure.error).c_str());
    std::printf("debris %llu\n", static_cast<unsigned long long>(run.counts.debrisRemoved));
    return run.failures.empty() && run.missingInputs.empty() ? 0 : 1;
}

int run(const std::vector<std::string>& args)
{
    const qb::FileSystemObject fso;
    const std::string& command = args.at(0);
    if (command == "addext" && args.size() == 2)
        return report(*qb::addExtensionCopies(args[1], qb::defaultExtension, progress));
    if (command == "update" && args.size() == 3)
        return report(qb::updateFiles({args[1]}, args[2], [] { return std::string("stamp"); }, progress, qb::programFolder()));
    if (command == "erase" && args.size() == 2) {
        auto run = qb::runEraseChunks(args[1], {{"<A>"}, "SPEW\r\n", {}, true}, progress);
        return run ? report(*run) : report(qb::Result<void>(std::unexpect, run.error()));
    }
    if (command == "replace" && args.size() == 3)
        return report(fso.replaceFileContents(args[1], std::string(std::stoul(args[2]), 'n')));
    if (command == "copy" && args.size() == 3)
        return report(fso.CopyFile(args[1], args[2], qb::Existing::Replace));
    if (command == "chunk" && args.size() == 2)
        return report(qb::saveChunk(args[1], "chunk"));
    if (command == "script" && args.size() == 2)
        return report(qb::addOrReplaceFile(args[1], "script"));
    return 2;
}

}  // namespace

int main(int argc, char** argv)
{
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.size() >= 2 && args[0] == "--fsize-limit") {
        // Writes past the limit then fail with EFBIG instead of killing the process.
        std::signal(SIGXFSZ, SIG_IGN);
        const rlim_t limit = std::stoull(args[1]);
        const struct rlimit fsize{limit, limit};
        if (::setrlimit(RLIMIT_FSIZE, &fsize) != 0)
            return 2;
        args.erase(args.begin(), args.begin() + 2);
    }
    if (args.empty())
        return 2;
    return run(args);
}
