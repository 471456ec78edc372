// The scanner windows' "Language" choice: "Classic" (the tool's own rules, the default) or "By file
// type" (comments and strings read by each file's type), as two option buttons remembered with the
// window's other inputs; and the TODO window's "Markers" box, remembered the same way.
#pragma once

#include "tools/scan/scanWindow.h"

class QLineEdit;
class QRadioButton;

namespace qb {

struct LanguageChoice {
    QRadioButton* classic = nullptr;  // optLanguage_0
    QRadioButton* byType = nullptr;   // optLanguage_1
    bool byFileType() const;
};

// Places the group fraLanguage ("Language") with optLanguage_0 ("C&lassic", checked) and
// optLanguage_1 ("By file t&ype") next down the left column.
LanguageChoice placeLanguageChoice(ScanWindowParts& parts);

// Places lblMarkers ("Markers") and below it txtMarkers, which holds the marker words (empty: the
// defaults, shown as its placeholder). Its text is remembered with the inputs of the window
// class `windowClass`.
QLineEdit* placeMarkersBox(ScanWindowParts& parts, const QString& windowClass);

}  // namespace qb
