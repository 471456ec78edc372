#include "tools/scan/languageChoice.h"

#include <QGroupBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QHBoxLayout>

#include "ui/kit.h"
#include "ui/settings.h"

namespace qb {

namespace {

constexpr int columnLeft = 120;
constexpr int boxHeight = 315;
constexpr int gap = 120;

}  // namespace

bool LanguageChoice::byFileType() const
{
    return byType->isChecked();
}

LanguageChoice placeLanguageChoice(ScanWindowParts& parts)
{
    auto* fraLanguage = make<QGroupBox>(parts.client, "fraLanguage", QStringLiteral("Language"));
    LanguageChoice choice;
    choice.classic = make<QRadioButton>(fraLanguage, "optLanguage_0", QStringLiteral("C&lassic"));
    choice.byType = make<QRadioButton>(fraLanguage, "optLanguage_1", QStringLiteral("By file t&ype"));
    choice.classic->setChecked(true);
    choice.classic->setToolTip(QStringLiteral("The tool's own rules, as it has always read files"));
    choice.byType->setToolTip(QStringLiteral("Read each file's comments and strings by its type (extension, name or #! line); "
                                             "files of no known type are read the classic way"));
    // Side by side, so the group takes one row of the column.
    auto* layout = new QHBoxLayout(fraLanguage);
    layout->setContentsMargins(6, 2, 6, 2);
    layout->setSpacing(2);
    layout->addWidget(choice.classic);
    layout->addWidget(choice.byType);
    fraLanguage->setMinimumHeight(fraLanguage->sizeHint().height());  // both options whole, whatever the font
    constexpr int height = 675;
    placeTwips(fraLanguage, QRect(columnLeft, parts.nextTop, parts.columnWidth, height), Follow::down());
    parts.nextTop += height + gap;
    return choice;
}

QLineEdit* placeMarkersBox(ScanWindowParts& parts, const QString& windowClass)
{
    QLabel* lblMarkers = placeColumnLabel(parts, "lblMarkers", QStringLiteral("Markers"));
    auto* txtMarkers = make<QLineEdit>(parts.client, "txtMarkers");
    lblMarkers->setBuddy(txtMarkers);
    txtMarkers->setPlaceholderText(QStringLiteral("TODO FIXME HACK XXX BUG"));
    txtMarkers->setToolTip(QStringLiteral("The words that mark a TODO when reading by file type, split by spaces or commas"));
    placeTwips(txtMarkers, QRect(columnLeft, parts.nextTop, parts.columnWidth, boxHeight), Follow::down());
    parts.nextTop += boxHeight + gap;
    const QString key = windowClass + QStringLiteral("/txtMarkers");
    if (rememberInputs())
        txtMarkers->setText(Settings().value(key).toString());
    QObject::connect(txtMarkers, &QLineEdit::textChanged, txtMarkers, [key](const QString& text) {
        if (rememberInputs())
            Settings().setValue(key, text);
    });
    return txtMarkers;
}

}  // namespace qb
