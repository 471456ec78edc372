// The built quillbox executable, run as a separate process, and paths as its arguments.
#pragma once

#include "ui/cp1252.h"

#include "support/process.h"

namespace qb::test {

inline Ran runQuillbox(const QStringList& arguments, const RunOptions& options = {})
{
    return runProgram(QStringLiteral(QUILLBOX_EXECUTABLE), arguments, options);
}

inline QString arg(const std::filesystem::path& path)
{
    return fromPath(path);
}

}  // namespace qb::test
