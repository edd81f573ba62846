#include "platform/Dialogs.h"

#include "platform/Modal.h"

#include <QColorDialog>
#include <QFileDialog>
#include <QFileInfo>
#include <QRegularExpression>

namespace qm {

namespace {

struct SeamState {
    bool enabled = false;
    QList<std::optional<TColor>> colors;
    QList<std::optional<QString>> files;
    QList<int> fileTypes; // the type picked with each queued file; 0 = the one preselected
    QList<ShownDialog> shown;
    int unhandled = 0;
};

SeamState& Seam() {
    static SeamState state;
    return state;
}

std::optional<QString> SeamFile(const QString& kind, const QString& initialDir, const QString& filter,
                                const QString& defaultExt) {
    SeamState& seam = Seam();
    seam.shown.append({kind, initialDir, filter, defaultExt});
    if (seam.files.isEmpty()) {
        ++seam.unhandled;
        return std::nullopt;
    }
    seam.fileTypes.removeFirst();
    return seam.files.takeFirst();
}

int SeamFileType() {
    const SeamState& seam = Seam();
    return seam.fileTypes.isEmpty() ? 0 : seam.fileTypes.constFirst();
}

// Asks for a file with a Qt file dialog; nullopt when cancelled.
std::optional<QString> AskFile(QWidget* parent, QFileDialog::AcceptMode mode, const QString& title,
                               const QString& fileName, const QString& initialDir, const QString& filter,
                               TSaveDialog* saveDialog = nullptr) {
    QFileDialog dialog(parent, title, initialDir);
    // The same dialog on every desktop, and the program asks before overwriting, not the dialog.
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    dialog.setAcceptMode(mode);
    dialog.setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    if (!filter.isEmpty())
        dialog.setNameFilter(QtFileFilter(filter));
    if (!fileName.isEmpty())
        dialog.selectFile(fileName);
    if (saveDialog && !filter.isEmpty()) {
        const QStringList filters = dialog.nameFilters();
        if (saveDialog->FilterIndex >= 1 && saveDialog->FilterIndex <= filters.size())
            dialog.selectNameFilter(filters[saveDialog->FilterIndex - 1]);
        QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog,
                         [&dialog, saveDialog](const QString& chosen) {
                             saveDialog->FilterIndex = int(dialog.nameFilters().indexOf(chosen)) + 1;
                             if (saveDialog->OnTypeChange)
                                 saveDialog->OnTypeChange();
                         });
    }
    if (RunModal(dialog) != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    // The type shown when the dialog closed decides, however it came to be picked.
    if (saveDialog && !filter.isEmpty()) {
        const int picked = int(dialog.nameFilters().indexOf(dialog.selectedNameFilter())) + 1;
        if (picked > 0 && picked != saveDialog->FilterIndex) {
            saveDialog->FilterIndex = picked;
            if (saveDialog->OnTypeChange)
                saveDialog->OnTypeChange();
        }
    }
    return dialog.selectedFiles().constFirst();
}

} // namespace

QString QtFileFilter(const QString& filter) {
    static const QRegularExpression trailingPatterns(QStringLiteral("\\s*\\([^()]*\\)\\s*$"));
    const QStringList parts = filter.split(u'|');
    QStringList result;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString description = parts[i];
        description.remove(trailingPatterns);
        QString patterns = parts[i + 1];
        patterns.replace(u';', u' ');
        result << description + QStringLiteral(" (") + patterns.simplified() + u')';
    }
    return result.join(QStringLiteral(";;"));
}

bool TColorDialog::Execute(QWidget* parent) {
    SeamState& seam = Seam();
    if (seam.enabled) {
        seam.shown.append({QStringLiteral("color"), QString(), QString(), QString()});
        if (seam.colors.isEmpty()) {
            ++seam.unhandled;
            return false;
        }
        const std::optional<TColor> chosen = seam.colors.takeFirst();
        if (chosen)
            Color = *chosen;
        return chosen.has_value();
    }
    QColorDialog dialog(ToQColor(Color), parent);
    if (RunModal(dialog) != QDialog::Accepted)
        return false;
    Color = FromQColor(dialog.selectedColor());
    return true;
}

bool TOpenDialog::Execute(QWidget* parent) {
    const std::optional<QString> chosen =
        Seam().enabled ? SeamFile(QStringLiteral("open"), InitialDir, Filter, DefaultExt)
                       : AskFile(parent, QFileDialog::AcceptOpen, Title, FileName, InitialDir, Filter);
    if (!chosen)
        return false;
    FileName = *chosen;
    return true;
}

bool TSaveDialog::Execute(QWidget* parent) {
    if (Seam().enabled) {
        const int type = SeamFileType();
        if (type > 0 && type != FilterIndex) {
            FilterIndex = type;
            if (OnTypeChange)
                OnTypeChange();
        }
    }
    std::optional<QString> chosen =
        Seam().enabled ? SeamFile(QStringLiteral("save"), InitialDir, Filter, DefaultExt)
                       : AskFile(parent, QFileDialog::AcceptSave, Title, FileName, InitialDir, Filter, this);
    if (!chosen)
        return false;
    if (!DefaultExt.isEmpty() && QFileInfo(*chosen).suffix().isEmpty() && !chosen->endsWith(u'.'))
        *chosen += u'.' + DefaultExt;
    FileName = *chosen;
    return true;
}

namespace DialogSeam {

void Enable() {
    Seam().enabled = true;
}

void Disable() {
    Seam().enabled = false;
}

bool IsEnabled() {
    return Seam().enabled;
}

void QueueColor(std::optional<TColor> color) {
    Seam().colors.append(color);
}

void QueueFile(std::optional<QString> fileName) {
    QueueFileOfType(std::move(fileName), 0);
}

void QueueFileOfType(std::optional<QString> fileName, int filterIndex) {
    Seam().files.append(std::move(fileName));
    Seam().fileTypes.append(filterIndex);
}

QList<ShownDialog> Shown() {
    return Seam().shown;
}

int UnhandledCount() {
    return Seam().unhandled;
}

void Reset() {
    SeamState& seam = Seam();
    seam.colors.clear();
    seam.files.clear();
    seam.fileTypes.clear();
    seam.shown.clear();
    seam.unhandled = 0;
}

} // namespace DialogSeam

} // namespace qm
