// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "Fetcher.h"
#include "ImportSource.h"
#include "ImportState.h"

namespace server::import {

// Brings new pictures from one source into its category of the library at a time, each
// whole and credited or not at all, and keeps the category within its limit. The caller
// holds the import lock.
class Importer
{
public:
    // A picture smaller than this on its longer side is not worth showing.
    static constexpr int minLongerSide = 800;
    static constexpr qint64 maxAnswerBytes = 16 << 20;

    struct Options
    {
        QString library;
        Fetcher::Options fetch;
        qint64 maxPictureBytes = 64 << 20;
        // The step of a picture's arrival at which the process kills itself: only the
        // tests that prove a kill harmless at every step set it.
        QString killAt;
    };

    struct Outcome
    {
        bool worked = false; // the source answered; some of its items may have failed
        int imported = 0;
        QString message; // one line for the log
    };

    explicit Importer(const Options& options);

    // The folder of the import state and its lock.
    static QString stateFolder(const QString& library);

    Outcome run(const Source& source);

private:
    struct Listing;

    Listing list(const Source& source, ImportState& state, int page);
    std::optional<Candidate> detailOf(const Candidate& candidate, QString* problem);
    bool arrive(const Source& source, ImportState& state, const Candidate& candidate,
                QString* problem);
    void finishPending(ImportState& state);
    void keepLimit(const Source& source, ImportState& state);
    void step(QLatin1StringView name) const;

    Options m_options;
    QString m_stateFolder;
    Fetcher m_fetcher;
    bool m_busy = false; // the source's server asked to be left alone for now
};

} // namespace server::import
