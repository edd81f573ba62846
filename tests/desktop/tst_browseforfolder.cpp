#include "desktop/BrowseForFolder.h"
#include "platform/Modal.h"

#include <QDir>
#include <QFileDialog>
#include <QTemporaryDir>
#include <QtTest>

using namespace qm;

class TestBrowseForFolder : public QObject {
    Q_OBJECT
private slots:
    void init() {
        BrowseForFolderSeam::Enable();
        BrowseForFolderSeam::Reset();
        ModalSeam::Enable();
        ModalSeam::Reset();
    }
    void cleanup() {
        BrowseForFolderSeam::Reset();
        ModalSeam::Reset();
    }

    void newBrowserHasTheProgramsDefaults() {
        TBrowseForFolder browser;
        QCOMPARE(browser.FolderName, QDir::homePath());
        QCOMPARE(browser.StatusText, QStringLiteral("Plase select folder"));
        QCOMPARE(browser.Caption, QStringLiteral("Select Folder"));
        QCOMPARE(browser.Root, TBrowseLocation::bl_STANDART);
        QCOMPARE(browser.Flags(), 0u);
        QVERIFY(browser.DisplayName().isEmpty());
    }

    void cancelKeepsFolderAndName() {
        QTemporaryDir dir;
        TBrowseForFolder browser;
        BrowseForFolderSeam::QueueFolder(dir.path() + QStringLiteral("/"));
        QVERIFY(browser.Execute());
        const QString name = browser.DisplayName();
        BrowseForFolderSeam::QueueFolder(std::nullopt);
        QVERIFY(!browser.Execute());
        QCOMPARE(browser.FolderName, dir.path());
        QCOMPARE(browser.DisplayName(), name);
        // Nothing queued counts as a cancel, and is counted.
        QVERIFY(!browser.Execute());
        QCOMPARE(BrowseForFolderSeam::UnhandledCount(), 1);
    }

    // The chosen path ends where the folder's name ends, so "/name" can be appended to it.
    void chosenFolderHasNothingAfterIt() {
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("Sub.folder")));
        TBrowseForFolder browser;
        BrowseForFolderSeam::QueueFolder(dir.path() + QStringLiteral("/Sub.folder/"));
        QVERIFY(browser.Execute());
        QCOMPARE(browser.FolderName, dir.path() + QStringLiteral("/Sub.folder"));
        QCOMPARE(browser.DisplayName(), QStringLiteral("Sub.folder"));
        BrowseForFolderSeam::QueueFolder(QStringLiteral("/"));
        QVERIFY(browser.Execute());
        QCOMPARE(browser.FolderName, QStringLiteral("/"));
        QCOMPARE(browser.DisplayName(), QStringLiteral("/"));
    }

    void startsOnlyInAnExistingFolder() {
        QTemporaryDir dir;
        TBrowseForFolder browser;
        browser.Caption = QStringLiteral("Attach folder");
        browser.FolderName = dir.path();
        browser.Execute();
        browser.FolderName.clear();
        browser.Execute();
        browser.FolderName = dir.path() + QStringLiteral("/missing");
        browser.Execute();
        const QList<ShownBrowser> shown = BrowseForFolderSeam::Shown();
        QCOMPARE(shown.size(), 3);
        QCOMPARE(shown[0].caption, QStringLiteral("Attach folder"));
        QCOMPARE(shown[0].startFolder, dir.path());
        QVERIFY(shown[1].startFolder.isEmpty());
        QVERIFY(shown[2].startFolder.isEmpty());
    }

    // Without the seam the browser is a folders-only file dialog run as a modal window.
    void realBrowserIsAFoldersOnlyModalDialog() {
        BrowseForFolderSeam::Disable();
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("Chosen")));
        QFileDialog::FileMode mode = QFileDialog::AnyFile;
        QString startDir;
        ModalSeam::Queue([&](QDialog& dialog) {
            auto* files = qobject_cast<QFileDialog*>(&dialog);
            QVERIFY(files);
            mode = files->fileMode();
            startDir = files->directory().absolutePath();
            files->selectFile(dir.path() + QStringLiteral("/Chosen"));
            dialog.accept();
        });
        ModalSeam::Queue([](QDialog& dialog) { dialog.reject(); });
        TBrowseForFolder browser;
        browser.FolderName = dir.path();
        const bool chosen = browser.Execute();
        QCOMPARE(mode, QFileDialog::Directory);
        QCOMPARE(startDir, dir.path());
        QVERIFY(chosen);
        QCOMPARE(browser.FolderName, dir.path() + QStringLiteral("/Chosen"));
        QVERIFY(!browser.Execute());
        QCOMPARE(browser.FolderName, dir.path() + QStringLiteral("/Chosen"));
        QCOMPARE(ModalSeam::UnhandledCount(), 0);
    }
};

QTEST_MAIN(TestBrowseForFolder)
#include "tst_browseforfolder.moc"
