#include "app/MainForm.h"
#include "dialogs/ToDoDialogs.h"
#include "engine/Query.h"
#include "platform/Modal.h"
#include "platform/Printing.h"
#include "platform/widgets/Panel.h"
#include "support/TestEnvironment.h"

#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSlider>
#include <QSpinBox>
#include <QToolButton>
#include <QtTest>
#include <functional>

using namespace qm;

namespace {

QString TableFile(const TestEnvironment& env) {
    return env.ArchiveFile(QStringLiteral("QMtod90.db"));
}

// id, note, priority, flag, percento of every row, by key.
QList<QStringList> Rows(const TestEnvironment& env) {
    return TestEnvironment::RowsOfFile(
        TableFile(env), QStringLiteral("SELECT id,note,priority,flag,percento FROM QMtod90 ORDER BY codtod"));
}

void AddItem(const TestEnvironment& env, const QString& values) {
    TestEnvironment::ExecOnFile(
        TableFile(env), QStringLiteral("INSERT INTO QMtod90 (id,note,priority,flag,percento) VALUES (") +
                            values + QStringLiteral(")"));
}

template <typename Dialog>
int RunOpener(const std::function<void()>& opener, const std::function<void(Dialog&)>& act) {
    int result = -1;
    ModalSeam::Queue([act, &result](QDialog& dialog) {
        auto* form = dynamic_cast<Dialog*>(&dialog);
        QVERIFY(form);
        act(*form);
        result = form->isVisible() ? -1 : form->result();
    });
    opener();
    [&] {
        QCOMPARE(ModalSeam::PendingCount(), 0);
        QCOMPARE(ModalSeam::UnhandledCount(), 0);
    }();
    return result;
}

QStringList Row(const QString& id, const QString& note, const QString& priority, const QString& flag,
                const QString& percent) {
    return {id, note, priority, flag, percent};
}

const QString kDefaultTitle = QStringLiteral("Introduce the sister to Tarquindo!");

} // namespace

class TestToDoDialogs : public QObject {
    Q_OBJECT

private slots:
    void insertKeepsTheDialogOpenAndStartsAgainAtFive() {
        TestEnvironment env;
        TMainForm* form = env.CreateMainForm();
        const int result =
            RunOpener<TAggToDoForm>([form] { form->SpeedButtonAggToDoClick(); },
                                    [&](TAggToDoForm& d) {
                                        QCOMPARE(d.windowTitle(), QStringLiteral("-> Add in To-Do List"));
                                        QCOMPARE(d.Panel_colored->Color(), form->SectionColors.TodoColor);
                                        QCOMPARE(d.SpinEdit_Priority->value(), 5);
                                        d.SpinEdit_Priority->setValue(12);
                                        d.Edit_id->setText(QStringLiteral("Water the \"plants\""));
                                        d.Memo->setPlainText(QStringLiteral("line 1\nit's line 2"));
                                        d.SpeedButton1->click();
                                        QVERIFY(d.isVisible());
                                        QCOMPARE(d.SpinEdit_Priority->value(), 5);
                                        QVERIFY(d.Edit_id->text().isEmpty());
                                        QVERIFY(d.Memo->toPlainText().isEmpty());

                                        // An empty title is replaced and takes its own priority, whatever was
                                        // chosen.
                                        d.SpinEdit_Priority->setValue(30);
                                        d.SpeedButton1->click();
                                        QCOMPARE(d.SpinEdit_Priority->value(), 5);

                                        d.Edit_id->setText(QStringLiteral("Last"));
                                        d.SpeedButtonAddClose->click();
                                    });
        QCOMPARE(result, int(QDialog::Accepted));
        QCOMPARE(Rows(env),
                 (QList<QStringList>{Row(QStringLiteral("Water the \"plants\""),
                                         QStringLiteral("line 1\nit's line 2"), QStringLiteral("12"),
                                         QStringLiteral("No"), QStringLiteral("0")),
                                     Row(kDefaultTitle, QString(), QStringLiteral("69"), QStringLiteral("No"),
                                         QStringLiteral("0")),
                                     Row(QStringLiteral("Last"), QString(), QStringLiteral("5"),
                                         QStringLiteral("No"), QStringLiteral("0"))}));
        QCOMPARE(form->QueryToDo->RecordCount(), 3);
    }

    void keysOfTheAddDialog() {
        TestEnvironment env;
        TMainForm* form = env.CreateMainForm();
        // Enter in the note starts a new line; Esc closes without writing.
        int result = RunOpener<TAggToDoForm>([form] { form->SpeedButtonAggToDoClick(); },
                                             [](TAggToDoForm& d) {
                                                 d.Edit_id->setText(QStringLiteral("Kept out"));
                                                 d.Memo->setFocus();
                                                 QTest::keyClicks(d.Memo, QStringLiteral("a"));
                                                 QTest::keyClick(d.Memo, Qt::Key_Return);
                                                 QTest::keyClicks(d.Memo, QStringLiteral("b"));
                                                 QCOMPARE(d.Memo->toPlainText(), QStringLiteral("a\nb"));
                                                 QVERIFY(d.isVisible());
                                                 QTest::keyClick(d.Memo, Qt::Key_Escape);
                                             });
        QCOMPARE(result, int(QDialog::Rejected));
        QVERIFY(Rows(env).isEmpty());

        // Enter in the priority saves and closes, with the typed value brought into range.
        result = RunOpener<TAggToDoForm>([form] { form->SpeedButtonAggToDoClick(); },
                                         [](TAggToDoForm& d) {
                                             d.Edit_id->setText(QStringLiteral("From the spin"));
                                             d.SpinEdit_Priority->setFocus();
                                             d.SpinEdit_Priority->selectAll();
                                             QTest::keyClicks(d.SpinEdit_Priority, QStringLiteral("0"));
                                             QTest::keyClick(d.SpinEdit_Priority, Qt::Key_Return);
                                         });
        QCOMPARE(result, int(QDialog::Accepted));
        result = RunOpener<TAggToDoForm>([form] { form->SpeedButtonAggToDoClick(); },
                                         [](TAggToDoForm& d) {
                                             d.SpinEdit_Priority->setValue(150);
                                             QCOMPARE(d.SpinEdit_Priority->value(), 99);
                                             QTest::keyClicks(d.Edit_id, QStringLiteral("From the edit"));
                                             QTest::keyClick(d.Edit_id, Qt::Key_Enter);
                                         });
        QCOMPARE(result, int(QDialog::Accepted));
        QCOMPARE(Rows(env),
                 (QList<QStringList>{Row(QStringLiteral("From the spin"), QString(), QStringLiteral("1"),
                                         QStringLiteral("No"), QStringLiteral("0")),
                                     Row(QStringLiteral("From the edit"), QString(), QStringLiteral("99"),
                                         QStringLiteral("No"), QStringLiteral("0"))}));
    }

    void modifyLoadsAndSavesUnchanged() {
        TestEnvironment env;
        TMainForm* form = env.CreateMainForm();
        AddItem(env, QStringLiteral("'Other',  '', 80, 'No', 0"));
        AddItem(env, QStringLiteral("'Half done', 'a' || char(13) || char(10) || 'b', 20, 'Yes', 40"));
        form->RefreshToDoQuery();
        form->QueryToDo->SetRecNo(2);
        const QList<QStringList> before = Rows(env);
        const int result =
            RunOpener<TModToDoForm>([form] { form->SpeedButtonModToDoClick(); },
                                    [&](TModToDoForm& d) {
                                        QCOMPARE(d.windowTitle(), QStringLiteral("-> Modify in To-Do List"));
                                        QCOMPARE(d.Panel_colored->Color(), form->SectionColors.TodoColor);
                                        QVERIFY(d.CheckBoxSolved->isChecked());
                                        QCOMPARE(d.Label_Percentage->text(), QStringLiteral("40%"));
                                        QCOMPARE(d.TrackBarPercento->value(), 40);
                                        QCOMPARE(d.SpinEdit_Priority->value(), 20);
                                        QCOMPARE(d.Edit_id->text(), QStringLiteral("Half done"));
                                        QCOMPARE(d.Memo->toPlainText(), QStringLiteral("a\nb"));
                                        QTest::keyClick(d.Edit_id, Qt::Key_Return);
                                    });
        QCOMPARE(result, int(QDialog::Accepted));
        QCOMPARE(Rows(env), before);
    }

    void untouchedTextStaysAndLimitsCountCharacters() {
        TestEnvironment env;
        TMainForm* form = env.CreateMainForm();
        const QString title = QString(270, u'T');
        const QString note = QStringLiteral("no\u00a0break\r\n") + QString(300, u'n');
        TestEnvironment::ExecOnFile(TableFile(env),
                                    QStringLiteral("INSERT INTO QMtod90 (id,note,priority,flag,"
                                                   "percento) VALUES ('%1','%2',5,'No',0)")
                                        .arg(title, note));
        form->RefreshToDoQuery();
        // Only the priority changes: the over-long title and note, the no-break space and the CR LF stay.
        RunOpener<TModToDoForm>([form] { form->SpeedButtonModToDoClick(); },
                                [&](TModToDoForm& d) {
                                    d.Memo->setFocus();
                                    d.Memo->moveCursor(QTextCursor::End);
                                    QTest::keyClicks(d.Memo, QStringLiteral("typed"));
                                    QTest::keyClick(d.SpinEdit_Priority, Qt::Key_Up);
                                    QTest::keyClick(d.Edit_id, Qt::Key_Return);
                                });
        QCOMPARE(Rows(env), QList<QStringList>({Row(title, note, "6", "No", "0")}));

        // An edited note keeps its no-break spaces; a pasted title is cut after whole characters.
        TestEnvironment::ExecOnFile(TableFile(env), QStringLiteral("UPDATE QMtod90 SET note = 'a\u00a0b'"));
        form->RefreshToDoQuery();
        const QString face = QStringLiteral("\U0001F642");
        QGuiApplication::clipboard()->setText(face.repeated(300));
        RunOpener<TModToDoForm>([form] { form->SpeedButtonModToDoClick(); },
                                [&](TModToDoForm& d) {
                                    d.Memo->setFocus();
                                    d.Memo->moveCursor(QTextCursor::End);
                                    QTest::keyClicks(d.Memo, QStringLiteral("c"));
                                    d.Edit_id->setFocus();
                                    d.Edit_id->selectAll();
                                    QTest::keyClick(d.Edit_id, Qt::Key_V, Qt::ControlModifier);
                                    QTest::keyClick(d.Edit_id, Qt::Key_Return);
                                });
        QCOMPARE(Rows(env), QList<QStringList>({Row(face.repeated(255), "a\u00a0bc", "6", "No", "0")}));
    }

    void percentageAndDoneBoxFollowEachOther() {
        TestEnvironment env;
        TMainForm* form = env.CreateMainForm();
        AddItem(env, QStringLiteral("'First', '', 90, 'No', 0"));
        AddItem(env, QStringLiteral("'Second', 'note', 50, 'No', 10"));
        form->RefreshToDoQuery();
        form->QueryToDo->SetRecNo(2);
        RunOpener<TModToDoForm>(
            [form] { form->SpeedButtonModToDoClick(); },
            [](TModToDoForm& d) {
                QVERIFY(!d.CheckBoxSolved->isChecked());
                d.TrackBarPercento->setValue(100);
                QVERIFY(d.CheckBoxSolved->isChecked());
                QCOMPARE(d.Label_Percentage->text(), QStringLiteral("100%"));
                d.TrackBarPercento->setValue(99);
                QVERIFY(!d.CheckBoxSolved->isChecked());
                // The mouse moves the bar; the keyboard changes only the box.
                QTest::mouseClick(d.CheckBoxSolved, Qt::LeftButton, {}, d.CheckBoxSolved->rect().center());
                QVERIFY(d.CheckBoxSolved->isChecked());
                QCOMPARE(d.TrackBarPercento->value(), 100);
                QTest::mouseClick(d.CheckBoxSolved, Qt::LeftButton, {}, d.CheckBoxSolved->rect().center());
                QCOMPARE(d.TrackBarPercento->value(), 0);
                QCOMPARE(d.Label_Percentage->text(), QStringLiteral("0%"));
                d.TrackBarPercento->setValue(70);
                QTest::keyClick(d.CheckBoxSolved, Qt::Key_Space);
                QVERIFY(d.CheckBoxSolved->isChecked());
                QCOMPARE(d.TrackBarPercento->value(), 70);
                // An emptied title takes the default and its priority; the item becomes the first.
                d.Edit_id->clear();
                d.SpeedButtonMod->click();
            });
        QCOMPARE(Rows(env)[1], Row(kDefaultTitle, QStringLiteral("note"), QStringLiteral("69"),
                                   QStringLiteral("Yes"), QStringLiteral("70")));
        // Back on the same item, although the new priority moved it.
        QCOMPARE(form->QueryToDo->RecNo(), 2);
        QCOMPARE(form->QueryToDo->FieldByName(QStringLiteral("id")).AsString(), kDefaultTitle);

        // Done now: the "Undone" status no longer lists it.
        form->ComboBoxToDo->setCurrentText(QStringLiteral("Undone"));
        form->ComboBoxToDoChange();
        QCOMPARE(form->QueryToDo->RecordCount(), 1);
    }

    void printAndCloseWriteNothing() {
        TestEnvironment env;
        TMainForm* form = env.CreateMainForm();
        AddItem(env, QStringLiteral("'Only', '', 10, 'No', 30"));
        form->RefreshToDoQuery();
        PrintSeam::Enable();
        PrintSeam::Reset();
        const QList<QStringList> before = Rows(env);
        int result = RunOpener<TModToDoForm>([form] { form->SpeedButtonModToDoClick(); },
                                             [](TModToDoForm& d) {
                                                 d.Edit_id->setText(QStringLiteral("Changed"));
                                                 d.SpeedButtonPrint->click();
                                                 QVERIFY(d.isVisible());
                                                 d.SpeedButton3->click();
                                             });
        QCOMPARE(result, int(QDialog::Rejected));
        QCOMPARE(PrintSeam::Printed().size(), 1);
        QCOMPARE(PrintSeam::Printed().first().objectName, QStringLiteral("ModToDoForm"));
        QVERIFY(!PrintSeam::Printed().first().picture.isNull());
        result = RunOpener<TModToDoForm>([form] { form->SpeedButtonModToDoClick(); },
                                         [](TModToDoForm& d) {
                                             d.Edit_id->setText(QStringLiteral("Changed"));
                                             QTest::keyClick(d.TrackBarPercento, Qt::Key_Escape);
                                         });
        QCOMPARE(result, int(QDialog::Rejected));
        QCOMPARE(Rows(env), before);
        PrintSeam::Disable();
    }
};

QTEST_MAIN(TestToDoDialogs)
#include "tst_tododialogs.moc"
