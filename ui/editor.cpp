#include "ui/editor.h"

#include <QDialogButtonBox>
#include <QEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QProcess>
#include <QTextBlock>
#include <QVBoxLayout>

#include "ui/cp1252.h"
#include "ui/guard.h"
#include "ui/kit.h"
#include "ui/services.h"
#include "ui/settings.h"

namespace qb {

namespace {

const QString editorKey = QStringLiteral("options/editor");

// `word` with every {file} and {line} filled in, in one pass: a file name that holds "{line}"
// stays as it is.
QString fillPlaceholders(const QString& word, const QString& file, std::uint64_t line)
{
    static const QString filePlaceholder = QStringLiteral("{file}");
    static const QString linePlaceholder = QStringLiteral("{line}");
    QString filled;
    for (qsizetype i = 0; i < word.size();) {
        if (word.mid(i, filePlaceholder.size()) == filePlaceholder) {
            filled += file;
            i += filePlaceholder.size();
        } else if (word.mid(i, linePlaceholder.size()) == linePlaceholder) {
            filled += QString::number(line);
            i += linePlaceholder.size();
        } else {
            filled += word[i++];
        }
    }
    return filled;
}

QString programOf(const QString& command)
{
    const QStringList words = QProcess::splitCommand(command);
    return words.isEmpty() ? QString() : words.front();
}

}  // namespace

const QStringList& defaultEditorTemplates()
{
    static const QStringList templates = {
        QStringLiteral("code -g {file}:{line}"), QStringLiteral("kate --line {line} {file}"),
        QStringLiteral("gedit +{line} {file}"),  QStringLiteral("gvim +{line} {file}"),
        QStringLiteral("xdg-open {file}"),
    };
    return templates;
}

QString editorTemplate()
{
    return Settings().value(editorKey).toString();
}

void setEditorTemplate(const QString& command)
{
    Settings settings;
    if (command.trimmed().isEmpty())
        settings.remove(editorKey);
    else
        settings.setValue(editorKey, command.trimmed());
}

QString defaultEditorTemplate()
{
    for (const QString& candidate : defaultEditorTemplates())
        if (!findProgram(programOf(candidate)).isEmpty())
            return candidate;
    return defaultEditorTemplates().back();
}

QString editorTemplateInUse()
{
    const QString chosen = editorTemplate();
    return chosen.isEmpty() ? defaultEditorTemplate() : chosen;
}

std::optional<EditorCommand> editorCommand(const QString& command, const QString& file, std::uint64_t line)
{
    QStringList words = QProcess::splitCommand(command);
    if (words.isEmpty())
        return std::nullopt;
    EditorCommand made{words.takeFirst(), {}};
    for (const QString& word : words)
        made.arguments.push_back(fillPlaceholders(word, file, line));
    return made;
}

void openInEditor(const std::filesystem::path& file, std::uint64_t line)
{
    const QString command = editorTemplateInUse();
    const auto made = editorCommand(command, fromPath(file), line);
    if (!made) {
        showMessage(QStringLiteral("The editor command \"%1\" names no program: choose an editor under Options > "
                                   "Editor.")
                        .arg(command));
        return;
    }
    if (findProgram(made->program).isEmpty()) {
        showMessage(QStringLiteral("%1 could not be started: it was not found on the PATH. Choose an editor under "
                                   "Options > Editor.")
                        .arg(made->program));
        return;
    }
    startProgram(made->program, made->arguments);
}

LineLinks::LineLinks(QPlainTextEdit* box, PlaceOfLine placeOf)
    : QObject(box), box_(box), viewport_(box->viewport()), placeOf_(std::move(placeOf))
{
    box->installEventFilter(this);
    viewport_->installEventFilter(this);
}

void LineLinks::markReportShown()
{
    box_->document()->setModified(false);
    shown_ = true;
}

bool LineLinks::showsReport() const
{
    return shown_ && !box_->document()->isModified();
}

bool LineLinks::openLine(int index) const
{
    if (!showsReport())
        return false;
    const std::optional<FilePlace> place = placeOf_(index);
    if (!place)
        return false;
    runGuarded([&] { openInEditor(place->file, place->line); });
    return true;
}

bool LineLinks::eventFilter(QObject* watched, QEvent* event)
{
    // The event type first, and the viewport as it was remembered: while the box is being
    // destroyed its children still send events here, and the box may no longer be asked for it.
    if (event->type() == QEvent::MouseButtonDblClick && watched == viewport_) {
        const auto* click = static_cast<QMouseEvent*>(event);
        if (click->button() == Qt::LeftButton)
            return openLine(box_->cursorForPosition(click->position().toPoint()).blockNumber());
    }
    if (event->type() == QEvent::KeyPress && watched == box_) {
        const auto* key = static_cast<QKeyEvent*>(event);
        const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
        if (enter && (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier)
            return openLine(box_->textCursor().blockNumber()) || showsReport();
    }
    return false;
}

EditorDialog::EditorDialog(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("dlgEditor"));
    setWindowTitle(QStringLiteral("Quillbox"));
    auto* explanation = wrapped(make<QLabel>(
        this, "lblEditorCommand",
        QStringLiteral("The command that opens a result's file at its line. {file} stands for the file and {line} for "
                       "the line number; each is one argument, whatever the file is called. A word with spaces goes "
                       "in \"double quotes\".")));
    txtEditorCommand = make<QLineEdit>(this, "txtEditorCommand", editorTemplate());
    explanation->setBuddy(txtEditorCommand);
    const QString fallback = defaultEditorTemplate();
    txtEditorCommand->setPlaceholderText(fallback);
    auto* inUse = wrapped(make<QLabel>(this, "lblEditorDefault",
                                       QStringLiteral("Left empty, Quillbox uses: %1").arg(fallback)));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &EditorDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &EditorDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(explanation);
    layout->addWidget(txtEditorCommand);
    layout->addWidget(inUse);
    layout->addWidget(buttons);
    setMinimumWidth(fontMetrics().averageCharWidth() * 70);
}

void EditorDialog::accept()
{
    const QString command = txtEditorCommand->text().trimmed();
    if (!command.isEmpty() && !command.contains(QStringLiteral("{file}"))) {
        showMessage(QStringLiteral("The command needs {file} where the file's name goes."));
        return;
    }
    setEditorTemplate(command);
    QDialog::accept();
}

}  // namespace qb
