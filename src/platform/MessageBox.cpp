#include "MessageBox.h"

#include <QApplication>
#include <QFileInfo>
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

bool IsYesNo(int flags) {
    return (flags & 0x0F) == Mb::YesNo;
}

int DefaultAnswer(int flags) {
    return IsYesNo(flags) ? Id::No : Id::Ok;
}

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

    QMessageBox box(IconOf(flags), caption, shownText, QMessageBox::NoButton, BoxOwner());
    // User data goes into these texts; it must never be read as markup.
    box.setTextFormat(Qt::PlainText);
    if (IsYesNo(flags)) {
        QPushButton* yes = box.addButton(QMessageBox::Yes);
        QPushButton* no = box.addButton(QMessageBox::No);
        box.setDefaultButton(yes);
        box.setEscapeButton(no);
        box.exec();
        return box.clickedButton() == yes ? Id::Yes : Id::No;
    }
    QPushButton* ok = box.addButton(QMessageBox::Ok);
    box.setDefaultButton(ok);
    box.setEscapeButton(ok);
    box.exec();
    return Id::Ok;
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
