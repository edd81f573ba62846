#pragma once

#include <QString>

namespace qm {

// <program folder>qmarcs/<user>Arc, or qmarcs/generic when there is no user name.
QString DefaultArchiveFolderFor(const QString& programFolder, const QString& userName);

// What "Net.txt" in the default archive folder asks for: the working folder it names, when that
// exists; `folder` stays empty when the file is missing or the folder it names is not there.
struct WorkingFolderChoice {
    bool netFileFound = false;
    QString named;  // the first line of the file
    QString folder; // the folder to work in instead of the default one
};
WorkingFolderChoice ReadWorkingFolder(const QString& defaultArchiveFolder);

// The archive the program works in, found as the start-up road finds it, for tools that run
// without the window (the command line): the engine is started, a restore a crash cut short is
// finished, and the alias "QMDB" names the folder. False with `error` when the engine cannot run.
// `notice` tells what the start-up road would have asked or shown (a missing working folder, a
// restore that left files behind); empty when there is nothing to tell.
bool SetUpArchiveAlias(QString* folder, QString* error, QString* notice);

} // namespace qm
