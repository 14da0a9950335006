#include "PopupAccessibility.h"

#include <QAccessibleWidget>
#include <QMenu>

namespace pravik {

namespace {

class MainWindowWithPopups : public QAccessibleWidget {
public:
    explicit MainWindowWithPopups(QWidget* window) : QAccessibleWidget(window, QAccessible::Window) {}

    int childCount() const override
    {
        return QAccessibleWidget::childCount() + static_cast<int>(openPopups().size());
    }

    QAccessibleInterface* child(int index) const override
    {
        const int own = QAccessibleWidget::childCount();
        if (index < own)
            return QAccessibleWidget::child(index);
        const QList<QMenu*> popups = openPopups();
        if (index - own >= popups.size())
            return nullptr;
        return QAccessible::queryAccessibleInterface(popups[index - own]);
    }

    int indexOfChild(const QAccessibleInterface* child) const override
    {
        if (const auto* menu = qobject_cast<const QMenu*>(child->object())) {
            const qsizetype at = openPopups().indexOf(const_cast<QMenu*>(menu));
            if (at >= 0)
                return QAccessibleWidget::childCount() + static_cast<int>(at);
        }
        return QAccessibleWidget::indexOfChild(child);
    }

private:
    // The window's own popup menus that are open now (not the menu bar's,
    // which are found under their titles).
    QList<QMenu*> openPopups() const
    {
        QList<QMenu*> open;
        for (QMenu* menu : widget()->findChildren<QMenu*>(Qt::FindDirectChildrenOnly))
            if (menu->isVisible())
                open.append(menu);
        return open;
    }
};

QAccessibleInterface* accessibleFor(const QString& className, QObject* object)
{
    if (className == QLatin1String("QMainWindow") && object->isWidgetType())
        return new MainWindowWithPopups(static_cast<QWidget*>(object));
    return nullptr;
}

} // namespace

void exposeOpenPopupMenus()
{
    QAccessible::installFactory(accessibleFor);
}

} // namespace pravik
