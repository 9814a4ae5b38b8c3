// SPDX-License-Identifier: GPL-3.0-or-later
#include "state/PictureHistory.h"

#include "platform/AtomicFile.h"
#include "platform/Logging.h"
#include "state/StateFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QSet>

#include <algorithm>

namespace {

// A copy's name as add() makes it: digits, then ".jpg".
bool isCopyName(const QString& name)
{
    static const QRegularExpression form(QStringLiteral("^[0-9]+\\.jpg$"));
    return form.match(name).hasMatch();
}

// Whether the copies' folder is the history's own to add to and delete from: missing, or
// a folder (not a link to one) that holds nothing but copies. A folder that was there
// before, or a link to one, may hold the user's files.
bool isOwnFolder(const QString& path)
{
    const QFileInfo folder(path);
    if (folder.isSymLink())
        return false;
    if (!folder.exists())
        return true;
    const QFileInfoList held = QDir(path).entryInfoList(QDir::AllEntries | QDir::Hidden |
                                                        QDir::System | QDir::NoDotAndDotDot);
    return folder.isDir() && std::all_of(held.begin(), held.end(), [](const QFileInfo& file) {
               return !file.isSymLink() && file.isFile() && isCopyName(file.fileName());
           });
}

QJsonObject toJson(const PictureHistory::Entry& entry)
{
    QJsonObject json = entry.record.credits.toJson();
    json.insert(QStringLiteral("at"), entry.at.toString(Qt::ISODate));
    json.insert(QStringLiteral("page"), entry.record.pageUrl);
    json.insert(QStringLiteral("picture"), entry.record.pictureUrl);
    json.insert(QStringLiteral("id"), entry.record.field3);
    json.insert(QStringLiteral("category"), entry.record.field4);
    json.insert(QStringLiteral("copy"), entry.copy);
    return json;
}

std::optional<PictureHistory::Entry> fromJson(const QJsonObject& json)
{
    PictureHistory::Entry entry{QDateTime::fromString(json.value(u"at").toString(), Qt::ISODate),
                                {json.value(u"page").toString(), json.value(u"picture").toString(),
                                 json.value(u"id").toString(), json.value(u"category").toString(),
                                 PictureCredits::fromJson(json)},
                                json.value(u"copy").toString()};
    if (!entry.at.isValid())
        return std::nullopt;
    if (!isCopyName(entry.copy))
        entry.copy.clear();
    return entry;
}
} // namespace

PictureHistory::PictureHistory(const QString& stateDir)
    : m_file(StateFiles::in(stateDir, StateFiles::history)),
      m_copies(StateFiles::in(stateDir, StateFiles::historyCopies)),
      m_ownsCopies(isOwnFolder(m_copies))
{
    if (!m_ownsCopies)
        qCWarning(lcState) << "history keeps no copies:" << m_copies
                           << "holds files that are not its own";
    const QString aside = m_file + QStringLiteral(".unreadable");
    if (!load()) {
        // Kept for whoever can still read it, with the copies it names; the last one wins.
        QFile::remove(aside);
        if (QFile::rename(m_file, aside))
            qCWarning(lcState) << "history unreadable, set aside as" << aside;
        else
            qCWarning(lcState) << "history unreadable and not set aside:" << m_file;
        return;
    }
    // Copies that no entry names, left by a kill between a copy and the save. While a
    // history set aside is kept, they may be the copies that it names.
    if (QFileInfo::exists(aside) || !m_ownsCopies)
        return;
    QSet<QString> named;
    for (const Entry& entry : m_entries)
        named << entry.copy;
    QDir copies(m_copies);
    for (const QString& name : copies.entryList(QDir::Files | QDir::System)) {
        if (!named.contains(name))
            copies.remove(name);
    }
}

bool PictureHistory::load()
{
    QFile file(m_file);
    if (!QFileInfo(m_file).isFile())
        return true;
    if (file.size() > maxFileBytes || !file.open(QIODevice::ReadOnly))
        return false;
    QList<Entry> entries;
    int cursor = -1;
    bool cursorRead = false;
    int skipped = 0;
    while (!file.atEnd()) {
        const QJsonObject json = QJsonDocument::fromJson(file.readLine()).object();
        if (json.contains(u"cursor")) {
            cursor = json.value(u"cursor").toInt(-1);
            cursorRead = true;
        } else if (const std::optional<Entry> entry = fromJson(json)) {
            entries << *entry;
        } else {
            ++skipped;
        }
    }
    // Damaged lines among good ones are skipped. Every save writes the cursor line, so a
    // file without it or any entry is not one of ours to replace.
    if (file.error() != QFileDevice::NoError || (entries.isEmpty() && !cursorRead))
        return false;
    if (skipped > 0)
        qCWarning(lcState) << "history:" << skipped << "damaged lines of" << m_file << "skipped";
    m_entries = entries;
    m_cursor = cursor >= 0 && cursor < entries.size() ? cursor : int(entries.size()) - 1;
    return true;
}

bool PictureHistory::add(const PictureRecord& record, const QDateTime& at,
                         const QString& picturePath)
{
    QString copy = QString::number(at.toMSecsSinceEpoch()) + QStringLiteral(".jpg");
    while (QFileInfo::exists(m_copies + u'/' + copy))
        copy.prepend(u'0');
    if (!m_ownsCopies) {
        copy.clear();
    } else if (!QDir().mkpath(m_copies) ||
               !platform::AtomicFile::linkOrCopy(picturePath, m_copies + u'/' + copy)) {
        qCWarning(lcState) << "no copy of" << picturePath << "kept in" << m_copies;
        copy.clear();
    }
    m_entries << Entry{at, record, copy};
    m_cursor = int(m_entries.size()) - 1;
    prune(at.date());
    return save();
}

void PictureHistory::show(int index)
{
    if (index < 0 || index >= m_entries.size() || index == m_cursor)
        return;
    m_cursor = index;
    save();
}

void PictureHistory::clear()
{
    for (int i = 0; i < m_entries.size(); ++i)
        QFile::remove(copyPath(i));
    if (m_ownsCopies)
        QDir().rmdir(m_copies); // only when nothing else is left in it
    m_entries.clear();
    m_cursor = -1;
    save();
}

QString PictureHistory::copyPath(int index) const
{
    const QString copy = m_entries.value(index).copy;
    const QString path = m_copies + u'/' + copy;
    return m_ownsCopies && !copy.isEmpty() && QFileInfo(path).isFile() ? path : QString();
}

int PictureHistory::lastOf(const QDate& day) const
{
    for (int i = int(m_entries.size()) - 1; i >= 0; --i) {
        if (m_entries[i].at.date() == day)
            return i;
    }
    return -1;
}

int PictureHistory::countOf(const QDate& day) const
{
    return int(std::count_if(m_entries.begin(), m_entries.end(),
                             [&day](const Entry& entry) { return entry.at.date() == day; }));
}

void PictureHistory::prune(const QDate& today)
{
    const QDate oldest = today.addYears(-keptYears);
    const QDate everyPicture = today.addDays(-everyPictureDays);
    QList<Entry> kept;
    int cursor = -1;
    for (int i = 0; i < m_entries.size(); ++i) {
        const QDate day = m_entries[i].at.date();
        const bool laterSameDay = i + 1 < m_entries.size() && m_entries[i + 1].at.date() == day;
        if (day < oldest || (day < everyPicture && laterSameDay)) {
            QFile::remove(copyPath(i));
            continue;
        }
        kept << m_entries[i];
        if (i <= m_cursor)
            cursor = int(kept.size()) - 1;
    }
    m_entries = kept;
    m_cursor = cursor < 0 ? int(m_entries.size()) - 1 : cursor;
    dropCopies();
}

void PictureHistory::dropCopies()
{
    int copies = 0;
    qint64 bytes = 0;
    for (int i = int(m_entries.size()) - 1; i >= 0; --i) {
        const QString path = copyPath(i);
        if (path.isEmpty()) {
            m_entries[i].copy.clear();
            continue;
        }
        bytes += QFileInfo(path).size();
        if (++copies > maxCopies || bytes > maxCopyBytes) {
            QFile::remove(path);
            m_entries[i].copy.clear();
        }
    }
}

bool PictureHistory::save()
{
    QList<QByteArray> lines;
    qint64 size = 0;
    for (const Entry& entry : m_entries) {
        lines << QJsonDocument(toJson(entry)).toJson(QJsonDocument::Compact) + '\n';
        size += lines.last().size();
    }
    // The oldest entries go when the file would outgrow its bound.
    const qint64 room = maxFileBytes - 64; // the cursor's line
    qsizetype first = 0;
    for (; size > room; ++first) {
        size -= lines[first].size();
        QFile::remove(copyPath(int(first)));
    }
    m_entries.remove(0, first);
    m_cursor = m_entries.isEmpty() ? -1 : std::max(m_cursor - int(first), 0);
    QByteArray bytes = QJsonDocument(QJsonObject{{QStringLiteral("cursor"), m_cursor}})
                           .toJson(QJsonDocument::Compact) +
                       '\n';
    for (qsizetype i = first; i < lines.size(); ++i)
        bytes += lines[i];
    QString error;
    if (platform::AtomicFile::write(m_file, bytes, &error))
        return true;
    qCWarning(lcState) << "history not saved:" << error;
    return false;
}
