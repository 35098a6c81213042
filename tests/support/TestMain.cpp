// gtest main shared by every test program. Each test starts in a fresh temporary folder that is
// also its HOME, with its own XDG_CONFIG_HOME, so no test sees another's settings or files.
#include "tests/support/TestUtil.h"

#include <QDir>
#include <QSettings>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>

#ifdef OMBREX_TEST_GUI
#include <QApplication>
using TestApplication = QApplication;
#else
using TestApplication = QCoreApplication;
#endif

namespace {

std::unique_ptr<QTemporaryDir> g_folder;
QString g_startFolder;

class FreshFolder final : public ::testing::EmptyTestEventListener {
    void OnTestStart(const ::testing::TestInfo&) override {
        g_folder = std::make_unique<QTemporaryDir>(QDir::tempPath() + "/ombrex-test-XXXXXX");
        const QString root = g_folder->path();
        QDir(root).mkpath("config");
        qputenv("HOME", root.toLocal8Bit());
        qputenv("XDG_CONFIG_HOME", (root + "/config").toLocal8Bit());
        qputenv("XDG_DATA_HOME", (root + "/share").toLocal8Bit());
        // QSettings caches its search paths on first use; point it at this test's folder.
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, root + "/config");
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, root + "/config");
        QDir::setCurrent(root);
    }
    void OnTestEnd(const ::testing::TestInfo&) override {
        QDir::setCurrent(g_startFolder);
        g_folder.reset();
    }
};

} // namespace

QString TestFolder() {
    return g_folder ? g_folder->path() : QDir::currentPath();
}

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    ::testing::InitGoogleTest(&argc, argv);
    TestApplication app(argc, argv);
    g_startFolder = QDir::currentPath();
    ::testing::UnitTest::GetInstance()->listeners().Append(new FreshFolder);
    return RUN_ALL_TESTS();
}
