#include "ui/about.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/cp1252.h"
#include "ui/guard.h"
#include "ui/kit.h"
#include "ui/printing.h"
#include "ui/services.h"

namespace qb {

AboutDialog::AboutDialog(QWidget* parent)
    : QDialog(parent), folder_(QDir::toNativeSeparators(fromPath(programFolder())))
{
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("About Quillbox"));
    auto* layout = new QVBoxLayout(this);
    setupHeader(layout);
    setupFacts(layout);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    setMinimumWidth(520);
}

void AboutDialog::setupHeader(QVBoxLayout* layout)
{
    auto* icon = new QLabel(this);
    icon->setPixmap(QIcon(QStringLiteral(":/quillbox.png")).pixmap(48));
    auto* header = new QHBoxLayout;
    header->addWidget(icon);
    header->addWidget(new QLabel(QStringLiteral("<b>Quillbox</b>"), this), 1);
    layout->addLayout(header);
    layout->addWidget(wrapped(new QLabel(
        QStringLiteral("A toolbox for developers who work with source code, text files and databases."), this)));
}

void AboutDialog::setupFacts(QVBoxLayout* layout)
{
    auto* open = make<QPushButton>(this, "cmdOpenDataFolder", QStringLiteral("&Open Folder"));
    connect(open, &QPushButton::clicked, this, guarded([this] { cmdOpenDataFolder_Click(); }));
    // One row a fact; the data folder's row has the button beside it.
    struct Fact {
        const char* name;
        QString caption;
        QString value;
        QWidget* beside = nullptr;
    };
    const Fact facts[] = {
        {"lblVersion", QStringLiteral("Version:"), QStringLiteral(QUILLBOX_VERSION)},
        {"lblDataFolder", QStringLiteral("Data folder:"), folder_, open},
        {"lblPrinting", QStringLiteral("Printing:"), printDestination()},
    };
    auto* form = new QFormLayout;
    for (const Fact& fact : facts) {
        QLabel* value = wrapped(make<QLabel>(this, fact.name, fact.value));
        value->setTextInteractionFlags(Qt::TextSelectableByMouse);
        auto* row = new QHBoxLayout;
        row->addWidget(value, 1);
        if (fact.beside)
            row->addWidget(fact.beside);
        form->addRow(fact.caption, row);
    }
    layout->addLayout(form);
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
