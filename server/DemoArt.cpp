// SPDX-License-Identifier: GPL-3.0-or-later
#include "DemoArt.h"

#include "DemoArtPainters.h"
#include "ServerLog.h"
#include "platform/AtomicFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QtConcurrent/QtConcurrentMap>

using namespace Qt::StringLiterals;

namespace server::DemoArt {

namespace {

const QStringList titles[] = {
    {u"Drift"_s, u"Quiet Collision"_s, u"Ribbons at Dusk"_s, u"Overture"_s, u"Soft Geometry"_s,
     u"Tide of Colour"_s},
    {u"Seahorse Valley"_s, u"Julia in Bloom"_s, u"Elephant March"_s, u"Dendrite"_s,
     u"Spiral Coast"_s, u"Frost Flower"_s},
    {u"First Light"_s, u"Blue Ridges"_s, u"Evening Haze"_s, u"Night Range"_s, u"Still Lake"_s,
     u"Ember Sky"_s},
    {u"Three Spheres"_s, u"Window Light"_s, u"Long Shadows"_s, u"Afternoon Room"_s, u"Low Sun"_s,
     u"Morning Beam"_s},
    {u"Truchet Weave"_s, u"Honeycomb"_s, u"Ripple Field"_s, u"Knotwork"_s, u"Hex Garden"_s,
     u"Moire Rings"_s},
};

// Beside the category folders of a painted library; hidden, so no category.
const QString paintedMark = u".artcal-demo-art"_s;

struct Job
{
    int category;
    int index;
};

} // namespace

const QStringList& categories()
{
    static const QStringList names = {u"Abstract"_s, u"Fractals"_s, u"Landscapes"_s,
                                      u"Light & Shadow"_s, u"Patterns"_s};
    return names;
}

QString title(int category, int index)
{
    return titles[category][index % titles[category].size()];
}

QImage paint(int category, int index, quint32 seed)
{
    QImage image(pictureSize, QImage::Format_RGB32);
    image.fill(Qt::black);
    std::seed_seq sequence{seed, quint32(category), quint32(index)};
    std::mt19937 rng(sequence);
    switch (category) {
    case 0:
        paintAbstract(image, rng);
        break;
    case 1:
        paintFractal(image, rng, index);
        break;
    case 2:
        paintLandscape(image, rng, index);
        break;
    case 3:
        paintLightAndShadow(image, rng, index);
        break;
    default:
        paintPattern(image, rng, index);
    }
    return image;
}

bool renderLibrary(const QString& root, quint32 seed)
{
    QList<Job> jobs;
    for (int category = 0; category < categories().size(); ++category) {
        if (!QDir(root).mkpath(categories()[category])) {
            qCCritical(lcServer) << "cannot create" << QDir(root).filePath(categories()[category]);
            return false;
        }
        for (int index = 0; index < picturesPerCategory; ++index)
            jobs.append({category, index});
    }
    const QList<bool> written = QtConcurrent::blockingMapped(jobs, [&](const Job& job) {
        const QString path = QDir(root).filePath(categories()[job.category] + u'/' +
                                                 title(job.category, job.index) + u".jpg"_s);
        const QImage picture = paint(job.category, job.index, seed);
        QString error;
        const bool ok = platform::AtomicFile::write(
            path, [&](QIODevice& file) { return picture.save(&file, "JPEG", 90); }, &error);
        if (!ok)
            qCCritical(lcServer) << "cannot write" << path << error;
        return ok;
    });
    if (written.contains(false))
        return false;
    QFile mark(QDir(root).filePath(paintedMark));
    if (!mark.open(QIODevice::WriteOnly)) {
        qCCritical(lcServer) << "cannot write" << mark.fileName() << mark.errorString();
        return false;
    }
    return true;
}

PictureCredits credits(const QString& root, const QString& relativePath)
{
    const QString category = relativePath.section(u'/', 0, 0);
    const int categoryIndex = int(categories().indexOf(category));
    const QString name = relativePath.section(u'/', 1);
    if (categoryIndex < 0 || !name.endsWith(u".jpg"_s) ||
        !titles[categoryIndex].contains(name.chopped(4)) ||
        !QFileInfo::exists(QDir(root).filePath(paintedMark)))
        return {};
    PictureCredits credits;
    credits.title = name.chopped(4);
    credits.licence = u"CC0 1.0"_s;
    credits.licenceUrl = u"https://creativecommons.org/publicdomain/zero/1.0/"_s;
    credits.credit = u"artcal demo art"_s;
    return credits;
}

} // namespace server::DemoArt
