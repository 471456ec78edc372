#include "ui/guard.h"

#include <exception>

#include "ui/services.h"

namespace qb {

void runGuarded(const std::function<void()>& handler)
{
    try {
        handler();
    } catch (const std::exception& e) {
        showMessage(QStringLiteral("Unexpected error: %1").arg(QString::fromLocal8Bit(e.what())));
    } catch (...) {
        showMessage(QStringLiteral("Unexpected error."));
    }
}

}  // namespace qb
