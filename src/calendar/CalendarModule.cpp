// SPDX-License-Identifier: GPL-3.0-or-later
// The calendar module: libical behind CalendarReader.
#include "calendar/CalendarReader.h"

#include <QObject>

namespace {
class IcalReader final : public QObject, public CalendarReader
{
    Q_OBJECT
    Q_PLUGIN_METADATA(IID ARTCAL_CALENDAR_READER_IID FILE "Module.json")
    Q_INTERFACES(CalendarReader)

public:
    Occurrences read(const QByteArray& text, QDate from, QDate to, const QTimeZone& local) override
    {
        return Occurrences::of(text, from, to, local);
    }
};
} // namespace

#include "CalendarModule.moc"
