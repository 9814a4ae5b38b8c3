// SPDX-License-Identifier: GPL-3.0-or-later
#include "calendar/CalendarsDialog.h"

#include "calendar/CalendarSet.h"
#include "calendar/Subscriptions.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QInputDialog>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {
using CalendarList::Entry;
using CalendarList::Kind;

// How the last read or refresh of a calendar went, in a few words.
QString describe(const Entry& entry, const CalendarSet::Status& status)
{
    QStringList parts;
    if (!status.problem.isEmpty())
        parts << QStringLiteral("Not read: %1").arg(status.problem);
    if (entry.isAddress()) {
        parts << (status.refreshed.isValid()
                      ? QStringLiteral("refreshed %1")
                            .arg(QLocale().toString(status.refreshed, QLocale::ShortFormat))
                      : QStringLiteral("not fetched yet"));
        if (!status.encrypted)
            parts << QStringLiteral("not encrypted");
    } else {
        parts << (status.read.isValid() ? QStringLiteral("%1 %2").arg(
                                              status.problem.isEmpty() ? u"read" : u"tried",
                                              QLocale().toString(status.read, QLocale::ShortFormat))
                                        : QStringLiteral("not read yet"));
    }
    return parts.join(QStringLiteral(", "));
}
} // namespace

CalendarsDialog::CalendarsDialog(CalendarSet& calendars, Subscriptions& subscriptions,
                                 QWidget* parent)
    : QDialog(parent), m_calendars(calendars), m_subscriptions(subscriptions)
{
    setWindowTitle(QStringLiteral("Calendars"));
    setAttribute(Qt::WA_DeleteOnClose);
    m_list = new QTreeWidget(this);
    m_list->setHeaderLabels({QStringLiteral("Name"), QStringLiteral("Kind"), QStringLiteral("From"),
                             QStringLiteral("Status")});
    m_list->setRootIsDecorated(false);
    m_list->setAccessibleName(QStringLiteral("Calendars"));
    m_list->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    m_list->setMinimumSize(520, 160);

    auto* addFile = new QPushButton(QStringLiteral("Add &file..."), this);
    auto* addAddress = new QPushButton(QStringLiteral("Add &address..."), this);
    m_remove = new QPushButton(QStringLiteral("&Remove"), this);
    m_kind = new QComboBox(this);
    m_kind->addItems({QStringLiteral("Events"), QStringLiteral("Holidays")});
    m_kind->setAccessibleName(QStringLiteral("Kind"));
    auto* kindLabel = new QLabel(QStringLiteral("&Kind:"), this);
    kindLabel->setBuddy(m_kind);
    m_problem = new QLabel(this);
    m_problem->setWordWrap(true);
    m_problem->setTextFormat(Qt::PlainText);
    auto* close = new QDialogButtonBox(QDialogButtonBox::Close, this);

    auto* buttons = new QHBoxLayout;
    for (QWidget* w :
         std::initializer_list<QWidget*>{addFile, addAddress, m_remove, kindLabel, m_kind})
        buttons->addWidget(w);
    buttons->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_list);
    layout->addLayout(buttons);
    layout->addWidget(m_problem);
    layout->addWidget(close);

    connect(addFile, &QPushButton::clicked, this, &CalendarsDialog::addFile);
    connect(addAddress, &QPushButton::clicked, this, &CalendarsDialog::addAddress);
    connect(m_remove, &QPushButton::clicked, this, &CalendarsDialog::removeSelected);
    connect(m_kind, &QComboBox::activated, this, &CalendarsDialog::setKind);
    connect(close, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_list, &QTreeWidget::currentItemChanged, this, [this] {
        const int row = m_list->currentIndex().row();
        m_remove->setEnabled(row >= 0);
        m_kind->setEnabled(row >= 0);
        if (row >= 0)
            m_kind->setCurrentIndex(m_calendars.entries().at(row).kind == Kind::Holidays);
    });
    connect(&m_calendars, &CalendarSet::statusChanged, this, &CalendarsDialog::fill);
    fill();
}

void CalendarsDialog::fill()
{
    const int row = std::max(m_list->currentIndex().row(), 0);
    m_list->clear();
    for (const Entry& e : m_calendars.entries()) {
        const QStringList columns = {
            e.name,
            e.kind == Kind::Holidays ? QStringLiteral("Holidays") : QStringLiteral("Events"),
            CalendarList::shown(e.source), describe(e, m_calendars.status(e.source))};
        m_list->addTopLevelItem(new QTreeWidgetItem(columns));
    }
    const bool any = m_list->topLevelItemCount() > 0;
    if (any)
        m_list->setCurrentItem(
            m_list->topLevelItem(std::min(row, m_list->topLevelItemCount() - 1)));
    m_remove->setEnabled(any);
    m_kind->setEnabled(any);
}

bool CalendarsDialog::commit(const QList<Entry>& entries)
{
    QString error;
    if (!m_calendars.setEntries(entries, &error)) {
        m_problem->setText(QStringLiteral("Cannot keep the list of calendars: %1").arg(error));
        return false;
    }
    m_problem->clear();
    fill();
    // A new subscription is fetched now; the timer follows the list.
    m_subscriptions.schedule();
    return true;
}

void CalendarsDialog::addSource(const QString& source)
{
    if (!CalendarList::isSource(source)) {
        m_problem->setText(
            QStringLiteral("Not a calendar file or an http, https, webcal or webcals address."));
        return;
    }
    QList<Entry> entries = m_calendars.entries();
    for (const Entry& e : entries) {
        if (e.source == source) {
            m_problem->setText(QStringLiteral("That calendar is in the list already."));
            return;
        }
    }
    const QUrl url(source);
    const QString name = source.startsWith(u'/')    ? QFileInfo(source).completeBaseName()
                         : url.fileName().isEmpty() ? url.host()
                                                    : QFileInfo(url.fileName()).completeBaseName();
    const Entry entry{Kind::Events, CalendarList::cleanName(name), source};
    entries << entry;
    if (commit(entries))
        m_list->setCurrentItem(m_list->topLevelItem(m_list->topLevelItemCount() - 1));
}

void CalendarsDialog::addFile()
{
    const QString path =
        QFileDialog::getOpenFileName(this, QStringLiteral("Add a calendar file"), QString(),
                                     QStringLiteral("iCalendar files (*.ics)"));
    if (!path.isEmpty())
        addSource(QFileInfo(path).absoluteFilePath());
}

void CalendarsDialog::addAddress()
{
    const QString address =
        QInputDialog::getText(this, QStringLiteral("Add a subscription"),
                              QStringLiteral("The calendar's address (https://, webcal://):"))
            .trimmed();
    if (!address.isEmpty())
        addSource(address);
}

void CalendarsDialog::removeSelected()
{
    const int row = m_list->currentIndex().row();
    QList<Entry> entries = m_calendars.entries();
    if (row < 0 || row >= entries.size())
        return;
    entries.removeAt(row);
    commit(entries);
}

void CalendarsDialog::setKind(int index)
{
    const int row = m_list->currentIndex().row();
    QList<Entry> entries = m_calendars.entries();
    if (row < 0 || row >= entries.size())
        return;
    entries[row].kind = index == 1 ? Kind::Holidays : Kind::Events;
    commit(entries);
}
