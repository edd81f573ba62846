#include "MessageBox.h"
#include "platform/WindowFocus.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMessageBox>
#include <QMutex>
#include <QPushButton>
#include <QQueue>

namespace qm {

namespace {

struct SeamState {
    QMutex mutex;
    bool enabled = false;
    QQueue<int> answers;
    QList<ShownBox> shown;
    std::function<void(const ShownBox&)> whileOpen;
};

SeamState& Seam() {
    static SeamState state;
    return state;
}

int ButtonsOf(int flags) {
    return flags & 0x0F;
}

int DefaultAnswer(int flags) {
    switch (ButtonsOf(flags)) {
    case Mb::YesNo:
        return Id::No;
    case Mb::OkCancel:
    case Mb::YesNoCancel:
        return Id::Cancel;
    default:
        return Id::Ok;
    }
}

// A question without Cancel is answered only by its buttons: Esc and the window's close button,
// which Qt would take as No, do nothing, as on the platform the flags come from.
class QuestionBox : public QMessageBox {
public:
    using QMessageBox::QMessageBox;
    bool answersOnlyByButtons = false;

protected:
    void keyPressEvent(QKeyEvent* event) override {
        if (answersOnlyByButtons && event->matches(QKeySequence::Cancel)) {
            event->accept();
            return;
        }
        QMessageBox::keyPressEvent(event);
    }
    void closeEvent(QCloseEvent* event) override {
        if (answersOnlyByButtons) {
            event->ignore();
            return;
        }
        QMessageBox::closeEvent(event);
    }
};

// The application's title: its display name when the program set one, else the product name
// (Qt would otherwise fall back to the file name of the executable).
QString ApplicationTitle() {
    const QString executable = QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName();
    const QString title = qobject_cast<QGuiApplication*>(QCoreApplication::instance())
                              ? QGuiApplication::applicationDisplayName()
                              : QCoreApplication::applicationName();
    if (title.isEmpty() || title == executable)
        return QStringLiteral("Quellmire Organizer");
    return title;
}

QMessageBox::Icon IconOf(int flags) {
    switch (flags & 0xF0) {
    case Mb::IconError:
        return QMessageBox::Critical;
    case Mb::IconQuestion:
        return QMessageBox::Question;
    case Mb::IconExclamation:
        return QMessageBox::Warning;
    case Mb::IconInformation:
        return QMessageBox::Information;
    default:
        return QMessageBox::NoIcon;
    }
}

// The box is centred over the window it speaks for: the open modal dialog, which the window
// manager may not have made active yet, else the active window.
QWidget* BoxOwner() {
    if (QWidget* modal = QApplication::activeModalWidget())
        return modal;
    return QApplication::activeWindow();
}

int ShowBox(const QString& text, const QString& caption, int flags) {
    if (!qobject_cast<QApplication*>(QCoreApplication::instance())) {
        qWarning("%s: %s", qUtf8Printable(caption), qUtf8Printable(text));
        return DefaultAnswer(flags);
    }
    QString shownText = text;
    shownText.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    shownText.replace(u'\r', u'\n');

    QuestionBox box(IconOf(flags), caption, shownText, QMessageBox::NoButton, BoxOwner());
    // User data goes into these texts; it must never be read as markup.
    box.setTextFormat(Qt::PlainText);
    struct Answer {
        QMessageBox::StandardButton button;
        int id;
    };
    QList<Answer> answers;
    switch (ButtonsOf(flags)) {
    case Mb::YesNo:
        answers = {{QMessageBox::Yes, Id::Yes}, {QMessageBox::No, Id::No}};
        break;
    case Mb::YesNoCancel:
        answers = {{QMessageBox::Yes, Id::Yes}, {QMessageBox::No, Id::No}, {QMessageBox::Cancel, Id::Cancel}};
        break;
    case Mb::OkCancel:
        answers = {{QMessageBox::Ok, Id::Ok}, {QMessageBox::Cancel, Id::Cancel}};
        break;
    default:
        answers = {{QMessageBox::Ok, Id::Ok}};
        break;
    }
    QList<QPushButton*> buttons;
    for (const Answer& answer : answers)
        buttons << box.addButton(answer.button);
    box.setDefaultButton(buttons.first());
    if (ButtonsOf(flags) == Mb::YesNo) {
        box.answersOnlyByButtons = true;
        box.setWindowFlags((box.windowFlags() | Qt::CustomizeWindowHint | Qt::WindowTitleHint) &
                           ~Qt::WindowCloseButtonHint);
    } else {
        box.setEscapeButton(buttons.last());
    }
    {
        const TOwnedWindow owned(&box);
        box.exec();
    }
    for (qsizetype i = 0; i < buttons.size(); ++i)
        if (box.clickedButton() == buttons[i])
            return answers[i].id;
    return DefaultAnswer(flags);
}

} // namespace

int MessageBox(const QString& text, const QString& caption, int flags) {
    SeamState& seam = Seam();
    std::function<void(const ShownBox&)> whileOpen;
    qsizetype index = -1;
    {
        QMutexLocker lock(&seam.mutex);
        if (seam.enabled) {
            index = seam.shown.size();
            seam.shown.append({text, caption, flags, true});
            whileOpen = seam.whileOpen;
        }
    }
    // A real box runs its own event loop, so it is shown outside the lock.
    if (index < 0)
        return ShowBox(text, caption, flags);
    // Outside the lock: the action may show boxes of its own, which are answered first.
    if (whileOpen)
        whileOpen(ShownBox{text, caption, flags, true});
    QMutexLocker lock(&seam.mutex);
    if (!seam.answers.isEmpty())
        return seam.answers.dequeue();
    if (index < seam.shown.size())
        seam.shown[index].answered = false;
    return DefaultAnswer(flags);
}

void ShowMessage(const QString& text) {
    MessageBox(text, ApplicationTitle(), Mb::Ok);
}

namespace MessageBoxSeam {

void Enable() {
    QMutexLocker lock(&Seam().mutex);
    Seam().enabled = true;
}

void Disable() {
    QMutexLocker lock(&Seam().mutex);
    Seam().enabled = false;
}

bool IsEnabled() {
    QMutexLocker lock(&Seam().mutex);
    return Seam().enabled;
}

void QueueAnswer(int answer) {
    QMutexLocker lock(&Seam().mutex);
    Seam().answers.enqueue(answer);
}

QList<ShownBox> Shown() {
    QMutexLocker lock(&Seam().mutex);
    return Seam().shown;
}

int UnansweredCount() {
    QMutexLocker lock(&Seam().mutex);
    int count = 0;
    for (const ShownBox& box : Seam().shown) {
        if (!box.answered)
            ++count;
    }
    return count;
}

void WhileOpen(std::function<void(const ShownBox&)> action) {
    QMutexLocker lock(&Seam().mutex);
    Seam().whileOpen = std::move(action);
}

void Reset() {
    QMutexLocker lock(&Seam().mutex);
    Seam().answers.clear();
    Seam().shown.clear();
    Seam().whileOpen = nullptr;
}

} // namespace MessageBoxSeam

} // namespace qm
