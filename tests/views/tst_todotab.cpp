#include "app/MainForm.h"
#include "dialogs/ToDoDialogs.h"
#include "engine/DataControls.h"
#include "engine/Query.h"
#include "platform/MessageBox.h"
#include "platform/Modal.h"
#include "platform/widgets/PageControl.h"
#include "platform/widgets/Panel.h"
#include "support/TestEnvironment.h"

#include <QComboBox>
#include <QLineEdit>
#include <QProgressBar>
#include <QToolButton>
#include <QtTest>

using namespace qm;

namespace {

QString TableFile(const TestEnvironment& env) {
    return env.ArchiveFile(QStringLiteral("QMtod90.db"));
}

// codtod, id, priority, flag, percento of every row, by key.
QList<QStringList> Rows(const TestEnvironment& env) {
    return TestEnvironment::RowsOfFile(
        TableFile(env),
        QStringLiteral("SELECT codtod,id,priority,flag,percento FROM QMtod90 ORDER BY codtod"));
}

void AddItem(const TestEnvironment& env, const QString& title, int priority, const QString& flag, int percent,
             const QString& note = QString()) {
    TestEnvironment::ExecOnFile(
        TableFile(env), QStringLiteral("INSERT INTO QMtod90 (id,note,priority,flag,percento) VALUES ('%1',"
                                       "'%2',%3,'%4',%5)")
                            .arg(QString(title).replace(QLatin1Char('\''), QStringLiteral("''")),
                                 QString(note).replace(QLatin1Char('\''), QStringLiteral("''")))
                            .arg(priority)
                            .arg(flag)
                            .arg(percent));
}

QString CurrentTitle(TMainForm* form) {
    return form->QueryToDo->FieldByName(QStringLiteral("id")).AsString();
}

void PutOn(TMainForm* form, const QString& title) {
    for (int row = 1; row <= form->QueryToDo->RecordCount(); ++row) {
        form->QueryToDo->SetRecNo(row);
        if (CurrentTitle(form) == title)
            return;
    }
    QFAIL("title not listed");
}

void ChooseStatus(TMainForm* form, const QString& status) {
    form->ComboBoxToDo->setCurrentText(status);
    form->ComboBoxToDoChange();
}

QList<QToolButton*> RowButtons(TMainForm* form) {
    return {form->SpeedButtonDelToDo,   form->SpeedButtonModToDo,   form->SpeedButtonPrintToDo,
            form->SpeedButtonDupliToDo, form->SpeedButtonCheckToDo, form->SpeedButtonExportTodo};
}

// The canvas a cell of `row` gets from the tab's drawing handler.
TCellCanvas Paint(TMainForm* form, int row, bool selected) {
    TCellCanvas canvas{QColor(Qt::white), QColor(Qt::black), form->DBGrid_ToDo->font()};
    TDrawState state;
    state.Selected = selected;
    form->DBGrid_ToDoDrawColumnCell(canvas, form->QueryToDo->Record(row), 0, state);
    return canvas;
}

} // namespace

class TestToDoTab : public QObject {
    Q_OBJECT

private slots:
    void emptyListDisablesRowButtonsAndZeroesTheGauge() {
        TestEnvironment env;
        TMainForm* form = env.CreateMainForm();
        AddItem(env, QStringLiteral("Paint the fence"), 10, QStringLiteral("No"), 40);
        form->RefreshToDoQuery();
        QCOMPARE(form->GaugePercento->value(), 40);
        for (QToolButton* button : RowButtons(form))
            QVERIFY2(button->isEnabled(), qPrintable(button->objectName()));

        ChooseStatus(form, QStringLiteral("Done"));
        QCOMPARE(form->QueryToDo->RecordCount(), 0);
        for (QToolButton* button : RowButtons(form))
            QVERIFY2(!button->isEnabled(), qPrintable(button->objectName()));
        QCOMPARE(form->GaugePercento->value(), 0);
        QVERIFY(form->SpeedButtonAggToDo->isEnabled());

        // Nothing to act on: the handlers themselves stay quiet too.
        form->SpeedButtonCheckToDoClick();
        form->SpeedButtonDupliToDoClick();
        form->SpeedButtonDelToDoClick();
        QCOMPARE(MessageBoxSeam::Shown().size(), 0);
        QCOMPARE(Rows(env).size(), 1);
    }

    void doneUndoneStaysOnTheToggledItem() {
        TestEnvironment env;
        TMainForm* form = env.CreateMainForm();
        AddItem(env, QStringLiteral("Alpha"), 90, QStringLiteral("No"), 10);
        AddItem(env, QStringLiteral("Bravo"), 50, QStringLiteral("No"), 40);
        AddItem(env, QStringLiteral("Charlie"), 20, QStringLiteral("No"), 0);
        ComboBoxOrdineIs(form, QStringLiteral("Percentage"));
        PutOn(form, QStringLiteral("Bravo"));
        QCOMPARE(form->QueryToDo->RecNo(), 1);
        // Sorted by percentage the item moves to the top once done; by priority it stays second.
        form->ComboBoxOrdine->setCurrentText(QStringLiteral("Priority"));
        form->ComboBoxToDoChange();
        PutOn(form, QStringLiteral("Bravo"));
        QCOMPARE(form->QueryToDo->RecNo(), 2);

        form->SpeedButtonCheckToDo->click();
        QCOMPARE(Rows(env)[1],
                 (QStringList{QStringLiteral("2"), QStringLiteral("Bravo"), QStringLiteral("50"),
                              QStringLiteral("Yes"), QStringLiteral("100")}));
        QCOMPARE(CurrentTitle(form), QStringLiteral("Bravo"));
        QCOMPARE(form->GaugePercento->value(), 100);

        form->SpeedButtonCheckToDo->click();
        QCOMPARE(Rows(env)[1][3], QStringLiteral("No"));
        QCOMPARE(Rows(env)[1][4], QStringLiteral("0"));
        QCOMPARE(CurrentTitle(form), QStringLiteral("Bravo"));
        QCOMPARE(form->GaugePercento->value(), 0);
        QCOMPARE(Rows(env)[0][3], QStringLiteral("No")); // the first item was never touched
    }

    void undoneStatusHidesAToggledItem() {
        TestEnvironment env;
        TMainForm* form = env.CreateMainForm();
        AddItem(env, QStringLiteral("Alpha"), 90, QStringLiteral("No"), 10);
        AddItem(env, QStringLiteral("Bravo"), 50, QStringLiteral("No"), 40);
        AddItem(env, QStringLiteral("Charlie"), 20, QStringLiteral("No"), 0);
        AddItem(env, QStringLiteral("Delta"), 10, QStringLiteral("Yes"), 100);
        ChooseStatus(form, QStringLiteral("Undone"));
        QCOMPARE(form->QueryToDo->RecordCount(), 3);
        PutOn(form, QStringLiteral("Bravo"));
        form->SpeedButtonCheckToDoClick();
        QCOMPARE(form->QueryToDo->RecordCount(), 2);
        QCOMPARE(form->Panel_ToDo->Caption(), QStringLiteral("2   "));
        // Gone from the list: the list stays where it was, on the next item.
        QCOMPARE(CurrentTitle(form), QStringLiteral("Charlie"));
        // A flag another tool left empty counts as not undone: the toggle makes it undone.
        TestEnvironment::ExecOnFile(TableFile(env),
                                    QStringLiteral("UPDATE QMtod90 SET flag=NULL WHERE codtod=4"));
        ChooseStatus(form, QStringLiteral("All"));
        PutOn(form, QStringLiteral("Delta"));
        form->SpeedButtonCheckToDoClick();
        QCOMPARE(Rows(env)[3][3], QStringLiteral("No"));
        QCOMPARE(Rows(env)[3][4], QStringLiteral("0"));
    }

    void cloneKeepsStateAndDeleteAsks() {
        TestEnvironment env;
        TMainForm* form = env.CreateMainForm();
        AddItem(env, QStringLiteral("Alpha"), 90, QStringLiteral("No"), 10);
        AddItem(env, QStringLiteral("Done \"deal\""), 30, QStringLiteral("Yes"), 60,
                QStringLiteral("a note"));
        form->RefreshToDoQuery();
        PutOn(form, QStringLiteral("Done \"deal\""));
        form->SpeedButtonDupliToDo->click();
        QList<QStringList> rows = Rows(env);
        QCOMPARE(rows.size(), 3);
        QCOMPARE(rows[2].mid(1), rows[1].mid(1));
        QCOMPARE(TestEnvironment::RowsOfFile(TableFile(env),
                                             QStringLiteral("SELECT note FROM QMtod90 WHERE codtod=3")),
                 (QList<QStringList>{{QStringLiteral("a note")}}));
        QCOMPARE(form->QueryToDo->RecNo(), 2);

        MessageBoxSeam::QueueAnswer(Id::No);
        form->SpeedButtonDelToDo->click();
        QCOMPARE(Rows(env).size(), 3);
        const ShownBox box = MessageBoxSeam::Shown().last();
        QVERIFY(box.text.startsWith(QStringLiteral(" You are in order to eliminate \"Done \"deal\"\"")));
        QCOMPARE(box.flags, form->MsgYesNo + form->MsgQuestion);

        form->QueryToDo->SetRecNo(3);
        const QString doomed = form->QueryToDo->FieldByName(QStringLiteral("codtod")).AsString();
        MessageBoxSeam::QueueAnswer(Id::Yes);
        form->SpeedButtonDelToDo->click();
        rows = Rows(env);
        QCOMPARE(rows.size(), 2);
        for (const QStringList& row : rows)
            QVERIFY(row[0] != doomed);
        QCOMPARE(form->QueryToDo->RecNo(), 2); // the row above the deleted one
    }

    void findTextIsBoundAndClearEmptiesIt() {
        TestEnvironment env;
        TMainForm* form = env.CreateMainForm();
        AddItem(env, QStringLiteral("Buy milk"), 10, QStringLiteral("No"), 0,
                QStringLiteral("it's 'urgent'"));
        AddItem(env, QStringLiteral("Call Bob"), 20, QStringLiteral("No"), 0);
        form->RefreshToDoQuery();
        form->Edit_Find_ToDo->setText(QStringLiteral("milk\" OR \"1\"=\"1"));
        QCOMPARE(form->QueryToDo->RecordCount(), 0);
        QVERIFY(form->SpeedButtonClearTodo->isEnabled());
        form->Edit_Find_ToDo->setText(QStringLiteral("MILK"));
        QCOMPARE(form->QueryToDo->RecordCount(), 1);

        form->ComboBox_KindFindToDo->setCurrentText(QStringLiteral("Note"));
        form->ComboBox_KindFindToDoClick();
        QVERIFY(form->Edit_Find_ToDo->text().isEmpty());
        QVERIFY(!form->SpeedButtonClearTodo->isEnabled());
        form->Edit_Find_ToDo->setText(QStringLiteral("'urgent'"));
        QCOMPARE(form->QueryToDo->RecordCount(), 1);
        form->SpeedButtonClearTodo->click();
        QCOMPARE(form->QueryToDo->RecordCount(), 2);

        form->SpeedButton14->click();
        QCOMPARE(MessageBoxSeam::Shown().last().text,
                 QStringLiteral("In this section you can edit a To-Do List."));
    }

    void rowStylesAndStrikeOut() {
        TestEnvironment env;
        TMainForm* form = env.CreateMainForm();
        AddItem(env, QStringLiteral("Open"), 90, QStringLiteral("No"), 10);
        AddItem(env, QStringLiteral("Finished"), 10, QStringLiteral("Yes"), 100);
        form->RefreshToDoQuery();
        const QColor section = ToQColor(form->SectionColors.TodoColor);

        form->ComboBox_Stile->setCurrentText(QStringLiteral("colorful"));
        TCellCanvas plain = Paint(form, 0, false);
        QCOMPARE(plain.Brush, section);
        QCOMPARE(plain.FontColor, QColor(Qt::black));
        QVERIFY(!plain.Font.bold());
        QVERIFY(!plain.Font.strikeOut());
        TCellCanvas current = Paint(form, 0, true);
        QCOMPARE(current.Brush, section);
        QVERIFY(current.Font.bold());
        QVERIFY(!current.Font.strikeOut());
        TCellCanvas done = Paint(form, 1, true);
        QVERIFY(done.Font.bold());
        QVERIFY(done.Font.strikeOut());

        form->ComboBox_Stile->setCurrentText(QStringLiteral("colored"));
        plain = Paint(form, 0, false);
        QCOMPARE(plain.Brush, QColor(Qt::white));
        QCOMPARE(plain.FontColor, ToQColor(Colors::clWindowText));
        current = Paint(form, 0, true);
        QCOMPARE(current.Brush, section);
        QVERIFY(!current.Font.bold());
        done = Paint(form, 1, false);
        QVERIFY(done.Font.strikeOut());
        QCOMPARE(done.Brush, QColor(Qt::white));
    }

    void gaugeStandsOverThePercentAndNoteColumns() {
        TestEnvironment env;
        TMainForm* form = env.CreateMainForm();
        AddItem(env, QStringLiteral("Open"), 90, QStringLiteral("No"), 10);
        form->RefreshToDoQuery();
        form->DBGrid_ToDo->SetColumnWidth(0, 300);
        form->DBGrid_ToDo->SetColumnWidth(2, 50);
        Paint(form, 0, false);
        // The priority and note columns keep their widths (the font's measure of 42).
        const int priority = form->DBGrid_ToDo->ColumnWidth(1), note = form->DBGrid_ToDo->ColumnWidth(3);
        QVERIFY(priority >= 42 && note == priority);
        QCOMPARE(form->GaugePercento->x(), 300 + priority + 6);
        QCOMPARE(form->GaugePercento->width(), 50 + note - 1 + 4);
        // The grid's own painting moves it too, after the window sized its columns.
        form->PageControlMenu->setCurrentWidget(form->TabSheetToDo);
        form->show();
        form->DBGrid_ToDo->viewport()->grab();
        QVERIFY(form->DBGrid_ToDo->ColumnWidth(0) != 300);
        QCOMPARE(form->GaugePercento->x(),
                 form->DBGrid_ToDo->ColumnWidth(0) + form->DBGrid_ToDo->ColumnWidth(1) + 6);
        // Its right border stays inside the header.
        QVERIFY(form->GaugePercento->geometry().right() < form->Panel_Data_ToDo->width() - 1);
    }

    void doubleClickAndEnterModifyOnlyWhenEnabled() {
        TestEnvironment env;
        TMainForm* form = env.CreateMainForm();
        AddItem(env, QStringLiteral("Open"), 90, QStringLiteral("No"), 10);
        form->RefreshToDoQuery();
        int shown = 0;
        const auto expectModify = [&shown](QDialog& dialog) {
            QVERIFY(dynamic_cast<TModToDoForm*>(&dialog));
            ++shown;
        };
        ModalSeam::Queue(expectModify);
        emit form->DBGrid_ToDo->DblClick();
        ModalSeam::Queue(expectModify);
        form->DBGrid_ToDoKeyPress(QChar(13));
        form->DBGrid_ToDoKeyPress(QChar(' '));
        QCOMPARE(shown, 2);

        ChooseStatus(form, QStringLiteral("Done"));
        emit form->DBGrid_ToDo->DblClick();
        form->DBGrid_ToDoKeyPress(QChar(13));
        QCOMPARE(shown, 2);
        QCOMPARE(ModalSeam::UnhandledCount(), 0);
    }

private:
    static void ComboBoxOrdineIs(TMainForm* form, const QString& order) {
        form->ComboBoxOrdine->setCurrentText(order);
        form->ComboBoxToDoChange();
    }
};

QTEST_MAIN(TestToDoTab)
#include "tst_todotab.moc"
