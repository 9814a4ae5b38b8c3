// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "Fetcher.h"

#include <QDateTime>
#include <QList>
#include <QString>

namespace server::import {

// What the importer knows of one source, kept in LIBRARY/.artcal-import/ as a JSON file
// of its own: the pictures it imported, oldest first, by the source's id, with their
// files (relative to the library), and the validators of the answers it read. Only the
// files listed here are ever removed.
class ImportState
{
public:
    struct Entry
    {
        QString id;
        QString file;
        qint64 importedAt = 0; // seconds since the epoch
        // Written before the picture is renamed into place: a run that ends between
        // that rename and the sidecar's leaves the next one an entry to finish or undo.
        bool pending = false;
    };

    // The state of `sourceName` in `stateFolder`; an unreadable file is an empty state.
    static ImportState load(const QString& stateFolder, const QString& sourceName);
    bool save(QString* error) const;

    bool has(const QString& id) const;
    QList<Entry>& entries() { return m_entries; }
    Fetcher::Validators validators(const QUrl& url) const;
    void setValidators(const QUrl& url, const Fetcher::Validators& validators);

private:
    QString m_path;
    QList<Entry> m_entries;
    QHash<QString, Fetcher::Validators> m_validators; // by address
};

} // namespace server::import
