#pragma once

namespace qm {

// The options that run without a window: --export-ics FILE, --import-ics FILE, --export-vcf FILE,
// --help and --version. True when argument 1 is one of them.
bool IsCommandLineTool(int argc, char** argv);

// Runs the option on the archive the window would open, without a display: the summary goes to
// standard output, errors to standard error. An import is handed to a running copy, which adds
// the entries, refreshes its lists and answers. Returns the exit code: 0 done, 1 failed, 2 wrong use.
int RunCommandLineTool(int argc, char** argv);

} // namespace qm
