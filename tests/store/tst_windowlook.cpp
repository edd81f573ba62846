#include "app/MainForm.h"
#include "platform/MessageBox.h"
#include "platform/TextLines.h"
#include "platform/widgets/PageControl.h"
#include "platform/widgets/Panel.h"
#include "support/TestEnvironment.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QSpinBox>
#include <QTest>
#include <QToolButton>

using namespace qm;

namespace {

QByteArray Bytes(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArrayLiteral("<missing>");
    return file.readAll();
}

QAction* MenuItem(const TMainForm* form, const QString& name) {
    for (QAction* action : form->PopupMenuIntCharset->actions())
        if (action->objectName() == name)
            return action;
    return nullptr;
}

} // namespace

class WindowLookTest : public QObject {
    Q_OBJECT

private slots:
    void tabFontNameAndSize() {
        TestEnvironment env;
        TMainForm* form = env.CreateMainForm();
        const QString file = env.ArchiveFile(QStringLiteral("TabFont.txt"));
        // The start-up road fills the controls without writing.
        QVERIFY(!QFileInfo::exists(file));

        form->SpinEditTabSize->setValue(10);
        form->ComboBox_UnFont->setCurrentText(QStringLiteral("Courier New"));
        emit form->ComboBox_UnFont->textActivated(QStringLiteral("Courier New"));
        QCOMPARE(Bytes(file), QByteArray("Courier New\r\n10\r\n"));
        QCOMPARE(form->PageControlMenu->font().family(), QStringLiteral("Courier New"));
        QCOMPARE(form->panel_credit->font().family(), QStringLiteral("Courier New"));
        QVERIFY(form->panel_credit->font().bold());
        QCOMPARE(form->panel_credit->font().pointSize(), 11);
        QCOMPARE(form->Label_Segno->font().family(), QStringLiteral("Arial"));
        QCOMPARE(form->Label_Stagione->font().pixelSize(), 13);

        form->SpinEditTabSize->setValue(12);
        QCOMPARE(Bytes(file), QByteArray("Courier New\r\n12\r\n"));
        QCOMPARE(form->PageControlMenu->font().pointSize(), 12);
        QCOMPARE(form->panel_credit->font().pointSize(), 11);

        // The next start applies the file.
        env.DestroyMainForm();
        form = env.CreateMainForm();
        QCOMPARE(form->PageControlMenu->font().family(), QStringLiteral("Courier New"));
        QCOMPARE(form->PageControlMenu->font().pointSize(), 12);
        QCOMPARE(form->SpinEditTabSize->value(), 12);
        QCOMPARE(Bytes(file), QByteArray("Courier New\r\n12\r\n"));
    }

    void gridStyle() {
        TestEnvironment env;
        TMainForm* form = env.CreateMainForm();
        const QString file = env.ArchiveFile(QStringLiteral("Style.txt"));
        QVERIFY(!QFileInfo::exists(file));
        form->ComboBox_Stile->setCurrentIndex(1);
        emit form->ComboBox_Stile->activated(1);
        QCOMPARE(Bytes(file), QByteArray("1\r\n"));
        env.DestroyMainForm();
        form = env.CreateMainForm();
        QCOMPARE(form->ComboBox_Stile->currentText(), QStringLiteral("colorful"));
    }

    void interfaceCharset() {
        TestEnvironment env;
        TMainForm* form = env.CreateMainForm();
        const QList<QAction*> items = form->PopupMenuIntCharset->actions();
        QCOMPARE(items.size(), 19);
        QCOMPARE(items[7]->text(), QStringLiteral("Chinese (Traditional) "));
        for (const QAction* item : items)
            QVERIFY(!item->isChecked());

        QAction* cyrillic = MenuItem(form, QStringLiteral("MenuItem16"));
        QVERIFY(cyrillic);
        QCOMPARE(cyrillic->text(), QStringLiteral("Cyrillic"));
        cyrillic->trigger();
        const QString file = env.ArchiveFile(QStringLiteral("InterCrs.txt"));
        QCOMPARE(Bytes(file), QByteArray("204\r\n"));
        QCOMPARE(form->Panel_Data_Week->FontCharset(), 204);

        env.DestroyMainForm();
        form = env.CreateMainForm();
        QCOMPARE(form->panel_credit->property("FontCharset").toInt(), 204);
        QCOMPARE(form->MemoOrario->property("FontCharset").toInt(), 204);
        QCOMPARE(form->Panel_Data_Shot->FontCharset(), 204);
        QCOMPARE(form->Panel_Data_Year->FontCharset(), 204);
        QCOMPARE(form->Panel_Data_Week->FontCharset(), 204);

        // A double-click on the button alone writes the caption bar's charset.
        form->panel_credit->setProperty("FontCharset", 77);
        QTest::mouseDClick(form->SpeedButtonIntCharset, Qt::LeftButton);
        QCOMPARE(Bytes(file), QByteArray("77\r\n"));
        QCOMPARE(form->Panel_Data_Shot->FontCharset(), 77);
    }

    void twelveHourClock() {
        TestEnvironment env;
        TMainForm* form = env.CreateMainForm();
        const QString marker = env.ArchiveFile(QStringLiteral("AmPm.txt"));
        QVERIFY(!form->CheckBoxAmPm->isChecked());
        form->CheckBoxAmPm->click();
        QCOMPARE(Bytes(marker), QByteArray());
        QCOMPARE(form->ClockFormat, QStringLiteral("dddd d mmmm yyyy,  hh:mm:ss am/pm"));

        env.DestroyMainForm();
        form = env.CreateMainForm();
        QVERIFY(form->CheckBoxAmPm->isChecked());
        QVERIFY(QFileInfo::exists(marker)); // the start-up road's tick writes nothing back
        form->CheckBoxAmPm->click();
        QVERIFY(!QFileInfo::exists(marker));
        QCOMPARE(form->ClockFormat, QStringLiteral("dddd d mmmm yyyy,  hh:mm:ss"));
        env.DestroyMainForm();
        form = env.CreateMainForm();
        QCOMPARE(form->ClockFormat, QStringLiteral("dddd d mmmm yyyy,  hh:mm:ss"));
    }

    void splashMarkerInProgramFolder() {
        TestEnvironment env;
        TMainForm* form = env.CreateMainForm();
        const QString marker = env.ProgramFolder() + QStringLiteral("nosplash");
        QVERIFY(form->CheckBoxSplash->isChecked());
        form->CheckBoxSplash->click();
        QVERIFY(QFileInfo::exists(marker));
        QVERIFY(!QFileInfo::exists(env.ArchiveFile(QStringLiteral("nosplash"))));
        env.DestroyMainForm();
        form = env.CreateMainForm();
        QVERIFY(!form->CheckBoxSplash->isChecked());
        form->CheckBoxSplash->click();
        QVERIFY(!QFileInfo::exists(marker));
        QCOMPARE(MessageBoxSeam::Shown().size(), 0);
    }

    void clearedTabCaptionIsOneEmptyLine() {
        TestEnvironment env;
        TMainForm* form = env.CreateMainForm();
        form->EditLastLabel->setText(QStringLiteral("Setup"));
        form->EditLastLabel->clear();
        QCOMPARE(Bytes(env.ArchiveFile(QStringLiteral("TabName.txt"))), QByteArray("\r\n"));
    }

    void unwritableFileIsReported() {
        TestEnvironment env;
        TMainForm* form = env.CreateMainForm();
        // A folder in the file's place cannot be replaced by a file.
        QVERIFY(QDir().mkpath(env.ArchiveFile(QStringLiteral("Style.txt"))));
        form->ComboBox_Stile->setCurrentIndex(1);
        emit form->ComboBox_Stile->activated(1);
        QCOMPARE(MessageBoxSeam::Shown().size(), 1);
        QCOMPARE(MessageBoxSeam::Shown()[0].caption, QStringLiteral("Quellmire Organizer"));
        QCOMPARE(MessageBoxSeam::Shown()[0].flags, Mb::Ok + Mb::IconExclamation);
        QVERIFY(MessageBoxSeam::Shown()[0].text.contains(QStringLiteral("Style.txt")));
    }
};

QTEST_MAIN(WindowLookTest)
#include "tst_windowlook.moc"
