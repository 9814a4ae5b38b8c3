// SPDX-License-Identifier: GPL-3.0-or-later
#include "ImportState.h"

#include "platform/AtomicFile.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

using namespace Qt::StringLiterals;

namespace server::import {

ImportState ImportState::load(const QString& stateFolder, const QString& sourceName)
{
    ImportState state;
    // Any section name makes a file name: '/' and '%' are encoded too.
    state.m_path = stateFolder + u'/' +
                   QString::fromLatin1(QUrl::toPercentEncoding(sourceName, " ")) + u".json"_s;
    QFile file(state.m_path);
    if (!file.open(QIODevice::ReadOnly))
        return state;
    const QJsonObject root = QJsonDocument::fromJson(file.readAll()).object();
    for (const QJsonValue& value : root.value("pictures"_L1).toArray()) {
        const QJsonObject entry = value.toObject();
        const QString file = entry.value("file"_L1).toString();
        // A file name from the state must stay in a category folder of the library; an
        // entry without one is a picture gone by the kept limit.
        if (!file.isEmpty() &&
            (file.count(u'/') != 1 || file.startsWith(u'.') || file.contains(u"/."_s)))
            continue;
        state.m_entries.append({entry.value("id"_L1).toString(), file,
                                entry.value("importedAt"_L1).toInteger(),
                                entry.value("pending"_L1).toBool()});
    }
    const QJsonObject validators = root.value("validators"_L1).toObject();
    for (auto it = validators.begin(); it != validators.end(); ++it) {
        const QJsonObject value = it->toObject();
        state.m_validators.insert(it.key(), {value.value("etag"_L1).toString().toUtf8(),
                                             value.value("lastModified"_L1).toString().toUtf8()});
    }
    return state;
}

bool ImportState::save(QString* error) const
{
    QJsonArray pictures;
    for (const Entry& entry : m_entries) {
        QJsonObject object{
            {"id"_L1, entry.id}, {"file"_L1, entry.file}, {"importedAt"_L1, entry.importedAt}};
        if (entry.pending)
            object.insert("pending"_L1, true);
        pictures.append(object);
    }
    QJsonObject validators;
    for (auto it = m_validators.begin(); it != m_validators.end(); ++it)
        validators.insert(it.key(),
                          QJsonObject{{"etag"_L1, QString::fromUtf8(it->etag)},
                                      {"lastModified"_L1, QString::fromUtf8(it->lastModified)}});
    const QJsonObject root{{"pictures"_L1, pictures}, {"validators"_L1, validators}};
    return platform::AtomicFile::write(m_path, QJsonDocument(root).toJson(), error);
}

bool ImportState::has(const QString& id) const
{
    return std::any_of(m_entries.cbegin(), m_entries.cend(),
                       [&](const Entry& entry) { return entry.id == id; });
}

Fetcher::Validators ImportState::validators(const QUrl& url) const
{
    return m_validators.value(url.toString());
}

void ImportState::setValidators(const QUrl& url, const Fetcher::Validators& validators)
{
    if (validators.etag.isEmpty() && validators.lastModified.isEmpty())
        m_validators.remove(url.toString());
    else
        m_validators.insert(url.toString(), validators);
}

} // namespace server::import
