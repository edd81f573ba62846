#include "app/MainForm.h"
#include "engine/Query.h"
#include "exchange/Report.h"
#include "platform/Clock.h"
#include "platform/DateFormat.h"
#include "platform/Modal.h"
#include "platform/widgets/PageControl.h"
#include "support/TestEnvironment.h"
#include "views/ViewTestRows.h"

#include <QAction>
#include <QComboBox>
#include <QDateEdit>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QPrintPreviewDialog>
#include <QProcess>
#include <QRegularExpression>
#include <QToolButton>
#include <QtTest>

using namespace qm;

namespace {

// The text of a printed PDF, pages separated by form feeds, blanks squeezed.
QString PdfText(const QString& file) {
    QProcess process;
    process.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), file, QStringLiteral("-")});
    if (!process.waitForFinished(30000) || process.exitCode() != 0)
        return QString();
    QString text = QString::fromUtf8(process.readAllStandardOutput());
    text.replace(QRegularExpression(QStringLiteral("[ \t]+")), QStringLiteral(" "));
    return text;
}

class PrintFixture {
public:
    PrintFixture() : form(env.CreateMainForm()), pdf(env.ProgramFolder() + QStringLiteral("report.pdf")) {
        ReportSeam::PrintToPdf(pdf);
    }
    ~PrintFixture() { ReportSeam::Disable(); }

    QString PrintTab(QWidget* page) {
        QFile::remove(pdf);
        form->PageControlMenu->setCurrentWidget(page);
        form->Print1Click();
        return PdfText(pdf);
    }

    TestEnvironment env;
    TMainForm* form;
    QString pdf;
};

} // namespace

class TestReports : public QObject {
    Q_OBJECT

private slots:
    void contactsReportShowsAllGroupsTwiceAndTheListedRows() {
        PrintFixture f;
        testrows::Contact(f.env, QStringLiteral("Adams"), QStringLiteral("Friend"), QStringLiteral("555-1"));
        testrows::Contact(f.env, QStringLiteral("Baker"), QStringLiteral("Bank"), QStringLiteral("555-2"));
        f.form->RefreshContactQuery();
        const QString text = f.PrintTab(f.form->TabSheetCONTACTS);
        QVERIFY2(text.contains(QStringLiteral("Contacts")), qPrintable(text));
        QCOMPARE(text.count(QRegularExpression(QStringLiteral("Group: ?All"))), 2);
        QVERIFY(text.contains(QRegularExpression(QStringLiteral("Entries: ?2"))));
        QVERIFY(text.contains(QStringLiteral("Internet")));
        QVERIFY(text.indexOf(QStringLiteral("Adams")) < text.indexOf(QStringLiteral("Baker")));
        QVERIFY(text.contains(QStringLiteral("555-2")));
        QVERIFY(text.contains(QStringLiteral("Page: 1")));
        QVERIFY(text.contains(QStringLiteral("Quellmire Organizer")));

        f.form->ComboBox_Contact_Group->setCurrentText(QStringLiteral("Bank"));
        f.form->RefreshContactQuery();
        const QString bank = f.PrintTab(f.form->TabSheetCONTACTS);
        QCOMPARE(bank.count(QRegularExpression(QStringLiteral("Group: ?Bank"))), 2);
        QVERIFY(!bank.contains(QStringLiteral("Adams")));
    }

    void oneShotReportFollowsTheFindTextAndCountsWhatItLists() {
        PrintFixture f;
        testrows::OneShot(f.env, QStringLiteral("dentist"), QStringLiteral("2026-12-09"));
        testrows::OneShot(f.env, QStringLiteral("garage"), QStringLiteral("2026-12-10"));
        f.form->Edit_Find_Shot->setText(QStringLiteral("dent"));
        f.form->RefreshShotQuery();
        QCOMPARE(f.form->QueryShot->RecordCount(), 1);
        const QString text = f.PrintTab(f.form->TabSheetShot);
        QVERIFY2(text.contains(QStringLiteral("One Shot")), qPrintable(text));
        QVERIFY(text.contains(QRegularExpression(QStringLiteral("Entries: ?1\\b"))));
        QVERIFY(text.contains(QStringLiteral("dentist")));
        QVERIFY(!text.contains(QStringLiteral("garage")));
        QVERIFY(text.contains(QStringLiteral("12/9/26")));
    }

    void tasksReportShowsTheChosenDayAndThePrintingMoment() {
        PrintFixture f;
        f.form->DateTimePickerTODAY->setDate(QDate(2026, 12, 8));
        f.form->RefreshTodayQuery();
        const QString text = f.PrintTab(f.form->TabSheetTODAY);
        QVERIFY2(text.contains(QStringLiteral("Daily Plan")), qPrintable(text));
        QVERIFY(text.contains(QStringLiteral("Tuesday 08 December 2026")));
        QVERIFY(text.contains(QStringLiteral("Today: ") + FormatDateTime(QStringLiteral("c"), Now())));
    }

    void emptyListPrintsOnePageWithTitleHeaderAndFooter() {
        PrintFixture f;
        f.form->RefreshToDoQuery();
        QCOMPARE(f.form->QueryToDo->RecordCount(), 0);
        const QString text = f.PrintTab(f.form->TabSheetToDo);
        QVERIFY2(text.contains(QStringLiteral("To-Do!")), qPrintable(text));
        QVERIFY(text.contains(QStringLiteral("Description")));
        QVERIFY(text.contains(QRegularExpression(QStringLiteral("Entries: ?0"))));
        QVERIFY(text.contains(QStringLiteral("Page: 1")));
        QVERIFY(!text.contains(QStringLiteral("Page: 2")));
    }

    void longListRunsOnWithHeadersAndFootersOnEveryPage() {
        PrintFixture f;
        for (int i = 0; i < 60; ++i)
            testrows::Monthly(f.env, QStringLiteral("entry%1").arg(i, 2, 10, QLatin1Char('0')),
                              QStringLiteral("%1").arg(i % 28 + 1, 2, 10, QLatin1Char('0')));
        f.form->RefreshMonthQuery();
        const QString text = f.PrintTab(f.form->TabSheetMonth);
        const QStringList pages = text.split(u'\f', Qt::SkipEmptyParts);
        QVERIFY2(pages.size() >= 2, qPrintable(text));
        for (int page = 0; page < pages.size() - 1; ++page) {
            if (pages[page].trimmed().isEmpty())
                continue;
            QVERIFY(pages[page].contains(QStringLiteral("Description")));
            QVERIFY(pages[page].contains(QStringLiteral("Page: %1").arg(page + 1)));
        }
        QVERIFY(text.contains(QRegularExpression(QStringLiteral("Entries: ?60"))));
        for (int i = 0; i < 60; ++i)
            QCOMPARE(text.count(QStringLiteral("entry%1").arg(i, 2, 10, QLatin1Char('0'))), 1);
    }

    void notesAndOptionsPrintNothing() {
        PrintFixture f;
        for (QWidget* page : {f.form->TabSheetNotes, f.form->TabSheetSetup}) {
            f.form->PageControlMenu->setCurrentWidget(page);
            f.form->Print1Click();
            f.form->PrintPreview1Click();
        }
        QCOMPARE(ReportSeam::PrintedCount(), 0);
        QCOMPARE(ModalSeam::UnhandledCount(), 0);
    }

    void previewShowsTheReportAndMenusReachTheSameHandlers() {
        PrintFixture f;
        testrows::Weekly(f.env, QStringLiteral("gym"), QStringLiteral("Monday"), 1);
        f.form->RefreshWeekQuery();
        f.form->PageControlMenu->setCurrentWidget(f.form->TabSheetWEEK);
        bool previewed = false;
        ModalSeam::Queue([&previewed](QDialog& dialog) {
            previewed = qobject_cast<QPrintPreviewDialog*>(&dialog) != nullptr;
            dialog.reject();
        });
        f.form->PrintPreview1->trigger();
        QVERIFY(previewed);
        QCOMPARE(ModalSeam::UnhandledCount(), 0);

        f.form->show();
        f.form->SpeedButtonDupliWeek->click();
        QVERIFY(f.form->PopupMenu_STAMPA->isVisible());
        const QList<QAction*> items = f.form->PopupMenu_STAMPA->actions();
        QCOMPARE(items.size(), 4);
        QCOMPARE(items[0]->text(), QStringLiteral("Preview"));
        QCOMPARE(items[3]->text(), QStringLiteral("Cancel"));
        f.form->Print1->trigger();
        f.form->PopupMenu_STAMPA->hide();
        QCOMPARE(ReportSeam::PrintedCount(), 1);
        QVERIFY(PdfText(f.pdf).contains(QStringLiteral("gym")));
        f.form->Stampa3->trigger();
        QCOMPARE(ReportSeam::PrintedCount(), 2);
    }
};

QTEST_MAIN(TestReports)
#include "tst_reports.moc"
