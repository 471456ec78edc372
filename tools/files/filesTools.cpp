#include "tools/files/filesTools.h"

#include "ui/windows.h"
#include "tools/files/frmAddExtension.h"
#include "tools/files/frmApplies.h"
#include "tools/files/frmEraseChunks.h"
#include "tools/files/frmReplaceLineFromFile.h"
#include "tools/files/frmReviewChanges.h"
#include "tools/files/frmUpdateFiles.h"

namespace qb {

void registerFileWindows()
{
    registerTool<frmEraseChunks>(QStringLiteral("&Erase and Spew Chunks"), 2, ToolMenuEntry{QStringLiteral("mnuEraseChunks"), QStringLiteral("&Erase Chunks"), QKeySequence(Qt::Key_F3), 3});
    registerTool<frmReplaceLineFromFile>({}, -1, ToolMenuEntry{QStringLiteral("mnuSNP"), QStringLiteral("Search and Replace from file"), QKeySequence(Qt::Key_F4), 4});
    registerTool<frmUpdateFiles>(QStringLiteral("&Update a file over multiple directories"), 6);
    registerTool<frmAddExtension>(QStringLiteral("&Add Extension to extensionless files"), 5);
    // The edit loop's windows: opened from the tools that make copies and from the Edit menu.
    registerWindow<frmReviewChanges>();
    registerWindow<frmApplies>();
    registerEditEntry({QStringLiteral("mnuUndoLastApply"), QStringLiteral("&Undo Last Apply"),
                       QStringLiteral("Put back the originals of the last apply, where they still hold what it wrote"),
                       [] {
                           if (auto* applies = qobject_cast<frmApplies*>(openWindow(QStringLiteral("frmApplies"))))
                               applies->undoLastApply();
                       }});
    registerEditEntry({QStringLiteral("mnuPastApplies"), QStringLiteral("&Past Applies\u2026"),
                       QStringLiteral("The applies made so far, newest first; any of them can be undone"),
                       [] { openWindow(QStringLiteral("frmApplies")); }});
}

}  // namespace qb
