// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QJsonObject>
#include <QObject>
#include <QString>
#include <QStringList>

// The widget's own Qt plugins (libartcal-*.so), which carry the code only some runs need
// and so keep its libraries out of every start.
namespace platform::Module {

// The plugin object of `fileName` from the first of `folders` that holds it, or null
// with `error` said when none does, the file is damaged, it was built for another
// interface (`iid`) or version, or it does not load. Never unloaded.
QObject* load(const QString& fileName, const char* iid, const QStringList& folders, QString* error);

// Beside the executable (a build tree), then where they are installed.
QStringList folders();

// Why a plugin whose metadata is `metaData` is not this build's (another interface or
// another version), or empty when it is.
QString refusal(const QJsonObject& metaData, const char* iid);

} // namespace platform::Module
