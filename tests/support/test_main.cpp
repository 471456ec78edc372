// One runner for every test program: window tests need a QApplication, headless by default.
// The user's own files and settings stay untouched: the per-user data, settings, cache and state
// folders, QSettings and the program's folder point into a temporary folder for the whole run.
#include <QApplication>
#include <QSettings>

#include <gtest/gtest.h>

#include "ui/services.h"
#include "support/recorder.h"

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    qb::prepareRuntimeFolder();
    const qb::test::TempDir home;
    for (const char* name : {"XDG_DATA_HOME", "XDG_CONFIG_HOME", "XDG_CACHE_HOME", "XDG_STATE_HOME"})
        qputenv(name, QByteArray::fromStdString(home.mkdir(name).native()));
    qputenv(qb::dataFolderVariable, QByteArray::fromStdString(home.mkdir("program").native()));
    for (const QSettings::Format format : {QSettings::NativeFormat, QSettings::IniFormat})
        QSettings::setPath(format, QSettings::UserScope, QString::fromStdString(home.mkdir("settings").native()));

    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
