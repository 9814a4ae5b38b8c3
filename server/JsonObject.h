// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QString>

#include <optional>

// The object a JSON text holds; else nothing, and `problem` says why.
inline std::optional<QJsonObject> jsonObject(const QByteArray& text, QString* problem)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(text, &error);
    if (error.error != QJsonParseError::NoError) {
        *problem = QStringLiteral("not JSON: ") + error.errorString();
        return std::nullopt;
    }
    if (!document.isObject()) {
        *problem = QStringLiteral("not a JSON object");
        return std::nullopt;
    }
    return document.object();
}
