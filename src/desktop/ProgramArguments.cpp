#include "desktop/ProgramArguments.h"

#include <QCoreApplication>
#include <optional>

namespace qm {

namespace {
std::optional<QStringList> g_arguments;
} // namespace

QStringList ProgramArguments() {
    return g_arguments ? *g_arguments : QCoreApplication::arguments();
}

namespace ProgramArgumentsSeam {
void Set(const QStringList& arguments) {
    g_arguments = arguments;
}
void Reset() {
    g_arguments.reset();
}
} // namespace ProgramArgumentsSeam

} // namespace qm
