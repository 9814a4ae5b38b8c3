// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "wallpaper/Desktop.h"

namespace wallpaper {

// The desktops that keep their background in GSettings, through the `gsettings` tool:
// GNOME (with Unity and Budgie), MATE and Cinnamon, each with its schema and keys.
class GSettingsDesktop : public Desktop
{
public:
    enum class Family { Gnome, Mate, Cinnamon };

    GSettingsDesktop(Family family, QObject* context, std::chrono::milliseconds limit);

    QString name() const override;
    void read(Values done) override;
    void show(const QString& path, Done done) override;
    void restore(const QStringList& values, Done done) override;

    // GVariant text of a string, as `gsettings set` takes it, and back from what
    // `gsettings get` prints (which quotes with " when the string holds a ').
    static QString quoted(const QString& text);
    static QString unquoted(const QString& printed);

private:
    struct Key
    {
        QString name;
        bool uri; // a file: URI, else a plain path
    };
    QList<Key> fileKeys() const;
    QStringList keys() const; // the file keys, then the option key

    Family m_family;
    QString m_schema;
};

} // namespace wallpaper
