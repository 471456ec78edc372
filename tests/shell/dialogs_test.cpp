// The program's own dialogs as a user meets them: message boxes and the walk progress dialog.
#include "shell/services.h"
#include "shell/walkprogress.h"

#include <QApplication>
#include <QMessageBox>
#include <QProgressDialog>
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

// The walk progress dialog shows once a walk has run for half a second, titled "Quillbox" and
// centred on the window that started the walk.
TEST(Dialogs, WalkProgressTitledAndCentredOnItsWindow)
{
    QWidget window;
    window.setGeometry(160, 120, 420, 300);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    WalkProgressDialog progress(&window);
    const ProgressCallback callback = progress.callback();
    auto* dialog = window.findChild<QProgressDialog*>();
    ASSERT_TRUE(dialog);
    for (int tries = 0; tries < 100 && !dialog->isVisible(); ++tries) {
        QTest::qWait(20);
        ASSERT_TRUE(callback("/somewhere/deep/below", 7));
    }
    ASSERT_TRUE(dialog->isVisible());
    EXPECT_EQ(dialog->windowTitle(), "Quillbox");
    const QPoint offset = dialog->frameGeometry().center() - window.frameGeometry().center();
    EXPECT_LE(offset.manhattanLength(), 2) << offset.x() << "," << offset.y();
}

}  // namespace
}  // namespace qb
