// SPDX-License-Identifier: GPL-3.0-or-later
#include "SourcesConf.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

using namespace Qt::StringLiterals;

namespace server::import::SourcesConf {

namespace {

constexpr int maxPerRun = 50;
constexpr int maxKeep = 100000;

std::optional<Source::Kind> kindNamed(QStringView name)
{
    if (name == u"artic")
        return Source::Kind::Artic;
    if (name == u"met")
        return Source::Kind::Met;
    if (name == u"commons-potd")
        return Source::Kind::CommonsPotd;
    if (name == u"feed")
        return Source::Kind::Feed;
    return std::nullopt;
}

// A category is one folder name: nothing that could lead out of the library or hide.
bool isFolderName(const QString& name)
{
    return !name.isEmpty() && !name.startsWith(u'.') && !name.contains(u'/') &&
           !name.contains(QChar(0));
}

// Sets one key of `source`; the problem in words when the value does not do.
QString setKey(Source& source, const QString& key, const QString& value)
{
    bool ok = true;
    if (key == u"kind") {
        const auto kind = kindNamed(value);
        if (!kind)
            return u"kind is artic, met, commons-potd or feed, not \"%1\""_s.arg(value);
        source.kind = *kind;
    } else if (key == u"category") {
        if (!isFolderName(value))
            return u"category \"%1\" is not a folder name"_s.arg(value);
        source.category = value;
    } else if (key == u"base") {
        source.base = QUrl(value, QUrl::StrictMode);
        const QString scheme = source.base.scheme();
        if (!source.base.isValid() || (scheme != u"http" && scheme != u"https"))
            return u"base takes an http or https address, not \"%1\""_s.arg(value);
    } else if (key == u"query") {
        source.query = value;
    } else if (key == u"per-run") {
        source.perRun = value.toInt(&ok);
        if (!ok || source.perRun < 1 || source.perRun > maxPerRun)
            return u"per-run takes 1 to %1, not \"%2\""_s.arg(maxPerRun).arg(value);
    } else if (key == u"keep") {
        source.keep = value.toInt(&ok);
        if (!ok || source.keep < 1 || source.keep > maxKeep)
            return u"keep takes 1 to %1, not \"%2\""_s.arg(maxKeep).arg(value);
    } else if (key == u"enabled") {
        if (value != u"yes" && value != u"no")
            return u"enabled is yes or no, not \"%1\""_s.arg(value);
        source.enabled = value == u"yes";
    } else {
        return u"unknown key \"%1\""_s.arg(key);
    }
    return {};
}

} // namespace

Result parse(const QByteArray& text)
{
    Result result;
    int sectionLine = 0;
    const auto finishSection = [&]() -> QString {
        if (sectionLine == 0)
            return {};
        const Source& source = result.sources.last();
        if (source.category.isEmpty() || source.base.isEmpty())
            return u"line %1: section [%2] needs a category and a base"_s.arg(sectionLine)
                .arg(source.name);
        return {};
    };
    const QList<QByteArray> lines = text.split('\n');
    for (int i = 0; i < lines.size(); ++i) {
        const QString line = QString::fromUtf8(lines[i]).trimmed();
        const int number = i + 1;
        if (line.isEmpty() || line.startsWith(u'#') || line.startsWith(u';'))
            continue;
        if (line.startsWith(u'[')) {
            const QString name =
                line.endsWith(u']') ? line.mid(1, line.size() - 2).trimmed() : QString();
            if (name.isEmpty()) {
                result.problem = u"line %1: a section is \"[name]\""_s.arg(number);
                return result;
            }
            for (const Source& other : std::as_const(result.sources))
                if (other.name == name) {
                    result.problem = u"line %1: a second section [%2]"_s.arg(number).arg(name);
                    return result;
                }
            if (QString problem = finishSection(); !problem.isEmpty()) {
                result.problem = problem;
                return result;
            }
            Source source;
            source.name = name;
            result.sources.append(source);
            sectionLine = number;
            continue;
        }
        const qsizetype equals = line.indexOf(u'=');
        if (equals < 0 || sectionLine == 0) {
            result.problem = equals < 0 ? u"line %1: expected \"key = value\""_s.arg(number)
                                        : u"line %1: a key before any [section]"_s.arg(number);
            return result;
        }
        const QString problem = setKey(result.sources.last(), line.left(equals).trimmed(),
                                       line.mid(equals + 1).trimmed());
        if (!problem.isEmpty()) {
            result.problem = u"line %1: "_s.arg(number) + problem;
            return result;
        }
    }
    result.problem = finishSection();
    return result;
}

QString path()
{
    const QString user = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
                         u"/artcal-server/sources.conf"_s;
    if (QFileInfo::exists(user))
        return user;
    // The copy installed with this program first, then the system's data folders.
    const QString beside = QDir::cleanPath(QCoreApplication::applicationDirPath() +
                                           u"/../share/artcal-server/sources.conf"_s);
    if (QFileInfo::exists(beside))
        return beside;
    const QString installed = QStandardPaths::locate(QStandardPaths::GenericDataLocation,
                                                     u"artcal-server/sources.conf"_s);
    return installed.isEmpty() ? user : installed;
}

} // namespace server::import::SourcesConf
