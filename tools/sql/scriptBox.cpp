#include "tools/sql/scriptBox.h"

#include <QFontDatabase>
#include <QFontMetricsF>
#include <QPlainTextEdit>

namespace qb {

QPlainTextEdit* makeScriptBox(const QString& name, QWidget* parent)
{
    auto* box = new QPlainTextEdit(parent);
    box->setObjectName(name);
    box->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    box->setLineWrapMode(QPlainTextEdit::NoWrap);
    box->setTabStopDistance(QFontMetricsF(box->font()).horizontalAdvance(QLatin1Char(' ')) * 4);
    return box;
}

}  // namespace qb
