#include "ui/walkFilterBox.h"

#include <QGridLayout>
#include <QLabel>

#include "ui/cp1252.h"
#include "ui/kit.h"
#include "ui/services.h"
#include "ui/settings.h"

namespace qb {

WalkFilterBox::WalkFilterBox(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("fraWalkFilter"));
    chkSkipGitIgnored = make<QCheckBox>(this, "chkSkipGitIgnored", QStringLiteral("Skip files gi&t ignores"));
    chkSkipGitIgnored->setToolTip(QStringLiteral(
        "Inside a git work tree, leave out the files and folders git ignores (.gitignore files, .git/info/exclude, "
        "the global excludes file; tracked files stay) and .git itself"));
    auto* lblFiles = make<QLabel>(this, "lblFiles", QStringLiteral("F&iles"));
    txtFiles = make<QLineEdit>(this, "txtFiles");
    lblFiles->setBuddy(txtFiles);
    txtFiles->setPlaceholderText(QStringLiteral("*.cpp *.h !build/"));
    txtFiles->setToolTip(QStringLiteral(
        "Only the files these patterns match, split by spaces; ! in front leaves out what a pattern matches "
        "(a name at any depth, or with a slash a path below the folder; *, ?, [a-z], {a,b} and **). "
        "Empty: every file"));
    rememberedTextBox(txtFiles);
    auto* layout = new QGridLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setVerticalSpacing(2);
    layout->addWidget(chkSkipGitIgnored, 0, 0, 1, 2);
    layout->addWidget(lblFiles, 1, 0);
    layout->addWidget(txtFiles, 1, 1);
}

Result<WalkFilter> WalkFilterBox::filter() const
{
    WalkFilter filter;
    filter.skipGitIgnored = chkSkipGitIgnored->isChecked();
    // Patterns are file names, which keep their bytes as paths do.
    for (const QString& pattern : txtFiles->text().split(QLatin1Char(' '), Qt::SkipEmptyParts))
        if (auto added = filter.files.add(toPath(pattern).native()); !added)
            return std::unexpected(std::move(added.error()));
    return filter;
}

std::optional<WalkFilter> walkFilterToRun(const WalkFilterBox* box)
{
    auto filter = box->filter();
    if (!filter) {
        showError(filter.error());
        return std::nullopt;
    }
    return std::move(*filter);
}

}  // namespace qb
