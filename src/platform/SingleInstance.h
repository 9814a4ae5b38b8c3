// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QLockFile>
#include <QObject>
#include <QSocketNotifier>

#include <memory>

namespace platform {

// One widget per state folder: the first start holds a lock file in the folder and
// listens on a local socket named after it; a later start finds the lock, asks the
// running widget to come forward and ends. Two widgets on one folder would overwrite
// each other's files and lie exactly on top of each other.
class SingleInstance : public QObject
{
    Q_OBJECT
public:
    static constexpr char lockName[] = "artcal.lock";

    explicit SingleInstance(const QString& stateDir, QObject* parent = nullptr);
    ~SingleInstance() override;

    // False when another widget runs on the folder: it has been asked to come forward.
    // A folder where no lock can be made (read-only) does not keep the widget from
    // starting.
    bool acquire();

signals:
    // A later start on the same folder asks this widget to show itself.
    void comeForward();

private:
    void listen();
    void accept();

    QString m_stateDir;
    QLockFile m_lock;
    int m_listener = -1;
    std::unique_ptr<QSocketNotifier> m_notifier;
};

} // namespace platform
