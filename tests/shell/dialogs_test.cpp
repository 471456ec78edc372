// The program's own dialogs as a user meets them.
#include "shell/services.h"

#include <QApplication>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace qb {
namespace {

// A message box is titled "Quillbox" and wide enough that the title is never cut short, however
// short its text.
TEST(Dialogs, MessageBoxTitleShowsWhole)
{
    QString title;
    int width = 0;
    QTimer::singleShot(0, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            title = box->windowTitle();
            width = box->width();
            box->accept();
        }
    });
    showMessage("done");
    EXPECT_EQ(title, "Quillbox");
    EXPECT_GE(width, 3 * QFontMetrics(QApplication::font()).horizontalAdvance("Quillbox"));
}

}  // namespace
}  // namespace qb
