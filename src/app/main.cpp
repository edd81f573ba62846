#include "app/MainForm.h"
#include "app/SplashForm.h"
#include "desktop/MainInstance.h"
#include "dialogs/SelectForm.h"
#include "platform/Application.h"
#include "platform/ProgramFolder.h"
#include "platform/UserAccount.h"

#include <QFileInfo>
#include <QIcon>
#include <memory>
#include <sys/stat.h>

int main(int argc, char** argv) {
    // Everything the program creates (archive, notes, tables and their journals, small files) is
    // the user's alone.
    ::umask(077);
    qm::QmApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quellmire Organizer"));
    QApplication::setApplicationDisplayName(QStringLiteral("Quellmire Organizer"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/quellmire.png")));
    // The window lives on in the notification area; only the quit road ends the program.
    QApplication::setQuitOnLastWindowClosed(false);

    // One copy per user: a later one hands its command line to this one and ends at once.
    qm::TMainInstance mainInstance1(qm::LoginName());
    if (!mainInstance1.Start(QApplication::arguments()))
        return 0;

    std::unique_ptr<qm::TSplashForm> splash = std::make_unique<qm::TSplashForm>();
    if (!QFileInfo::exists(qm::ProgramFolder() + QStringLiteral("nosplash"))) {
        splash->show();
        splash->repaint();
        QApplication::processEvents();
    }

    std::unique_ptr<qm::TMainForm> mainForm;
    const bool built = qm::Guarded([&] { mainForm = std::make_unique<qm::TMainForm>(); });
    // The date picker lives as long as the main window, which owns it.
    if (built) {
        qm::SelectForm = new qm::TSelectForm(mainForm.get());
        qm::TMainForm* form = mainForm.get();
        QObject::connect(&mainInstance1, &qm::TMainInstance::Called, form, [form](const QString& text) {
            qm::Guarded([form, &text] { form->CalledByLaterStart(text); });
        });
        // A copy started while this one was starting is answered now.
        mainInstance1.SetReady();
    }
    splash.reset();
    if (!built || mainForm->TerminateRequested())
        return built ? 0 : 1;
    return QApplication::exec();
}
