// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What every fuzz target shares: the input as Qt bytes, a property check that stops
// the run with the failed condition, and a scratch folder for the readers that take
// a path.

#include <QByteArray>
#include <QFile>
#include <QLoggingCategory>
#include <QStringDecoder>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

// A broken property is a finding like a crash: abort, so libFuzzer keeps the input.
#define FUZZ_CHECK(condition)                                                                      \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            std::fprintf(stderr, "%s:%d: property failed: %s\n", __FILE__, __LINE__, #condition);  \
            std::abort();                                                                          \
        }                                                                                          \
    } while (false)

namespace FuzzSupport {

inline QByteArray bytes(const uint8_t* data, size_t size)
{
    return QByteArray(reinterpret_cast<const char*>(data), qsizetype(size));
}

inline bool isValidUtf8(const QByteArray& bytes)
{
    auto decoder = QStringDecoder(QStringDecoder::Utf8);
    [[maybe_unused]] const QString text = decoder(bytes);
    return !decoder.hasError();
}

// The readers log every unusable line; at thousands of inputs a second that would
// be all the fuzzer does.
inline void quietLogs()
{
    QLoggingCategory::setFilterRules(QStringLiteral("artcal.*=false"));
}

// A path in a folder that lives as long as the process (under TMPDIR, which fuzz/run
// points at its own scratch folder).
inline QString scratchPath(const QString& name)
{
    static QTemporaryDir dir;
    FUZZ_CHECK(dir.isValid());
    return dir.filePath(name);
}

inline void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    FUZZ_CHECK(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    FUZZ_CHECK(file.write(bytes) == bytes.size());
}

} // namespace FuzzSupport
