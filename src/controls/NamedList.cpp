// SPDX-License-Identifier: GPL-3.0-or-later
#include "controls/NamedList.h"

#include <QAbstractItemView>
#include <QAccessibleWidget>
#include <QComboBox>

namespace {

// The list by its name, the chosen entry as its value; the entries stay reachable as
// the list's one child, the popup's view, as with Qt's own interface.
class AccessibleList : public QAccessibleWidget
{
public:
    explicit AccessibleList(QComboBox* list) : QAccessibleWidget(list, QAccessible::ComboBox) {}

    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Value)
            return list()->currentText();
        return QAccessibleWidget::text(t);
    }
    int childCount() const override { return 1; }
    QAccessibleInterface* child(int index) const override
    {
        if (index != 0)
            return nullptr;
        // The chosen entry is the selected one there, which is how AT-SPI tells the value;
        // the list marks it itself only while its popup is open.
        QAbstractItemView* view = list()->view();
        view->setCurrentIndex(list()->model()->index(list()->currentIndex(), list()->modelColumn(),
                                                     list()->rootModelIndex()));
        return QAccessible::queryAccessibleInterface(view);
    }
    int indexOfChild(const QAccessibleInterface* child) const override
    {
        return child && child->object() == list()->view() ? 0 : -1;
    }
    QStringList actionNames() const override { return {showMenuAction(), pressAction()}; }
    void doAction(const QString& action) override
    {
        if (action == showMenuAction() || action == pressAction())
            list()->showPopup();
    }

private:
    QComboBox* list() const { return static_cast<QComboBox*>(widget()); }
};

const char* const named = "artcal.namedList";

QAccessibleInterface* accessibleList(const QString&, QObject* object)
{
    auto* list = qobject_cast<QComboBox*>(object);
    return list && list->property(named).toBool() ? new AccessibleList(list) : nullptr;
}

} // namespace

namespace NamedList {

void name(QComboBox* list, const QString& name)
{
    static const bool accessible = (QAccessible::installFactory(accessibleList), true);
    Q_UNUSED(accessible);
    list->setProperty(named, true);
    // Qt keeps the interface it made for the list as it was filled: this one replaces it.
    QAccessible::deleteAccessibleInterface(
        QAccessible::uniqueId(QAccessible::queryAccessibleInterface(list)));
    list->setAccessibleName(name);
}

} // namespace NamedList
