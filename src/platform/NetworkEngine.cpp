// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/NetworkEngine.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLibrary>

namespace platform {

std::unique_ptr<NetworkEngine> NetworkEngine::load(const QStringList& folders, QString* error)
{
    const QString name = QStringLiteral(ARTCAL_NETWORK_MODULE);
    for (const QString& folder : folders) {
        QLibrary module(QDir(folder).filePath(name));
        if (!QFileInfo::exists(module.fileName()))
            continue;
        // Never unloaded: Qt Network, once in, stays for the widget's run.
        if (auto* make =
                reinterpret_cast<MakeNetworkEngine*>(module.resolve("artcal_make_network_engine")))
            return std::unique_ptr<NetworkEngine>(make());
        *error = module.errorString();
        return nullptr;
    }
    *error = QStringLiteral("%1 is not installed in %2").arg(name, folders.join(u", "));
    return nullptr;
}

QStringList NetworkEngine::folders()
{
    const QString here = QCoreApplication::applicationDirPath();
    return {here, QDir::cleanPath(here + QStringLiteral("/" ARTCAL_NETWORK_MODULE_FROM_BIN))};
}

} // namespace platform
