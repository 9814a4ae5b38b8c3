// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/NetworkEngine.h"

#include "platform/Module.h"

namespace platform {

std::unique_ptr<NetworkEngine> NetworkEngine::load(const QStringList& folders, QString* error)
{
    // Never unloaded: Qt Network, once in, stays for the widget's run.
    QObject* module = Module::load(QStringLiteral(ARTCAL_NETWORK_MODULE), ARTCAL_NETWORK_ENGINE_IID,
                                   folders, error);
    if (auto* factory = qobject_cast<NetworkEngineFactory*>(module))
        return factory->make();
    if (module)
        *error = QStringLiteral("the network module offers no network engine");
    return nullptr;
}

} // namespace platform
