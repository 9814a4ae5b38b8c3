// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QSize>
#include <QString>

// Writes a JPEG with photo-like detail (colour fields, fine grain, sharp edges), so that
// it encodes and decodes like a photograph rather than a flat colour. Deterministic.
bool writeDetailedJpeg(const QString& path, QSize size, int quality);
