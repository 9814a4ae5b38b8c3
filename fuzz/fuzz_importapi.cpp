// SPDX-License-Identifier: GPL-3.0-or-later
// The importer's reading of the museums' JSON answers and of sources.conf. The first
// byte picks the reader: the Art Institute's search, the Met's search or object, the
// pictures of the day, or sources.conf. Answers give clean candidates (see
// ImportChecks.h); sources.conf gives usable sources or a problem naming its line.
#include "FuzzSupport.h"

#include "ImportChecks.h"
#include "SourceParsers.h"
#include "SourcesConf.h"

using namespace server::import;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzSupport::quietLogs();
    if (size == 0)
        return 0;
    const QByteArray input = FuzzSupport::bytes(data + 1, size - 1);
    switch (data[0] % 5) {
    case 0:
        ImportChecks::checkParsed(SourceParsers::artic(input));
        break;
    case 1:
        ImportChecks::checkParsed(
            SourceParsers::metSearch(input, QUrl(QStringLiteral("https://met.example"))));
        break;
    case 2:
        ImportChecks::checkParsed(SourceParsers::metObject(input));
        break;
    case 3:
        ImportChecks::checkParsed(SourceParsers::commonsPotd(input));
        break;
    default: {
        const SourcesConf::Result conf = SourcesConf::parse(input);
        if (!conf.problem.isEmpty()) {
            FUZZ_CHECK(conf.problem.startsWith(QStringLiteral("line ")));
            break;
        }
        for (const Source& source : conf.sources) {
            FUZZ_CHECK(!source.category.isEmpty() && !source.category.contains(u'/') &&
                       !source.category.startsWith(u'.'));
            FUZZ_CHECK(source.base.scheme() == QStringLiteral("http") ||
                       source.base.scheme() == QStringLiteral("https"));
        }
    }
    }
    return 0;
}
