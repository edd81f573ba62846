#pragma once

#include <QString>

namespace qm {

// <program folder>qmarcs/<user>Arc, or qmarcs/generic when there is no user name.
QString DefaultArchiveFolderFor(const QString& programFolder, const QString& userName);

// The profile's name: <user>Arc, or "generic" when there is no user name.
QString ProfileNameFor(const QString& userName);

// What "Net.txt" in the default archive folder asks for: the archive in the working folder it
// names (the folder itself, or the user's private folder in it when another user owns it; see
// PlaceArchiveIn). `folder` stays empty when the file is missing or unreadable, the folder it names
// is not there, or that folder cannot hold the archive.
struct WorkingFolderChoice {
    bool netFileFound = false;
    QString readError;       // the file could not be read: one box; the default folder is kept
    QString named;           // the first line of the file
    bool namedFound = false; // the folder it names exists
    QString folder;          // the archive folder to work in instead of the default one
    QString placeMessage;    // what the user is told about the archive's place in the folder
    bool placeRefused = false;
};
WorkingFolderChoice ReadWorkingFolder(const QString& defaultArchiveFolder, const QString& profileName);

// The archive the program works in, found as the start-up road finds it, for tools that run
// without the window (the command line): the engine is started, a restore a crash cut short is
// finished, and the alias "QMDB" names the folder. False with `error` when the engine cannot run.
// `notice` tells what the start-up road would have asked or shown (a missing working folder, a
// restore that left files behind); empty when there is nothing to tell.
bool SetUpArchiveAlias(QString* folder, QString* error, QString* notice);

} // namespace qm
