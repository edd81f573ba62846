#pragma once

#include <QString>
#include <QStringList>

namespace qm {

// Plays an event sound and returns at once: an existing file plays by its path, the alias
// "mailbeep" plays the sound theme's new-mail sound. A sound that cannot play is silently skipped.
void PlaySound(const QString& fileOrAlias);

// The alarm's choice: its own sound file while the file is there, the mail sound otherwise.
void PlayAlarmSound(const QString& alarmSoundFile);

// Test seam. While enabled nothing is played; every name handed to PlaySound is recorded.
namespace SoundSeam {
void Enable();
void Disable();
QStringList Plays();
void Reset();
} // namespace SoundSeam

} // namespace qm
