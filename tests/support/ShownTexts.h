#pragma once

#include "platform/MessageBox.h"

#include <QStringList>

namespace qm {

// The texts of the message boxes shown since the seam was last reset, in order.
inline QStringList ShownTexts() {
    QStringList texts;
    for (const ShownBox& box : MessageBoxSeam::Shown())
        texts << box.text;
    return texts;
}

} // namespace qm
