#pragma once

#include <QString>

namespace PictureLink {

// A click on the picture opens its page: the picture tag up to its first "!?!". An
// empty tag (no record installed) opens nothing; an address that is not http or
// https is refused by the browser launch.
void Image1_Click(const QString& tag);

} // namespace PictureLink
