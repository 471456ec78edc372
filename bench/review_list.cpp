// How long after a Search and Replace run over TREE its review is ready to look at: the run
// itself, then recording what it changed (each original and copy read, hashed and counted), then
// filling the review window's list (offscreen). Prints the three times in milliseconds, and how
// many files changed. bench/review_list.sh builds and runs it.
//
//   quillbox_review_bench TREE PROGRAM_FOLDER
#include <QApplication>
#include <QElapsedTimer>

#include <cstdio>
#include <memory>

#include "tools/files/frmReviewChanges.h"
#include "tools/files/replaceLines.h"
#include "tools/files/review.h"

int main(int argc, char* argv[])
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: quillbox_review_bench TREE PROGRAM_FOLDER\n");
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const std::filesystem::path tree = argv[1], program = argv[2];
    QElapsedTimer clock;
    clock.start();
    const qb::CopiesRun before = qb::stampReplaceRun(tree, program / qb::debugFileName);
    if (!qb::runReplaceLines(tree, program))
        return 1;
    const qint64 run = clock.restart();
    auto review = std::make_shared<qb::CopyReview>(qb::reviewCopies(before));
    const qint64 recorded = clock.restart();
    qb::frmReviewChanges window;
    window.setReview(review, QStringLiteral("Search and Replace from file"));
    const qint64 listed = clock.restart();
    std::printf("%lld %lld %lld %zu\n", static_cast<long long>(run), static_cast<long long>(recorded),
                static_cast<long long>(listed), review->changes.size());
    return 0;
}
