#include "ui/startupProbe.h"

#include <QCoreApplication>
#include <QEvent>
#include <QTimer>

#include <chrono>
#include <cstdio>

namespace qb {

namespace {

class FirstPaint : public QObject {
public:
    explicit FirstPaint(QString objectName) : QObject(QCoreApplication::instance()), name_(std::move(objectName)) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (!done_ && event->type() == QEvent::Paint && within(watched)) {
            done_ = true;
            const auto now = std::chrono::duration<double>(std::chrono::system_clock::now().time_since_epoch());
            std::fprintf(stderr, "shown %.6f\n", now.count());
            std::fflush(stderr);
            QTimer::singleShot(0, QCoreApplication::instance(), &QCoreApplication::quit);
        }
        return false;
    }

private:
    // The widget itself paints no background: its controls are what is painted.
    bool within(const QObject* object) const
    {
        for (; object; object = object->parent())
            if (object->objectName() == name_)
                return true;
        return false;
    }

    QString name_;
    bool done_ = false;
};

}  // namespace

void reportFirstPaint(const QString& objectName)
{
    QCoreApplication::instance()->installEventFilter(new FirstPaint(objectName));
}

}  // namespace qb
