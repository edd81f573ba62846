#pragma once

#include <QString>

class QComboBox;

namespace qm {

// The last part of a path (after the last "/" or "\"); empty for a path ending in a separator.
QString AttachFileName(const QString& path);

// Opens a contact's attachment, a file or a folder, with the desktop's handler. An empty path does
// nothing; a missing one, or one the desktop cannot open, gives one message naming `shownName`.
void LaunchAttachment(const QString& path, const QString& shownName);

// Opens a mail or web address; when the desktop has no handler the user reads `failure`.
void LaunchLink(const QString& target, const QString& failure);

// Puts a group name into the list at its sorted place (letters compared without regard to case).
void InsertGroupSorted(QComboBox* combo, const QString& name);

} // namespace qm
