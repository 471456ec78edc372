#include "shell/about.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "shell/cp1252.h"
#include "shell/guard.h"
#include "shell/printing.h"
#include "shell/services.h"

namespace qb {

namespace {

QLabel* makeValue(const char* name, const QString& text, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setTextFormat(Qt::PlainText);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    label->setWordWrap(true);
    return label;
}

}  // namespace

AboutDialog::AboutDialog(QWidget* parent)
    : QDialog(parent), folder_(QDir::toNativeSeparators(fromPath(programFolder())))
{
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("About Quillbox"));

    auto* icon = new QLabel(this);
    icon->setPixmap(QIcon(QStringLiteral(":/quillbox.png")).pixmap(48));
    auto* title = new QLabel(QStringLiteral("<b>Quillbox</b>"), this);
    auto* header = new QHBoxLayout;
    header->addWidget(icon);
    header->addWidget(title, 1);
    auto* summary = new QLabel(
        QStringLiteral("A toolbox for developers who work with source code, text files and databases."), this);
    summary->setWordWrap(true);

    auto* open = new QPushButton(QStringLiteral("&Open Folder"), this);
    open->setObjectName(QStringLiteral("cmdOpenDataFolder"));
    connect(open, &QPushButton::clicked, this, guarded([this] { cmdOpenDataFolder_Click(); }));
    auto* folderRow = new QHBoxLayout;
    folderRow->addWidget(makeValue("lblDataFolder", folder_, this), 1);
    folderRow->addWidget(open);

    auto* facts = new QFormLayout;
    facts->addRow(QStringLiteral("Version:"), makeValue("lblVersion", QStringLiteral(QUILLBOX_VERSION), this));
    facts->addRow(QStringLiteral("Data folder:"), folderRow);
    facts->addRow(QStringLiteral("Printing:"), makeValue("lblPrinting", printDestination(), this));

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(header);
    layout->addWidget(summary);
    layout->addLayout(facts);
    layout->addWidget(buttons);
    setMinimumWidth(520);
}

void AboutDialog::cmdOpenDataFolder_Click()
{
    const QString opener = fileManagerOpener();
    if (!launchDetached(opener, {folder_}))
        showMessage(QStringLiteral("The file manager (%1) could not be started to open %2").arg(opener, folder_));
}

QString fileManagerOpener()
{
#if defined(Q_OS_WIN)
    return QStringLiteral("explorer");
#elif defined(Q_OS_DARWIN)
    return QStringLiteral("open");
#else
    return QStringLiteral("xdg-open");
#endif
}

}  // namespace qb
