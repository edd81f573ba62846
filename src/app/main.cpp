#include "app/MainForm.h"
#include "app/SplashForm.h"
#include "dialogs/SelectForm.h"
#include "platform/Application.h"
#include "platform/ProgramFolder.h"

#include <QFileInfo>
#include <QIcon>
#include <memory>

int main(int argc, char** argv) {
    qm::QmApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quellmire Organizer"));
    QApplication::setApplicationDisplayName(QStringLiteral("Quellmire Organizer"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/quellmire.png")));

    std::unique_ptr<qm::TSplashForm> splash = std::make_unique<qm::TSplashForm>();
    if (!QFileInfo::exists(qm::ProgramFolder() + QStringLiteral("nosplash"))) {
        splash->show();
        splash->repaint();
        QApplication::processEvents();
    }

    std::unique_ptr<qm::TMainForm> mainForm;
    const bool built = qm::Guarded([&] { mainForm = std::make_unique<qm::TMainForm>(); });
    // The date picker lives as long as the main window, which owns it.
    if (built)
        qm::SelectForm = new qm::TSelectForm(mainForm.get());
    splash.reset();
    if (!built || mainForm->TerminateRequested())
        return built ? 0 : 1;
    return QApplication::exec();
}
