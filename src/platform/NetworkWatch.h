#pragma once

#include <QObject>

namespace platform {

// What the system says of the network, where NetworkManager runs; without it, nothing
// is ever reported. Loading its backend talks to the system bus, so it happens once
// the event loop runs, not before the first frame.
class NetworkWatch : public QObject
{
    Q_OBJECT
public:
    explicit NetworkWatch(QObject* parent = nullptr);

signals:
    // The network can reach more than before: online again, or out of a local network.
    void improved();
    void meteredChanged(bool metered);

private:
    void load();

    int m_reachability = 0;
};

} // namespace platform
