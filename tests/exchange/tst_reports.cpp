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

struct PdfWord {
    int page = 0;
    QRectF box; // in points, from the page's top left
    QString text;
};

// Every word of a printed PDF with its place on its page.
QList<PdfWord> PdfWords(const QString& file) {
    QProcess process;
    process.start(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), file, QStringLiteral("-")});
    if (!process.waitForFinished(30000) || process.exitCode() != 0)
        return {};
    const QString html = QString::fromUtf8(process.readAllStandardOutput());
    static const QRegularExpression item(
        QStringLiteral("<page |<word xMin=\"([\\d.]+)\" yMin=\"([\\d.]+)\" xMax=\"([\\d.]+)\" "
                       "yMax=\"([\\d.]+)\">([^<]*)</word>"));
    QList<PdfWord> words;
    int page = 0;
    for (const QRegularExpressionMatch& m : item.globalMatch(html)) {
        if (m.captured(0).startsWith(QLatin1String("<page"))) {
            ++page;
            continue;
        }
        const QPointF topLeft(m.captured(1).toDouble(), m.captured(2).toDouble());
        const QPointF bottomRight(m.captured(3).toDouble(), m.captured(4).toDouble());
        QString text = m.captured(5);
        text.replace(QLatin1String("&lt;"), QLatin1String("<"))
            .replace(QLatin1String("&gt;"), QLatin1String(">"));
        text.replace(QLatin1String("&quot;"), QLatin1String("\""))
            .replace(QLatin1String("&amp;"), QLatin1String("&"));
        words.append({page, QRectF(topLeft, bottomRight), text});
    }
    return words;
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

    void longFieldsWrapInsideTheirColumnsAndNothingIsCut() {
        PrintFixture f;
        const QString name = QStringLiteral("Bartholomew Featherstonehaugh Worthington of Little Snoring");
        const QString email =
            QStringLiteral("bartholomew.featherstonehaugh.longname@accountsdepartment.example.org");
        const QString address = QStringLiteral("Flat 12 The Old Counting House 147 Upper Thames Street "
                                               "Blackfriars London EC4V 3PQ United Kingdom");
        const QString site =
            QStringLiteral("https://www.example.org/people/bartholomew/featherstonehaugh/index.html");
        testrows::Exec(
            f.env, QStringLiteral("QMcon26"),
            QStringLiteral("INSERT INTO QMcon26 (ragsoc,company,tel,mobile,fax,indirizzo,email,site,"
                           "note,gruppo,allegato) VALUES ('%1','Accounts','555-1','','','%2','%3','%4',"
                           "'','','')")
                .arg(name, address, email, site));
        f.form->RefreshContactQuery();

        // Printed as the user prints: the tab's Print button, then "Print" in its menu.
        f.form->show();
        f.form->PageControlMenu->setCurrentWidget(f.form->TabSheetCONTACTS);
        QVERIFY(QTest::qWaitForWindowExposed(f.form));
        QTest::mouseClick(f.form->SpeedButtonPrintcontact, Qt::LeftButton);
        QMenu* menu = f.form->PopupMenu_STAMPA;
        QVERIFY(menu->isVisible());
        QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(f.form->Print1).center());
        QCOMPARE(ReportSeam::PrintedCount(), 1);

        const QList<PdfWord> words = PdfWords(f.pdf);
        QVERIFY(!words.isEmpty());
        // The columns begin where their captions do.
        const QStringList captions = {"Name", "Company", "Phone",   "Mobile",
                                      "Fax",  "E-mail",  "Address", "Internet"};
        QList<double> starts;
        double headerBottom = 0;
        for (const QString& caption : captions) {
            const auto at =
                std::find_if(words.begin(), words.end(), [&](const PdfWord& w) { return w.text == caption; });
            QVERIFY2(at != words.end(), qPrintable(caption));
            starts << at->box.left();
            headerBottom = qMax(headerBottom, at->box.bottom());
        }
        // The footer's page number ends at the right edge of the page; the footer starts below the rows.
        const auto pageWord = std::find_if(words.begin(), words.end(),
                                           [](const PdfWord& w) { return w.text == QLatin1String("Page:"); });
        QVERIFY(pageWord != words.end() && pageWord + 1 != words.end());
        const double pageRight = (pageWord + 1)->box.right();
        const double footerTop = pageWord->box.top();
        QList<QStringList> columns(captions.size());
        for (const PdfWord& word : words) {
            if (word.page != 1 || word.box.top() < headerBottom)
                continue;
            if (word.box.top() >= footerTop)
                continue;
            int column = 0;
            while (column + 1 < starts.size() && word.box.left() >= starts[column + 1] - 0.5)
                ++column;
            const double right = column + 1 < starts.size() ? starts[column + 1] - 4 : pageRight;
            QVERIFY2(word.box.left() >= starts[column] - 0.5 && word.box.right() <= right + 0.5,
                     qPrintable(QStringLiteral("%1 at %2..%3 leaves column %4")
                                    .arg(word.text)
                                    .arg(word.box.left())
                                    .arg(word.box.right())
                                    .arg(captions[column])));
            columns[column] << word.text;
        }
        QCOMPARE(columns[0].join(u' '), name);
        QCOMPARE(columns[1].join(u' '), QStringLiteral("Accounts"));
        QVERIFY(columns[5].size() > 1); // broken inside the address, and every character kept
        QCOMPARE(columns[5].join(QString()), email);
        QCOMPARE(columns[6].join(u' '), address);
        QCOMPARE(columns[7].join(QString()), site);
    }

    void rowTallerThanAPageGoesOnOverTheNext() {
        PrintFixture f;
        QStringList lines;
        for (int i = 1; i <= 70; ++i)
            lines << QStringLiteral("line%1").arg(i, 2, 10, QLatin1Char('0'));
        testrows::OneShot(f.env, QStringLiteral("tall"), QStringLiteral("2026-12-09"),
                          QStringLiteral("09:00"), QString(),
                          QStringLiteral("'") + lines.join(u'\n') + QStringLiteral("'"));
        // One row before the tall one and one after it, whichever way the list is sorted.
        testrows::OneShot(f.env, QStringLiteral("early"), QStringLiteral("2026-12-08"));
        testrows::OneShot(f.env, QStringLiteral("late"), QStringLiteral("2026-12-10"));
        f.form->RefreshShotQuery();
        f.PrintTab(f.form->TabSheetShot);
        const QList<PdfWord> words = PdfWords(f.pdf);
        QStringList printed;
        int lastPage = 0;
        double footerTop = 0;
        for (const PdfWord& word : words) {
            if (word.text == QLatin1String("Quellmire"))
                footerTop = word.box.top();
        }
        QVERIFY(footerTop > 0);
        for (const PdfWord& word : words) {
            if (!word.text.startsWith(QLatin1String("line")))
                continue;
            printed << word.text;
            QVERIFY2(word.box.bottom() < footerTop, qPrintable(word.text)); // never over the footer
            lastPage = qMax(lastPage, word.page);
        }
        QCOMPARE(printed, lines);
        QVERIFY(lastPage >= 2);
        QList<int> neighbourPages;
        for (const PdfWord& word : words) {
            if (word.text == QLatin1String("early") || word.text == QLatin1String("late"))
                neighbourPages << word.page;
        }
        QCOMPARE(neighbourPages, (QList<int>{1, lastPage}));
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
