// SPDX-License-Identifier: GPL-3.0-or-later
#include "state/StateFolder.h"

#include "platform/Logging.h"
#include "state/StateFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {
bool holdsSettings(const QString& dir)
{
    return !dir.isEmpty() && QFileInfo(StateFiles::in(dir, StateFiles::settings)).isFile();
}
} // namespace

QString StateFolder::resolve(const Places& places, QString* error)
{
    if (!places.dataDirOption.isEmpty()) {
        const QFileInfo info(places.dataDirOption);
        if (!info.exists()) {
            *error = QStringLiteral("the state folder %1 does not exist").arg(places.dataDirOption);
            return {};
        }
        if (!info.isDir()) {
            *error = QStringLiteral("%1 is not a folder").arg(places.dataDirOption);
            return {};
        }
        return info.absoluteFilePath();
    }
    if (holdsSettings(places.executableDir))
        return QFileInfo(places.executableDir).absoluteFilePath();

    if (places.userDataDir.isEmpty() || !QDir().mkpath(places.userDataDir)) {
        *error = QStringLiteral("cannot create the state folder %1").arg(places.userDataDir);
        return {};
    }
    for (const QString& defaults : places.installedDefaults) {
        if (holdsSettings(defaults)) {
            seed(places.userDataDir, defaults);
            break;
        }
    }
    return QFileInfo(places.userDataDir).absoluteFilePath();
}

void StateFolder::seed(const QString& folder, const QString& defaults)
{
    for (const QString& name : defaultFiles) {
        const QString target = folder + u'/' + name;
        if (!QFileInfo::exists(target) && !QFile::copy(defaults + u'/' + name, target))
            qCWarning(lcState) << "cannot copy" << name << "from" << defaults << "to" << folder;
    }
    QDir(folder).mkpath(StateFiles::gallery);
}
