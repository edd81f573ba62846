#pragma once

#include <QString>

namespace qm {

// The effective user's login name and the full name of the account record (empty when unknown).
QString LoginName();
QString FullName();

// Test seam: replaces the login name (an empty text stands for "no user name") until cleared.
void SetTestLoginName(const QString& name);
void ClearTestLoginName();

} // namespace qm
