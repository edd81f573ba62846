#pragma once

#include <QString>

namespace qm {

// The closing words of every delete question, one of six at random. Each begins with the double
// quote that closes the title named before it.
QString DeleteConfirmSuffix();

// The ending of draw 0 to 5 (any other draw gives the last one).
QString DeleteConfirmEnding(int draw);

} // namespace qm
