#include "app/CommandLineTools.h"

#include "desktop/MainInstance.h"
#include "engine/EngineError.h"
#include "exchange/ICalendar.h"
#include "exchange/VCardExport.h"
#include "platform/UserAccount.h"
#include "store/Archive.h"
#include "store/ArchiveLocation.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <cstdio>
#include <cstring>
#include <exception>

namespace qm {

namespace {

const char* const kTools[] = {"--export-ics", "--import-ics", "--export-vcf", "--help", "--version"};

constexpr int kAnswerWaitMs = 10 * 60 * 1000;

void Print(std::FILE* stream, const QString& text) {
    const QByteArray bytes = text.toLocal8Bit();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
    if (!text.endsWith(u'\n'))
        std::fputc('\n', stream);
    std::fflush(stream);
}

QString Usage() {
    return QStringLiteral(
        "Usage: quellmire [DIAL number [KILL] | CONTROL]\n"
        "       quellmire --export-ics FILE | --import-ics FILE | --export-vcf FILE | --help | --version\n"
        "\n"
        "  --export-ics FILE  write every appointment to FILE as an iCalendar (.ics) file\n"
        "  --import-ics FILE  add the events of the iCalendar file FILE to the appointments;\n"
        "                     a running Quellmire Organizer imports them itself\n"
        "  --export-vcf FILE  write every contact to FILE as vCards (.vcf)\n"
        "  --help             show this text\n"
        "  --version          show the version\n"
        "\n"
        "The archive is the one the organizer opens: QUELLMIRE_PROGRAM_FOLDER, or\n"
        "$XDG_DATA_HOME/quellmire/, and the working folder chosen on its Options tab.\n");
}

// Opens the archive as the window's start-up road would, with the table `table`; false after
// saying why.
bool OpenArchive(const QString& table) {
    QString folder;
    QString error;
    QString notice;
    if (!SetUpArchiveAlias(&folder, &error, &notice)) {
        Print(stderr, error);
        return false;
    }
    if (!notice.isEmpty())
        Print(stderr, notice);
    CreateTableWhenMissing(QStringLiteral("QMDB"), table);
    return true;
}

int ExportIcs(const QString& file) {
    if (!OpenArchive(QStringLiteral("QMarc80")))
        return 1;
    int written = 0;
    QString error;
    if (!ExportAllAppointmentsToIcsFile(QStringLiteral("QMDB"), file, &written, &error)) {
        Print(stderr, error);
        return 1;
    }
    Print(stdout, QStringLiteral("%1 appointments written to %2.").arg(written).arg(file));
    return 0;
}

int ImportIcs(const QString& file) {
    TMainInstance instance(LoginName());
    TMainInstance::Answer answer;
    switch (instance.Ask({QStringLiteral("import-ics"), file}, &answer, kAnswerWaitMs)) {
    case TMainInstance::AskResult::Answered:
        Print(answer.ok ? stdout : stderr, answer.text);
        return answer.ok ? 0 : 1;
    case TMainInstance::AskResult::NoAnswer:
        Print(stderr, QStringLiteral("Quellmire Organizer is running but does not answer; nothing was "
                                     "imported. End it, then try again."));
        return 1;
    case TMainInstance::AskResult::NoFolder:
    case TMainInstance::AskResult::NotRunning:
        break;
    }
    if (!OpenArchive(QStringLiteral("QMarc80")))
        return 1;
    IcsImportSummary summary;
    QString error;
    if (!ImportIcsFile(QStringLiteral("QMDB"), file, &summary, &error)) {
        Print(stderr, error);
        return 1;
    }
    Print(stdout, summary.Text(file));
    return 0;
}

int ExportVcf(const QString& file) {
    if (!OpenArchive(QStringLiteral("QMcon26")))
        return 1;
    QString error;
    int count = 0;
    if (!ExportContactsToVCardFile(file, &error, &count)) {
        Print(stderr, error);
        return 1;
    }
    Print(stdout, QStringLiteral("%1 contacts written to %2.").arg(count).arg(file));
    return 0;
}

} // namespace

bool IsCommandLineTool(int argc, char** argv) {
    if (argc < 2)
        return false;
    for (const char* tool : kTools)
        if (std::strcmp(argv[1], tool) == 0)
            return true;
    return false;
}

int RunCommandLineTool(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Quellmire Organizer"));
    const QStringList arguments = QCoreApplication::arguments();
    const QString option = arguments.value(1);
    if (option == QLatin1String("--help")) {
        Print(stdout, Usage());
        return 0;
    }
    if (option == QLatin1String("--version")) {
        Print(stdout, QStringLiteral("Quellmire Organizer, version 28"));
        return 0;
    }
    if (arguments.size() != 3 || arguments[2].isEmpty()) {
        Print(stderr, QStringLiteral("%1 needs one file name.\n\n").arg(option) + Usage());
        return 2;
    }
    // A running copy works in its own folder: it gets the whole path.
    const QString file = QFileInfo(arguments[2]).absoluteFilePath();
    try {
        if (option == QLatin1String("--export-ics"))
            return ExportIcs(file);
        if (option == QLatin1String("--export-vcf"))
            return ExportVcf(file);
        return ImportIcs(file);
    } catch (const EngineError& error) {
        Print(stderr, error.message());
    } catch (const std::exception& error) {
        Print(stderr, QString::fromLocal8Bit(error.what()));
    }
    return 1;
}

} // namespace qm
