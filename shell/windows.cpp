#include "shell/windows.h"

#include <QHash>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <QWidget>

#include "shell/services.h"

namespace qb {

namespace {

QHash<QString, WindowFactory>& factories()
{
    static QHash<QString, WindowFactory> map;
    return map;
}

QPointer<QMdiArea>& workspace()
{
    static QPointer<QMdiArea> area;
    return area;
}

QMdiSubWindow* findSubWindow(const QString& className)
{
    if (!workspace())
        return nullptr;
    for (QMdiSubWindow* sub : workspace()->subWindowList())
        if (sub->widget() && sub->widget()->objectName() == className)
            return sub;
    return nullptr;
}

}  // namespace

void registerWindow(const QString& className, WindowFactory factory)
{
    factories().insert(className, std::move(factory));
}

QString windowClassName(const QMetaObject& meta)
{
    const QString name = QString::fromLatin1(meta.className());
    return name.mid(name.lastIndexOf(QLatin1Char(':')) + 1);
}

bool isWindowRegistered(const QString& className)
{
    return factories().contains(className);
}

void setWorkspace(QMdiArea* area)
{
    workspace() = area;
}

QWidget* findOpenWindow(const QString& className)
{
    QMdiSubWindow* sub = findSubWindow(className);
    return sub ? sub->widget() : nullptr;
}

QWidget* openWindow(const QString& className)
{
    const auto factory = factories().constFind(className);
    if (factory == factories().constEnd() || !workspace()) {
        showMessage(QStringLiteral("not found"));
        return nullptr;
    }
    QMdiSubWindow* sub = findSubWindow(className);
    if (!sub) {
        // Not loaded: build it; its constructor runs its load handler.
        QWidget* widget = (*factory)();
        widget->setObjectName(className);
        const QSize size = widget->size();
        sub = workspace()->addSubWindow(widget);
        sub->setAttribute(Qt::WA_DeleteOnClose);
        sub->setWindowIcon(workspace()->window()->windowIcon());
        sub->resize(sub->sizeHint().expandedTo(size));
    }
    sub->showMaximized();
    workspace()->setActiveSubWindow(sub);
    sub->raise();
    return sub->widget();
}

}  // namespace qb
