// SPDX-License-Identifier: GPL-3.0-or-later
// The decode queue's turns, which the server's HTTP tests cannot see: a client's work runs
// one job at a time, and another client's first job does not wait behind it.

// Qt's headers first: moc reads <chrono> only after them.
#include <QTest>

#include "WorkQueue.h"

#include <algorithm>

using Names = std::vector<std::string>;

class TestWorkQueue : public QObject
{
    Q_OBJECT
private slots:
    void clientsTakeTurns();
};

void TestWorkQueue::clientsTakeTurns()
{
    using namespace std::chrono_literals;
    std::mutex mutex;
    std::condition_variable changed;
    Names started;
    int running[2] = {};   // of clients a and b
    bool together = false; // two of one client's jobs at once
    bool open = false;     // the jobs wait for it
    server::WorkQueue queue(3, {});
    for (const std::string name : {"a1", "a2", "b1", "a3", "b2"}) {
        QVERIFY(queue.submit(name.substr(0, 1), [&, name](server::WorkQueue::Turn) {
            std::unique_lock lock(mutex);
            started.push_back(name);
            together = together || ++running[name[0] - 'a'] > 1;
            changed.notify_all();
            changed.wait(lock, [&] { return open; });
            --running[name[0] - 'a'];
        }));
    }
    std::unique_lock lock(mutex);
    // Three workers, but a1 and b1 run alone: a2 and b2 wait for them.
    QVERIFY(changed.wait_for(lock, 10s, [&] { return started.size() == 2; }));
    QVERIFY(!changed.wait_for(lock, 300ms, [&] { return started.size() > 2; }));
    std::ranges::sort(started);
    QCOMPARE(started, Names({"a1", "b1"}));
    open = true;
    changed.notify_all();
    QVERIFY(changed.wait_for(lock, 10s, [&] { return started.size() == 5; }));
    QVERIFY(!together);
}

QTEST_APPLESS_MAIN(TestWorkQueue)
#include "tst_workqueue.moc"
