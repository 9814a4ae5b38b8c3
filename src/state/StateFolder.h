// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "state/StateFiles.h"

#include <QString>
#include <QStringList>

// Where the widget keeps its state files: the folder given on the command line; else
// the executable's folder when it holds a settings file (the portable layout and the
// build tree); else the per-user data folder, seeded on first run from the installed
// defaults.
class StateFolder
{
public:
    struct Places
    {
        QString dataDirOption; // --data-dir, empty when not given
        QString executableDir;
        QString userDataDir;           // QStandardPaths::AppDataLocation
        QStringList installedDefaults; // candidate share/artcal folders, in order
    };

    // The folder to use, or an empty string with `error` set when it is unusable.
    static QString resolve(const Places& places, QString* error);

    // Copies the default state files that `folder` lacks from `defaults`; never
    // overwrites a file the user already has.
    static void seed(const QString& folder, const QString& defaults);

    static inline const QStringList defaultFiles = {StateFiles::settings, StateFiles::categories,
                                                    StateFiles::placeholder};
};
