// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Builds the widget over a state folder of its own, with a clock the test sets and a
// browser launch that only records the address.

#include "FixedClock.h"
#include "FormProbes.h"
#include "StateDir.h"
#include "platform/UrlOpener.h"

#include <memory>

struct FormFixture : StateDir
{
    FixedClock clock;
    QList<QUrl> opened;
    std::unique_ptr<Form1> form;

    FormFixture()
    {
        platform::setClock(&clock);
        platform::setUrlOpener([this](const QUrl& url) {
            opened << url;
            return true;
        });
    }
    ~FormFixture()
    {
        form.reset();
        platform::setUrlOpener({});
        platform::setClock(nullptr);
    }

    // `arguments`: the command line's options, which "Start at login" repeats.
    Form1& start(const QString& server = "http://127.0.0.1:8642", const QStringList& arguments = {})
    {
        form = std::make_unique<Form1>(Form1::Options{dir.path(), server, arguments});
        return *form;
    }
    const Form1Controls& ui() const { return Form1Probe::controls(*form); }
};
