// The Help menu's About box, driven from the frame as a user would.
#include "shell/about.h"

#include "shell/cp1252.h"
#include "shell/frmMain.h"
#include "shell/printing.h"

#include <QAction>
#include <QDir>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include "support/recorder.h"

namespace qb {
namespace {

class About : public ::testing::Test {
protected:
    void SetUp() override { setPrintToPdf(fromPath(temp / "printout.pdf")); }
    void TearDown() override { setPrintToPdf({}); }

    AboutDialog* openAbout()
    {
        frame.findChild<QAction*>("mnuAbout")->trigger();
        return frame.findChild<AboutDialog*>("frmAbout");
    }
    QString label(const QWidget* about, const char* name) const
    {
        const auto* found = about->findChild<QLabel*>(name);
        return found ? found->text() : QStringLiteral("<no %1>").arg(name);
    }

    test::MessageRecorder recorder;
    test::TempDir temp;
    test::ProgramFolderOverride program{temp.path()};
    frmMain frame;
};

TEST_F(About, HelpIsTheLastMenuAndAboutShowsVersionDataFolderAndPrinting)
{
    const QList<QAction*> menus = frame.menuBar()->actions();
    ASSERT_FALSE(menus.isEmpty());
    EXPECT_EQ(menus.last()->menu()->objectName(), "mnuHelp");
    EXPECT_EQ(menus.last()->text(), "&Help");
    EXPECT_FALSE(frame.windowIcon().isNull()) << "the icon is in the program";

    AboutDialog* about = openAbout();
    ASSERT_NE(about, nullptr);
    EXPECT_TRUE(about->isVisible());
    EXPECT_TRUE(frame.windowTitle().startsWith("Quillbox v" + label(about, "lblVersion") + " "))
        << "the caption and the version agree: " << frame.windowTitle().toStdString();
    EXPECT_EQ(label(about, "lblDataFolder"), QDir::toNativeSeparators(fromPath(temp.path())));
    EXPECT_EQ(label(about, "lblPrinting"), "the PDF file " + QDir::toNativeSeparators(fromPath(temp / "printout.pdf")));
}

TEST_F(About, OpenFolderStartsTheFileManagerOrSaysWhyNot)
{
    const QString folder = QDir::toNativeSeparators(fromPath(temp.path()));
    for (const bool starts : {true, false}) {
        SCOPED_TRACE(starts ? "file manager starts" : "file manager missing");
        recorder.messages.clear();
        const test::LaunchRecorder launcher(starts);
        AboutDialog* about = openAbout();
        ASSERT_NE(about, nullptr);
        QTest::mouseClick(about->findChild<QPushButton*>("cmdOpenDataFolder"), Qt::LeftButton);
        ASSERT_EQ(launcher.launches.size(), 1u);
        EXPECT_EQ(launcher.launches[0].first, fileManagerOpener());
        EXPECT_EQ(launcher.launches[0].second, QStringList{folder});
        if (starts) {
            EXPECT_TRUE(recorder.messages.isEmpty());
        } else {
            ASSERT_EQ(recorder.messages.size(), 1);
            EXPECT_TRUE(recorder.messages[0].contains(folder)) << recorder.messages[0].toStdString();
        }
        delete about;
    }
}

}  // namespace
}  // namespace qb
