#include "tools/sql/scriptBox.h"

#include <QFontDatabase>
#include <QFontMetricsF>
#include <QPlainTextEdit>

#include "ui/kit.h"

namespace qb {

QPlainTextEdit* makeScriptBox(const QString& name, QWidget* parent)
{
    auto* box = make<QPlainTextEdit>(parent, name);
    box->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    box->setLineWrapMode(QPlainTextEdit::NoWrap);
    box->setTabStopDistance(QFontMetricsF(box->font()).horizontalAdvance(QLatin1Char(' ')) * 4);
    return box;
}

}  // namespace qb
