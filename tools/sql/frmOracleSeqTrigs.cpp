#include "tools/sql/frmOracleSeqTrigs.h"

#include <QDir>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <functional>

#include "ui/behaviours.h"
#include "ui/cp1252.h"
#include "core/error.h"
#include "ui/guard.h"
#include "ui/kit.h"
#include "ui/services.h"
#include "ui/settings.h"
#include "ui/windows.h"
#include "tools/sql/scriptBox.h"
#include "tools/sql/seqTrig.h"

namespace qb {

namespace {

// A one-line box that reports gaining focus after its own focus handling (which selects the whole
// text on tabbing in), so a handler can set the caret afterwards.
class FocusReportingLineEdit : public QLineEdit {
public:
    using QLineEdit::QLineEdit;
    std::function<void()> onFocusIn;

protected:
    void focusInEvent(QFocusEvent* event) override
    {
        QLineEdit::focusInEvent(event);
        if (onFocusIn)
            runGuarded(onFocusIn);
    }
};

}  // namespace

frmOracleSeqTrigs::frmOracleSeqTrigs(QWidget* parent) : QWidget(parent)
{
    setWindowTitle(QStringLiteral("Form1"));
    explainWindow(this, QStringLiteral("Create Sequence and Trigger code in files: writes the Oracle scripts for a "
                                       "table's sequence and before-insert trigger, shows them and saves them as "
                                       "two files in the folder."));
    resize(px(11400), px(8200));
    QWidget* client = scrollingClient(this);
    setupInputs(client);
    setupOutput(client);
    setupLayout(client);
    setTabChain({Text1, Text3, Text2, Command1, RichTextBox1, RichTextBox2});

    connect(Command1, &QPushButton::clicked, this, guarded([this] { Command1_Click(); }));
    connect(Text1, &QLineEdit::textChanged, this, guarded([this] { Text1_Change(); }));
}

void frmOracleSeqTrigs::setupInputs(QWidget* client)
{
    const QString captions[3] = {QStringLiteral("Table name:"), QStringLiteral("Parent folder for new files:"),
                                 QStringLiteral("In Singular:")};
    for (int i = 0; i < 3; ++i)
        Label1[i] = make<QLabel>(client, QStringLiteral("Label1_%1").arg(i), captions[i]);
    Text1 = make<QLineEdit>(client, "Text1");
    auto* singular = make<FocusReportingLineEdit>(client, "Text3");
    singular->onFocusIn = [this] { Text3_GotFocus(); };
    Text3 = singular;
    // The user's home folder: the place a user can always write to on this platform.
    Text2 = make<QLineEdit>(client, "Text2", QDir::toNativeSeparators(QDir::homePath()));
    for (int i = 0; i < 3; ++i)
        Label1[i]->setBuddy(i == 0 ? Text1 : i == 1 ? Text2 : Text3);
    folderPathBox(Text2);
    Command1 = make<QPushButton>(client, "Command1", QStringLiteral("&Go"));
    Command1->setDefault(true);
}

void frmOracleSeqTrigs::setupOutput(QWidget* client)
{
    Label2 = make<QLabel>(client, "Label2", QStringLiteral("NOTE: this jive was written into files too."));
    QFont large = Label2->font();
    large.setPointSizeF(large.pointSizeF() * 1.6);
    large.setBold(true);
    Label2->setFont(large);
    Label2->setVisible(false);
    RichTextBox1 = makeScriptBox(QStringLiteral("RichTextBox1"), client);
    RichTextBox2 = makeScriptBox(QStringLiteral("RichTextBox2"), client);
    RichTextBox1->setAccessibleName(QStringLiteral("Sequence script"));
    RichTextBox2->setAccessibleName(QStringLiteral("Trigger script"));
}

void frmOracleSeqTrigs::setupLayout(QWidget* client)
{
    auto* inputs = new QGridLayout;
    inputs->addWidget(Label1[0], 0, 0);
    inputs->addWidget(Text1, 0, 1);
    inputs->addWidget(Label1[2], 1, 0);
    inputs->addWidget(Text3, 1, 1);
    inputs->addWidget(Label1[1], 2, 0);
    inputs->addWidget(Text2, 2, 1);
    inputs->addWidget(Command1, 3, 1, Qt::AlignRight);
    inputs->setColumnStretch(1, 1);
    auto* results = new QHBoxLayout;
    results->addWidget(RichTextBox1);
    results->addWidget(RichTextBox2);
    auto* layout = new QVBoxLayout(client);
    layout->addLayout(inputs);
    layout->addWidget(Label2);
    layout->addLayout(results, 1);
}

void frmOracleSeqTrigs::Command1_Click()
{
    // The note claims the files were written, so it only appears once they were.
    if (createSeqTrig(lineBytes(Text1)))
        Label2->setVisible(true);
}

bool frmOracleSeqTrigs::createSeqTrig(const std::string& strTableName)
{
    // Each script shows in its box just before it is written.
    const auto written = writeSeqTrigScripts(toPath(Text2->text()), strTableName, lineBytes(Text3),
                                             [this](ScriptKind kind, const std::string& script) {
                                                 setBoxBytes(kind == ScriptKind::Sequence ? RichTextBox1 : RichTextBox2,
                                                             script);
                                             });
    if (!written) {
        showError(written.error());
        return false;
    }
    showStatus(this, QStringLiteral("Create Sequence and Trigger: wrote %1 and %2")
                         .arg(fromPath(written->sequence.filename()), fromPath(written->trigger.filename())));
    return true;
}

void frmOracleSeqTrigs::Text1_Change()
{
    setLineBytes(Text3, singularGuess(lineBytes(Text1)));
}

void frmOracleSeqTrigs::Text3_GotFocus()
{
    Text3->setCursorPosition(static_cast<int>(Text3->text().size()));
}

}  // namespace qb
