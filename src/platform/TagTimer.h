#pragma once

#include <QTimer>

// A timer that carries a free text tag, as the refresh countdown does.
class TagTimer : public QTimer
{
public:
    TagTimer(QObject* parent, int intervalMs, bool enabled, const QString& tag = {})
        : QTimer(parent), m_tag(tag)
    {
        setInterval(intervalMs);
        if (enabled)
            start();
    }

    QString tag() const { return m_tag; }
    void setTag(const QString& tag) { m_tag = tag; }
    // Enabling a running timer leaves its phase alone; disabling stops it.
    void setEnabled(bool enabled)
    {
        if (!enabled)
            stop();
        else if (!isActive())
            start();
    }

private:
    QString m_tag;
};
