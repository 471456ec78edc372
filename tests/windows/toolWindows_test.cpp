// Every window of the program, as the frame holds it: reachable at any size, captions that fit
// their text in any font or style, named controls, inputs remembered between openings, folders
// and files dropped on them.
#include "ui/cp1252.h"
#include "ui/kit.h"
#include "ui/pickers.h"
#include "ui/windows.h"
#include "support/toolWindow.h"
#include "tools/registry.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDropEvent>
#include <QKeySequence>
#include <QLabel>
#include <QMenuBar>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiSubWindow>
#include <QMimeData>
#include <QRadioButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QUrl>

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

namespace qb {
namespace {

// What each window must show; which windows there are, and how each is opened, comes from the
// tools' registrations.
struct Tool {
    const char* name;
    std::vector<const char*> boxes;  // the controls that show content, which grow with the window
    const char* listed;              // as the Window menu lists it
    bool walks = false;              // walks a folder, so it chooses the files it takes
    std::string opener = {};         // chooser button or menu entry
};

const Tool expected[] = {
    {"frmWhichGizmet", {}, "Complete List - Gizmet Selection"},
    {"frmEraseChunks", {"richChunk", "richSpew", "Dir1"}, "Erase and Spew Chunks - Erase a chunk of code", true},
    {"frmReplaceLineFromFile", {"Dir1"}, "Search and Replace from file - Form2", true},
    {"frmCarpalTunnel", {"txtChunk", "rich1"}, "Carpal Tunnel Repeats - Insert a bit into big chunks over and over."},
    {"frmHex2Dec", {"Text1", "Text2"}, "Hex 2 Dec 2 Hex 2... - Form2"},
    {"frmAddExtension", {"rich1", "Dir1"}, "Add Extension to extensionless files - Form1", true},
    {"frmUpdateFiles", {"List1", "rich1", "richReplaced", "Dir1"}, "Update a file over multiple directories - Form1", true},
    {"frmFindTodos", {"Text1", "Dir1"}, "Find TODOs - Find lines in code with \"TODO\" in 'em", true},
    {"frmCombineFiles", {"rich1", "Dir1", "Dir2"}, "Combine Lines from two files - Combine Text Files Line-by-Line"},
    {"frmFindSubNFuncts", {"Text1", "Dir1"}, "Find Subs and Functs - Find VB Subs and Functs in source", true},
    {"frmMakeLinktables", {"RichTextBox1", "List1"}, "Make Link Table - Make Link Tables"},
    {"frmTwoTabbedRowsToCols", {"richIn", "richOut"}, "Two lines of cols to two rows - Two tabbed rows to cols"},
    {"frmOracleSeqTrigs", {"RichTextBox1", "RichTextBox2"}, "Create Sequence and Trigger code in files - Form1"},
};

// Every registered window with the chooser's button or the menu entry that opens it, the chooser
// first (opened from the Gizmets menu); a registered window that has no expectations above fails.
std::vector<Tool> everyTool()
{
    std::vector<Tool> tools;
    const auto add = [&tools](std::string opener, const QString& className) {
        const auto known = std::ranges::find(expected, className.toStdString(), &Tool::name);
        ASSERT_NE(known, std::end(expected)) << className.toStdString() << " is registered but nothing here expects it";
        tools.push_back(*known);
        tools.back().opener = std::move(opener);
    };
    add("mnuWhichGizmet", "frmWhichGizmet");
    for (const ToolRegistration& registered : registeredTools())
        if (!registered.windowClass.isEmpty())
            add(registered.chooserPlace >= 0 ? "cmdOpenForm_" + std::to_string(registered.chooserPlace)
                                             : registered.menu->name.toStdString(),
                registered.windowClass);
    EXPECT_EQ(tools.size(), std::size(expected));
    return tools;
}

void settle()
{
    for (int round = 0; round < 3; ++round)
        QApplication::processEvents();
}

class EveryWindow : public test::ToolWindowTest {
protected:
    static void SetUpTestSuite() { registerAllTools(); }

    QMdiSubWindow* sub() const { return qobject_cast<QMdiSubWindow*>(window->parentWidget()); }
    QScrollArea* scroll() const { return child<QScrollArea>("scroll"); }
    void resizeWindow(QSize size)
    {
        sub()->showNormal();
        sub()->resize(size);
        settle();
    }
    // Every shown control lies whole inside the client, so the scroll area reaches it, and no
    // caption shows less than its text; with `apart`, no two controls side by side on the client
    // cover each other (with the style's own sizes).
    void expectLaidOut(const char* when, bool apart = false)
    {
        QWidget* client = scroll()->widget();
        const std::string where = window->objectName().toStdString() + " " + when + ": ";
        for (const QWidget* control : client->findChildren<QWidget*>()) {
            if (!control->isVisibleTo(client) || qobject_cast<const QScrollBar*>(control))
                continue;
            const QRect place(control->mapTo(client, QPoint(0, 0)), control->size());
            EXPECT_TRUE(client->rect().contains(place)) << where << control->objectName().toStdString();
            const auto* label = qobject_cast<const QLabel*>(control);
            const bool caption = qobject_cast<const QAbstractButton*>(control) || (label && !label->wordWrap());
            const QSize needed = caption ? control->sizeHint()
                                 : label  ? QSize(0, label->heightForWidth(label->width()))
                                          : QSize();
            EXPECT_TRUE(control->width() >= needed.width() && control->height() >= needed.height())
                << where << control->objectName().toStdString();
        }
        const QList<QWidget*> side = client->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
        for (qsizetype i = 0; apart && i < side.size(); ++i)
            for (qsizetype j = i + 1; j < side.size(); ++j)
                EXPECT_FALSE(side[i]->isVisibleTo(client) && side[j]->isVisibleTo(client)
                             && side[i]->geometry().intersects(side[j]->geometry()))
                    << where << side[i]->objectName().toStdString() << " and " << side[j]->objectName().toStdString();
    }
};

// The chooser and the Gizmets menu hold what each tool folder registered: every button in its
// place with its caption (the two whose tools are not in the program included), and the tools'
// menu entries with their keys after the frame's own.
TEST_F(EveryWindow, TheChooserAndTheMenuAreBuiltFromTheRegistrations)
{
    struct Button { const char* caption; const char* window; };
    const Button buttons[] = {
        {"&InsertLine", ""}, {"Insert &Property", ""}, {"&Erase and Spew Chunks", "frmEraseChunks"},
        {"&Carpal Tunnel Repeats", "frmCarpalTunnel"}, {"Hex 2 &Dec 2 Hex 2...", "frmHex2Dec"},
        {"&Add Extension to extensionless files", "frmAddExtension"},
        {"&Update a file over multiple directories", "frmUpdateFiles"}, {"Find &TODOs", "frmFindTodos"},
        {"Co&mbine Lines from two files", "frmCombineFiles"}, {"Find Subs and &Functs", "frmFindSubNFuncts"},
        {"Make &Link Table", "frmMakeLinktables"}, {"Two lines of cols to two &rows", "frmTwoTabbedRowsToCols"},
        {"Create &Sequence and Trigger code in files", "frmOracleSeqTrigs"},
    };
    ASSERT_TRUE(open("mnuWhichGizmet", "frmWhichGizmet"));
    EXPECT_EQ(window->findChildren<QAbstractButton*>().size(), std::ssize(buttons));
    for (int place = 0; place < std::ssize(buttons); ++place) {
        EXPECT_EQ(child<QAbstractButton>(("cmdOpenForm_" + std::to_string(place)).c_str())->text(), buttons[place].caption);
        const auto tool = std::ranges::find(registeredTools(), place, &ToolRegistration::chooserPlace);
        ASSERT_NE(tool, registeredTools().end()) << place;
        EXPECT_EQ(tool->windowClass, buttons[place].window);
    }
    QStringList entries;
    for (const QAction* action : frame.findChild<QMenu*>("mnuGizmets")->actions())
        entries << action->objectName() + " " + action->shortcut().toString();
    EXPECT_EQ(entries, QStringList({"mnuWhichGizmet Ctrl+F1", "mnuTags F1", "mnuInsert F2", "mnuEraseChunks F3",
                                    "mnuSNP F4"}));
}

// Every control has an accessible name; every placeholder caption (and a window titled like a
// placeholder) says what its control does. Shrunk to less than its design size a window scrolls
// to every control; grown, its content boxes grow with it. Captions still fit their text when a
// large font, then a style sheet that makes buttons and check boxes roomier, comes in.
TEST_F(EveryWindow, ControlsAreNamedScrollWhenSmallAndGrowWhenLarge)
{
    const QFont usual = QApplication::font();
    QFont large = usual;
    large.setPointSize(14);
    const QStringList placeholders = {"Text1", "Text2", "Command1", "Frame1", "RichTextBox1"};
    for (const Tool& tool : everyTool()) {
        SCOPED_TRACE(tool.name);
        ASSERT_TRUE(open(tool.opener.c_str(), tool.name));
        for (const QWidget* control : window->findChildren<QWidget*>()) {
            // A button's, box's or label's text, a group's title, a text box's contents.
            const QString caption = withoutAccessKey(control->property("text").toString()) + control->property("title").toString()
                                    + control->property("plainText").toString();
            // A drop-down's list is a popup window of its own, not a control of this window.
            const bool isControl = control->window() == window->window()
                                   && (control->focusPolicy() != Qt::NoFocus || qobject_cast<const QLabel*>(control));
            EXPECT_FALSE(isControl && !qobject_cast<const QScrollArea*>(control) && control->accessibleName().isEmpty())
                << control->objectName().toStdString();
            EXPECT_FALSE(placeholders.contains(caption)
                         && (control->toolTip().isEmpty() || control->accessibleDescription().isEmpty()))
                << control->objectName().toStdString();
        }
        EXPECT_FALSE(window->windowTitle().startsWith("Form")
                     && (windowExplanation(window).isEmpty() || window->accessibleDescription().isEmpty()));
        resizeWindow(sub()->size());
        const QSize design = sub()->size();  // restored, a window opens at its design size
        resizeWindow({260, 200});
        expectLaidOut("small");
        EXPECT_GT(scroll()->verticalScrollBar()->maximum() + scroll()->horizontalScrollBar()->maximum(), 0);

        resizeWindow(design);
        std::map<std::string, QSize> before;
        for (const char* box : tool.boxes)
            before[box] = child<QWidget>(box)->size();
        expectLaidOut("design size", true);
        resizeWindow(design + QSize(300, 200));
        expectLaidOut("large", true);
        for (const char* box : tool.boxes) {
            const QSize after = child<QWidget>(box)->size();
            EXPECT_TRUE(after.width() > before[box].width() || after.height() > before[box].height()) << box;
        }
        QApplication::setFont(large);
        settle();
        expectLaidOut("14 pt");
        qApp->setStyleSheet("QPushButton { padding: 6px 20px; } QCheckBox, QLabel { padding: 3px; }");
        settle();
        expectLaidOut("style sheet");
        qApp->setStyleSheet({});
        QApplication::setFont(usual);
        sub()->close();
    }
}

// Every button, check box and option button has an access key, and no two controls of a window,
// its own menus included, share one. Every window that walks a folder lets the user choose its
// files the same way: "Skip files git ignores", off at first, and an empty "Files" box
// (remembering them is tested with every input). The Window menu lists every open window by its
// tool's name with the caption after it, so the windows captioned "Form1" or "Form2" can be told
// apart.
TEST_F(EveryWindow, AccessKeysAndFileChoicesAreAlikeAndTheWindowMenuNamesTheTools)
{
    QStringList listed;
    for (const Tool& tool : everyTool()) {
        SCOPED_TRACE(tool.name);
        ASSERT_TRUE(open(tool.opener.c_str(), tool.name));
        std::map<int, QString> keys;
        const auto take = [&keys](const QString& caption, const QString& owner) {
            const QKeySequence key = QKeySequence::mnemonic(caption);
            ASSERT_FALSE(key.isEmpty()) << owner.toStdString() << " has no access key";
            const auto [at, fresh] = keys.emplace(key[0].key(), owner);
            EXPECT_TRUE(fresh) << owner.toStdString() << " and " << at->second.toStdString() << " share one key";
        };
        for (const QAbstractButton* button : window->findChildren<QAbstractButton*>())
            if (!button->objectName().startsWith("qt_"))  // Qt's own, such as a menu bar's overflow
                take(button->text(), button->objectName());
        for (const QMenuBar* bar : window->findChildren<QMenuBar*>())
            for (const QAction* menu : bar->actions())
                if (menu->text() != "File")  // the one menu whose caption has no access key
                    take(menu->text(), menu->text());
        const auto* skip = window->findChild<QCheckBox*>("chkSkipGitIgnored");
        const auto* files = window->findChild<QLineEdit*>("txtFiles");
        EXPECT_EQ(skip && files, tool.walks);
        if (skip && files) {
            EXPECT_EQ(withoutAccessKey(skip->text()), "Skip files git ignores");
            EXPECT_FALSE(skip->isChecked());
            EXPECT_EQ(files->text(), "");
            EXPECT_EQ(withoutAccessKey(child<QLabel>("lblFiles")->text()), "Files");
        }
        listed << QString::fromUtf8(tool.listed);
    }
    frame.updateWindowMenu();
    QStringList entries;
    for (int i = 0; QAction* entry = frame.findChild<QAction*>(QStringLiteral("mnuWindowList_%1").arg(i)); ++i)
        entries << withoutAccessKey(entry->text()).section(' ', 1);
    EXPECT_EQ(entries, listed);
}

// What a user sets up, seen through the controls that are remembered.
using Inputs = std::map<QString, QString>;

Inputs inputsOf(const QWidget* window)
{
    Inputs inputs;
    for (const FolderPicker* folder : window->findChildren<FolderPicker*>())
        inputs[folder->objectName()] = folder->path();
    for (const QLineEdit* box : window->findChildren<QLineEdit*>())
        if (!box->property("rememberedPath").isNull() || box->property("rememberedText").toBool())
            inputs[box->objectName()] = box->text();
    for (const QListWidget* list : window->findChildren<QListWidget*>())
        if (list->property("rememberedPaths").toBool())
            for (int row = 0; row < list->count(); ++row)
                inputs[list->objectName() + QString::number(row)] = list->item(row)->text();
    for (const QAbstractButton* option : window->findChildren<QAbstractButton*>())
        if (qobject_cast<const QCheckBox*>(option) || qobject_cast<const QRadioButton*>(option))
            inputs[option->objectName()] = option->isChecked() ? "on" : "off";
    return inputs;
}

class RememberedInputs : public EveryWindow {
protected:
    // Points every picker at `folder`, every path box at an existing file or folder, adds that
    // file to every remembered list, flips every check box and picks the last option of each group.
    void change(const std::filesystem::path& folder, const std::filesystem::path& file) const
    {
        for (FolderPicker* picker : window->findChildren<FolderPicker*>())
            ASSERT_TRUE(picker->setPath(fromPath(folder)));
        for (QLineEdit* box : window->findChildren<QLineEdit*>()) {
            const QVariant kind = box->property("rememberedPath");
            if (!kind.isNull())
                box->setText(fromPath(kind.toString() == "folder" ? folder : file));
            else if (box->property("rememberedText").toBool())
                box->setText("*.bas !copies/");
        }
        for (QListWidget* list : window->findChildren<QListWidget*>())
            if (list->property("rememberedPaths").toBool())
                list->addItem(fromPath(file));
        for (QCheckBox* box : window->findChildren<QCheckBox*>())
            box->toggle();
        for (QRadioButton* option : window->findChildren<QRadioButton*>())
            option->setChecked(true);  // the last one of each group stays checked
    }
    Inputs reopen(const Tool& tool)
    {
        sub()->close();
        settle();
        return open(tool.opener.c_str(), tool.name) ? inputsOf(window) : Inputs{};
    }
};

// Closing and reopening gives back the folders, paths and options; with the option off the window
// starts from its initial values again, and so does a remembered folder or file that is gone.
TEST_F(RememberedInputs, ComeBackUnlessTurnedOffOrGone)
{
    QAction* remember = frame.findChild<QAction*>("mnuRememberInputs");
    ASSERT_TRUE(remember && remember->isCheckable() && remember->isChecked());
    for (const Tool& tool : everyTool()) {
        SCOPED_TRACE(tool.name);
        const auto folder = temp.mkdir(std::string("picked/") + tool.name);
        const auto file = temp.write(std::string("picked/") + tool.name + ".txt", "x");
        ASSERT_TRUE(open(tool.opener.c_str(), tool.name));
        const Inputs initial = inputsOf(window);
        change(folder, file);
        const Inputs changed = inputsOf(window);
        EXPECT_EQ(reopen(tool), changed);

        remember->trigger();  // off: nothing is restored, nothing kept
        EXPECT_EQ(reopen(tool), initial);
        change(folder, file);
        remember->trigger();
        EXPECT_EQ(reopen(tool), changed);

        // Gone: folders and paths start from their initial values; the options and typed text stay as set.
        std::filesystem::remove_all(folder);
        std::filesystem::remove(file);
        const auto typed = [this](const QString& name) {
            const auto* box = window->findChild<QLineEdit*>(name);
            return box && box->property("rememberedText").toBool();
        };
        Inputs expected = initial;
        for (const auto& [name, value] : changed)
            if (value == "on" || value == "off" || typed(name))
                expected[name] = value;
        EXPECT_EQ(reopen(tool), expected);
        sub()->close();
    }
}

// Drops `path` on `target` at `at` (in its own coordinates); true when the target took it.
bool drop(QWidget* target, const std::filesystem::path& path, QPoint at)
{
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(fromPath(path))});
    QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &enter);
    if (!enter.isAccepted())
        return false;
    QDropEvent dropped(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &dropped);
    return dropped.isAccepted();
}

// A folder dropped on a window opens in the picker nearest to where it fell; a file dropped on a
// path box fills it; neither is taken where it does not belong.
TEST_F(EveryWindow, DroppedFoldersAndFilesGoWhereTheyFell)
{
    const auto folder = temp.mkdir("dropped");
    const auto file = temp.write("dropped/a.txt", "a");
    ASSERT_TRUE(open("cmdOpenForm_8", "frmCombineFiles"));
    resizeWindow({900, 700});
    auto* Dir1 = child<FolderPicker>("Dir1");
    auto* Dir2 = child<FolderPicker>("Dir2");
    const QString before = Dir1->path();
    const QPoint nearDir2 = window->mapFromGlobal(Dir2->mapToGlobal(Dir2->rect().center()));
    EXPECT_TRUE(drop(window, folder, nearDir2 + QPoint(0, 40)));
    EXPECT_EQ(Dir2->path(), fromPath(folder));
    EXPECT_EQ(child<QListWidget>("List2")->count(), 1);
    EXPECT_EQ(Dir1->path(), before);
    EXPECT_FALSE(drop(window, file, nearDir2));  // a file is no folder
    EXPECT_TRUE(drop(line("Text1"), file, {5, 5}));
    EXPECT_EQ(line("Text1")->text(), fromPath(file));
    const auto other = temp.mkdir("other");
    EXPECT_TRUE(drop(line("Text2"), other, {5, 5}));  // no file: it goes to the picker nearby instead
    EXPECT_EQ(line("Text2")->text(), "");
    EXPECT_EQ(Dir2->path(), fromPath(other));
    EXPECT_TRUE(recorder.messages.isEmpty());

    ASSERT_TRUE(open("mnuSNP", "frmReplaceLineFromFile"));
    EXPECT_TRUE(drop(line("txtPath"), folder, {5, 5}));  // the echo box sends it to its picker
    EXPECT_EQ(child<FolderPicker>("Dir1")->path(), fromPath(folder));
    EXPECT_EQ(line("txtPath")->text(), fromPath(folder));
}

}  // namespace
}  // namespace qb
