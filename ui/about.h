// "About Quillbox" from the Help menu: the version, the folder where the tools keep their files
// (with a button that opens it in the file manager) and where printing goes.
#pragma once

#include <QDialog>
#include <QString>

class QVBoxLayout;

namespace qb {

class AboutDialog : public QDialog {
    Q_OBJECT
public:
    explicit AboutDialog(QWidget* parent = nullptr);

    void cmdOpenDataFolder_Click();

private:
    void setupHeader(QVBoxLayout* layout);
    void setupFacts(QVBoxLayout* layout);

    QString folder_;
};

// The program that shows a folder in the desktop's file manager.
QString fileManagerOpener();

}  // namespace qb
