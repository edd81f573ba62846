#include "platform/Sound.h"

#include <QFileInfo>
#include <canberra.h>

namespace qm {

namespace {

bool g_seamEnabled = false;
QStringList g_plays;

// One context for the whole process; it is kept until the end so that a sound still playing is
// not cut off.
ca_context* Context() {
    static ca_context* context = [] {
        ca_context* created = nullptr;
        if (ca_context_create(&created) != CA_SUCCESS)
            return static_cast<ca_context*>(nullptr);
        return created;
    }();
    return context;
}

} // namespace

void PlaySound(const QString& fileOrAlias) {
    if (g_seamEnabled) {
        g_plays.append(fileOrAlias);
        return;
    }
    ca_context* context = Context();
    if (!context)
        return;
    if (fileOrAlias == QLatin1String("mailbeep")) {
        ca_context_play(context, 0, CA_PROP_EVENT_ID, "message-new-email", nullptr);
        return;
    }
    if (!QFileInfo(fileOrAlias).isFile())
        return;
    const QByteArray path = QFileInfo(fileOrAlias).absoluteFilePath().toLocal8Bit();
    ca_context_play(context, 0, CA_PROP_MEDIA_FILENAME, path.constData(), nullptr);
}

void PlayAlarmSound(const QString& alarmSoundFile) {
    PlaySound(!alarmSoundFile.isEmpty() && QFileInfo(alarmSoundFile).isFile() ? alarmSoundFile
                                                                              : QStringLiteral("mailbeep"));
}

namespace SoundSeam {
void Enable() {
    g_seamEnabled = true;
}
void Disable() {
    g_seamEnabled = false;
}
QStringList Plays() {
    return g_plays;
}
void Reset() {
    g_plays.clear();
}
} // namespace SoundSeam

} // namespace qm
