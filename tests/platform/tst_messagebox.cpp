#include "platform/MessageBox.h"
#include "support/RealMessageBox.h"

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
    WhenBoxShows([&](QMessageBox* box) {
        text = box->text();
        caption = box->windowTitle();
        format = box->textFormat();
        icon = box->icon();
        ClickBoxButton(box, QMessageBox::Ok);
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
    QTest::addColumn<QStringList>("hand"); // all but the last leave the box open
    QTest::addColumn<int>("expected");
    QTest::addColumn<int>("icon");

    const int yesNo = Mb::YesNo;
    QTest::newRow("yes") << (yesNo | Mb::IconQuestion) << QStringList{"yes"} << Id::Yes
                         << int(QMessageBox::Question);
    QTest::newRow("no") << (yesNo | Mb::IconError) << QStringList{"no"} << Id::No
                        << int(QMessageBox::Critical);
    // Esc and the close button never answer a question that has no Cancel.
    QTest::newRow("escape yes/no") << yesNo << QStringList{"escape", "close", "yes"} << Id::Yes
                                   << int(QMessageBox::NoIcon);
    QTest::newRow("closed yes/no") << yesNo << QStringList{"close", "escape", "no"} << Id::No
                                   << int(QMessageBox::NoIcon);
    QTest::newRow("escape yes/no/cancel")
        << Mb::YesNoCancel << QStringList{"escape"} << Id::Cancel << int(QMessageBox::NoIcon);
    QTest::newRow("no of yes/no/cancel")
        << Mb::YesNoCancel << QStringList{"no"} << Id::No << int(QMessageBox::NoIcon);
    QTest::newRow("closed ok/cancel") << (Mb::OkCancel | Mb::IconExclamation) << QStringList{"close"}
                                      << Id::Cancel << int(QMessageBox::Warning);
    QTest::newRow("ok of ok/cancel") << Mb::OkCancel << QStringList{"ok"} << Id::Ok
                                     << int(QMessageBox::NoIcon);
    QTest::newRow("escape ok") << Mb::Ok << QStringList{"escape"} << Id::Ok << int(QMessageBox::NoIcon);
    QTest::newRow("closed ok") << Mb::IconInformation << QStringList{"close"} << Id::Ok
                               << int(QMessageBox::Information);
}

void TestMessageBox::realBoxAnswers() {
    QFETCH(int, flags);
    QFETCH(QStringList, hand);
    QFETCH(int, expected);
    QFETCH(int, icon);
    MessageBoxSeam::Disable();
    int shownIcon = -1;
    QStringList buttons;
    bool closeButton = true;
    QStringList after; // the box's state after each action of the hand
    bool keysInTheBox = true;
    WhenBoxShows([&](QMessageBox* box) {
        shownIcon = int(box->icon());
        for (QAbstractButton* button : box->buttons())
            buttons << button->text().remove(u'&');
        closeButton = box->windowFlags().testFlag(Qt::WindowCloseButtonHint);
        for (const QString& action : hand) {
            if (action == "escape")
                keysInTheBox = KeyIntoBox(box, Qt::Key_Escape) && keysInTheBox;
            else if (action == "close")
                box->close(); // the window manager's close button
            else
                ClickBoxButton(box, action == "yes"  ? QMessageBox::Yes
                                    : action == "no" ? QMessageBox::No
                                                     : QMessageBox::Ok);
            after << (box->isVisible() ? "open" : "answered");
        }
        if (box->isVisible())
            box->done(0); // a fault: the test must not wait on it
    });
    const int answer = MessageBox("Question", "Caption", flags);
    QVERIFY(keysInTheBox);
    QStringList expectedAfter(hand.size() - 1, "open");
    expectedAfter << "answered";
    QCOMPARE(after, expectedAfter);
    QCOMPARE(answer, expected);
    QCOMPARE(shownIcon, icon);
    const int kind = flags & 0x0F;
    buttons.sort(); // the style decides their order
    QCOMPARE(buttons, kind == Mb::YesNo         ? QStringList({"No", "Yes"})
                      : kind == Mb::YesNoCancel ? QStringList({"Cancel", "No", "Yes"})
                      : kind == Mb::OkCancel    ? QStringList({"Cancel", "OK"})
                                                : QStringList({"OK"}));
    QCOMPARE(closeButton, kind != Mb::YesNo);
}

QTEST_MAIN(TestMessageBox)
#include "tst_messagebox.moc"
