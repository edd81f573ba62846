#include "platform/MessageBox.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

using namespace qm;

class TestMessageBox : public QObject {
    Q_OBJECT

private slots:
    void init() {
        MessageBoxSeam::Reset();
        MessageBoxSeam::Enable();
    }
    void cleanup() {
        MessageBoxSeam::Disable();
        MessageBoxSeam::Reset();
        QGuiApplication::setApplicationDisplayName(QString());
    }

    void queuedAnswersInOrder();
    void unansweredBoxes();
    void resetClearsQueueAndRecords();
    void textRecordedAsGiven();
    void showMessageCaption();
    void realBoxShowsPlainTextAndLineBreaks();
    void realBoxAnswers_data();
    void realBoxAnswers();

private:
    // Acts on the box once it is shown; the event loop of exec() runs the zero timer.
    template <typename Action> static void WhenBoxShown(Action action) {
        QTimer::singleShot(0, qApp, [action] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            QVERIFY(box);
            action(box);
        });
    }
};

void TestMessageBox::queuedAnswersInOrder() {
    MessageBoxSeam::QueueAnswer(Id::Yes);
    MessageBoxSeam::QueueAnswer(Id::No);
    MessageBoxSeam::QueueAnswer(Id::Ok);

    QCOMPARE(MessageBox("Delete?", "First", Mb::YesNo | Mb::IconQuestion), Id::Yes);
    QCOMPARE(MessageBox("Really?", "Second", Mb::YesNo | Mb::IconExclamation), Id::No);
    QCOMPARE(MessageBox("Done.", "Third", Mb::Ok | Mb::IconInformation), Id::Ok);

    const QList<ShownBox> shown = MessageBoxSeam::Shown();
    QCOMPARE(shown.size(), 3);
    QCOMPARE(shown[0].text, "Delete?");
    QCOMPARE(shown[0].caption, "First");
    QCOMPARE(shown[0].flags, Mb::YesNo | Mb::IconQuestion);
    QCOMPARE(shown[1].caption, "Second");
    QCOMPARE(shown[1].flags, 0x34);
    QCOMPARE(shown[2].flags, 0x40);
    for (const ShownBox& box : shown)
        QVERIFY(box.answered);
    QCOMPARE(MessageBoxSeam::UnansweredCount(), 0);
}

void TestMessageBox::unansweredBoxes() {
    QCOMPARE(MessageBox("Delete?", "Caption", Mb::YesNo), Id::No);
    QCOMPARE(MessageBox("Note", "Caption", Mb::IconError), Id::Ok);
    MessageBoxSeam::QueueAnswer(Id::Yes);
    QCOMPARE(MessageBox("Again?", "Caption", Mb::YesNo), Id::Yes);

    const QList<ShownBox> shown = MessageBoxSeam::Shown();
    QCOMPARE(shown.size(), 3);
    QVERIFY(!shown[0].answered);
    QVERIFY(!shown[1].answered);
    QVERIFY(shown[2].answered);
    QCOMPARE(MessageBoxSeam::UnansweredCount(), 2);
}

void TestMessageBox::resetClearsQueueAndRecords() {
    MessageBoxSeam::QueueAnswer(Id::Yes);
    MessageBox("One", "Caption", Mb::YesNo);
    MessageBox("Two", "Caption", Mb::YesNo);
    MessageBoxSeam::QueueAnswer(Id::Yes);
    MessageBoxSeam::Reset();
    QVERIFY(MessageBoxSeam::Shown().isEmpty());
    QCOMPARE(MessageBoxSeam::UnansweredCount(), 0);
    QVERIFY(MessageBoxSeam::IsEnabled());
    QCOMPARE(MessageBox("Three", "Caption", Mb::YesNo), Id::No); // the queued Yes is gone
}

void TestMessageBox::textRecordedAsGiven() {
    MessageBoxSeam::QueueAnswer(Id::Ok);
    MessageBox("Line one\rLine two\r\n<b>not bold</b>", "Caption", Mb::Ok);
    QCOMPARE(MessageBoxSeam::Shown().first().text, "Line one\rLine two\r\n<b>not bold</b>");
}

void TestMessageBox::showMessageCaption() {
    MessageBoxSeam::QueueAnswer(Id::Ok);
    MessageBoxSeam::QueueAnswer(Id::Ok);
    // Unset, Qt would offer the executable's name; the product name stands in for it.
    ShowMessage("Saved.");
    QGuiApplication::setApplicationDisplayName(QStringLiteral("My Organizer"));
    ShowMessage("Saved again.");

    const QList<ShownBox> shown = MessageBoxSeam::Shown();
    QCOMPARE(shown.size(), 2);
    QCOMPARE(shown[0].text, "Saved.");
    QCOMPARE(shown[0].caption, "Quellmire Organizer");
    QCOMPARE(shown[0].flags, 0);
    QCOMPARE(shown[1].caption, "My Organizer");
    QCOMPARE(MessageBoxSeam::UnansweredCount(), 0);
}

void TestMessageBox::realBoxShowsPlainTextAndLineBreaks() {
    MessageBoxSeam::Disable();
    QString text;
    QString caption;
    Qt::TextFormat format = Qt::AutoText;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    WhenBoxShown([&](QMessageBox* box) {
        text = box->text();
        caption = box->windowTitle();
        format = box->textFormat();
        icon = box->icon();
        box->button(QMessageBox::Ok)->click();
    });
    QCOMPARE(MessageBox("One\rTwo\r\nThree <b>x</b>", "Title", Mb::IconExclamation), Id::Ok);
    QCOMPARE(text, "One\nTwo\nThree <b>x</b>");
    QCOMPARE(caption, "Title");
    QCOMPARE(format, Qt::PlainText);
    QCOMPARE(icon, QMessageBox::Warning);
    QVERIFY(MessageBoxSeam::Shown().isEmpty());
}

void TestMessageBox::realBoxAnswers_data() {
    QTest::addColumn<int>("flags");
    QTest::addColumn<QString>("action");
    QTest::addColumn<int>("expected");
    QTest::addColumn<int>("icon");

    QTest::newRow("yes") << (Mb::YesNo | Mb::IconQuestion) << "yes" << Id::Yes << int(QMessageBox::Question);
    QTest::newRow("no") << (Mb::YesNo | Mb::IconError) << "no" << Id::No << int(QMessageBox::Critical);
    QTest::newRow("closed yes/no") << Mb::YesNo << "close" << Id::No << int(QMessageBox::NoIcon);
    QTest::newRow("escape yes/no") << Mb::YesNo << "escape" << Id::No << int(QMessageBox::NoIcon);
    QTest::newRow("closed ok") << Mb::IconInformation << "close" << Id::Ok << int(QMessageBox::Information);
}

void TestMessageBox::realBoxAnswers() {
    QFETCH(int, flags);
    QFETCH(QString, action);
    QFETCH(int, expected);
    QFETCH(int, icon);
    MessageBoxSeam::Disable();
    int shownIcon = -1;
    int buttons = 0;
    WhenBoxShown([&](QMessageBox* box) {
        shownIcon = int(box->icon());
        buttons = int(box->buttons().size());
        if (action == "yes")
            box->button(QMessageBox::Yes)->click();
        else if (action == "no")
            box->button(QMessageBox::No)->click();
        else if (action == "escape")
            QTest::keyClick(box, Qt::Key_Escape);
        else
            box->close();
    });
    QCOMPARE(MessageBox("Question", "Caption", flags), expected);
    QCOMPARE(shownIcon, icon);
    QCOMPARE(buttons, (flags & 0x0F) == Mb::YesNo ? 2 : 1);
}

QTEST_MAIN(TestMessageBox)
#include "tst_messagebox.moc"
