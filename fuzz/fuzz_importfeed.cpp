// SPDX-License-Identifier: GPL-3.0-or-later
// The importer's reading of a feed from anywhere: RSS 2.0, Atom, Media RSS, or anything
// else. Whatever it holds, the feed gives at most the cap of pictures, each with an id,
// an image address and credits that are one clean line each.
#include "FuzzSupport.h"

#include "ImportChecks.h"
#include "SourceParsers.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzSupport::quietLogs();
    ImportChecks::checkParsed(server::import::SourceParsers::feed(FuzzSupport::bytes(data, size)));
    return 0;
}
