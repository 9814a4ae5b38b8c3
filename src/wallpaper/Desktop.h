// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QStringList>

#include <chrono>
#include <functional>

namespace wallpaper {

// One desktop's way to show a wallpaper. Every call is asynchronous and answers once,
// through its callback, while `context` (given at construction) lives; destroying the
// context ends what runs. Each tool or call is given `limit` to answer.
class Desktop
{
public:
    using Done = std::function<void(const QString& problem)>; // empty: done
    using Values = std::function<void(const QStringList& values, const QString& problem)>;

    Desktop(QObject* context, std::chrono::milliseconds limit) : m_context(context), m_limit(limit)
    {
    }
    virtual ~Desktop() = default;

    // The desktop's name, as the user knows it.
    virtual QString name() const = 0;
    // What the desktop shows now, a line each, in the form restore() takes.
    virtual void read(Values done) = 0;
    // Shows the picture file `path` on every screen, zoomed to cover, and checks that
    // the desktop took it where it can tell.
    virtual void show(const QString& path, Done done) = 0;
    // Puts back what read() gave.
    virtual void restore(const QStringList& values, Done done) = 0;

protected:
    QObject* context() const { return m_context; }
    std::chrono::milliseconds limit() const { return m_limit; }

private:
    QObject* m_context;
    std::chrono::milliseconds m_limit;
};

} // namespace wallpaper
