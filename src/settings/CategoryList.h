// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QStringList>

#include <optional>

// The picture server's category names, as its categories answer gives them and
// Categories.dat keeps them, and the category choice of Settings.dat, which is a place
// in the source list: 0 "All", 1 "My Gallery", then the names.
namespace CategoryList {

// The places of the source list before the names.
inline constexpr int allPlace = 0;       // "All"
inline constexpr int firstNamePlace = 2; // after "All" and "My Gallery"

// A longer answer is no list of ours and is refused.
inline constexpr qint64 maxBytes = 64 * 1024;
// The longest name a folder, and so a category, can have.
inline constexpr qsizetype maxNameLength = 255;

// The names of an answer, in its order, blank lines and repeats left out. Nothing when
// the answer is no such list: a page (a server that does not know the question may
// answer with one), a type other than plain text or bytes, text that is not UTF-8 or
// holds control characters or a byte order mark, a line longer than a name, more than
// maxBytes, or no name.
std::optional<QStringList> fromAnswer(const QByteArray& body, const QByteArray& contentType);

// Where the choice at `index` of the source list made of `before` is in the one made of
// `after`: the same place for "All", "My Gallery" and no choice, the new place of the
// same name for a category; nothing when that name is gone.
std::optional<int> keepChoice(int index, const QStringList& before, const QStringList& after);

} // namespace CategoryList
