// The program keeps nothing between runs: its dialogs leave the user's
// settings files alone. Qt's file dialogs would write their history into the
// settings file that every Qt program of the user shares, and read it too.
#include "folderBrowse.h"
#include "guiTest.h"
#include "qtDesktop.h"

#include <QDialog>
#include <QDirIterator>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace sorvane;

namespace {

QStringList FilesIn(const QString& folder)
{
    QStringList files;
    for (QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories); it.hasNext();)
        files << it.next();
    return files;
}

void CancelNextModal()
{
    OnNextModal([](QWidget* modal) { static_cast<QDialog*>(modal)->reject(); });
}

TEST(DesktopDialogs, LeaveTheUsersSettingsFilesAlone)
{
    QTemporaryDir home;
    ASSERT_TRUE(home.isValid());
    // Where settings go is read once, when they are first used: nothing in
    // this program has used them yet.
    qputenv("HOME", home.path().toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", (home.path() + QStringLiteral("/.config")).toLocal8Bit());
    const QString shared = home.filePath(QStringLiteral(".config/QtProject.conf"));
    const QByteArray sharedBefore = "[FileDialog]\nhistory=file:///elsewhere\nviewMode=List\n";
    ASSERT_TRUE(QDir(home.path()).mkpath(QStringLiteral(".config")));
    QFile file(shared);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(sharedBefore);
    file.close();
    {
        QtDesktop desktop;
        QWidget window;
        CancelNextModal();
        EXPECT_EQ(desktop.OpenFile(&window, QStringLiteral("All Files(*.*)|*.*"), {}), std::nullopt);
        TBrowseForFolder picker(&window, desktop.FolderBrowser());
        picker.SetFolderName(home.path());
        CancelNextModal();
        EXPECT_FALSE(picker.Execute());
    }
    EXPECT_EQ(FilesIn(home.path()), QStringList{shared});
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll().toStdString(), sharedBefore.toStdString());
}

}  // namespace
