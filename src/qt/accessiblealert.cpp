#include "qt/accessiblealert.h"

#include <QAccessible>
#include <QAccessibleObject>
#include <QWidget>

namespace lumiroka {

namespace {

const char *const kAlertName = "alarmalert";
const char *const kTextProperty = "alertText";

// A notification without a widget of its own. Screen readers speak a notification when
// it is shown (AT-SPI "showing"), and platforms with an alert event report that as well.
class AlertAccessible : public QAccessibleObject
{
public:
    using QAccessibleObject::QAccessibleObject;

    QAccessibleInterface *parent() const override { return QAccessible::queryAccessibleInterface(object()->parent()); }
    int childCount() const override { return 0; }
    QAccessibleInterface *child(int) const override { return nullptr; }
    int indexOfChild(const QAccessibleInterface *) const override { return -1; }
    QAccessible::Role role() const override { return QAccessible::Notification; }
    QAccessible::State state() const override { return {}; }
    QString text(QAccessible::Text kind) const override
    {
        return kind == QAccessible::Name ? object()->property(kTextProperty).toString() : QString();
    }
};

} // namespace

void announceAlert(QWidget *window, const QString &text)
{
    if (!window || text.isEmpty() || !QAccessible::isActive())
        return;
    auto *holder = window->findChild<QObject *>(QLatin1String(kAlertName), Qt::FindDirectChildrenOnly);
    if (!holder) {
        holder = new QObject(window);
        holder->setObjectName(QLatin1String(kAlertName));
        // Qt's cache owns the interface from here and deletes it with the object.
        QAccessible::registerAccessibleInterface(new AlertAccessible(holder));
    }
    holder->setProperty(kTextProperty, text);
    QAccessibleInterface *alert = QAccessible::queryAccessibleInterface(holder);
    if (!alert)
        return;
    QAccessibleEvent shown(alert, QAccessible::ObjectShow);
    QAccessible::updateAccessibility(&shown);
    QAccessibleEvent raised(alert, QAccessible::Alert);
    QAccessible::updateAccessibility(&raised);
}

} // namespace lumiroka
