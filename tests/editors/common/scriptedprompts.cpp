#include "scriptedprompts.h"

ScriptedPrompts::ScriptedPrompts()
{
    Prompts::Install(this);
}

ScriptedPrompts::~ScriptedPrompts()
{
    Prompts::Install(nullptr);
}

ScriptedPrompts& ScriptedPrompts::Answer(const QVariant& answer)
{
    answers.append(answer);
    return *this;
}

QStringList ScriptedPrompts::Kinds() const
{
    QStringList kinds;
    for (const PromptCall& call : calls)
        kinds << call.kind;
    return kinds;
}

bool ScriptedPrompts::Next(QVariant* answer)
{
    if (answers.isEmpty()) {
        ++unanswered;
        return false;
    }
    *answer = answers.takeFirst();
    return true;
}

void ScriptedPrompts::Information(QWidget* parent, const QString& title, const QString& text)
{
    calls.append({QStringLiteral("information"), title, text, QMessageBox::Ok, QMessageBox::NoButton, {}, {}, {},
                  parent});
}

void ScriptedPrompts::Critical(QWidget* parent, const QString& title, const QString& text)
{
    calls.append({QStringLiteral("critical"), title, text, QMessageBox::Ok, QMessageBox::NoButton, {}, {}, {},
                  parent});
}

QMessageBox::StandardButton ScriptedPrompts::Question(QWidget* parent, const QString& title, const QString& text,
                                                      QMessageBox::StandardButtons buttons,
                                                      QMessageBox::StandardButton defaultButton)
{
    calls.append({QStringLiteral("question"), title, text, buttons, defaultButton, {}, {}, {}, parent});
    QVariant answer;
    if (!Next(&answer))
        return QMessageBox::Cancel;
    return static_cast<QMessageBox::StandardButton>(answer.toInt());
}

int ScriptedPrompts::Choice(QWidget* parent, const QString& title, const QString& text, const QStringList& buttons)
{
    calls.append({QStringLiteral("choice"), title, text, {}, QMessageBox::NoButton, buttons, {}, {}, parent});
    QVariant answer;
    return Next(&answer) ? answer.toInt() : -1;
}

QString ScriptedPrompts::OpenFileName(QWidget* parent, const QString& caption, const QString& dir,
                                      const QString& filter)
{
    calls.append({QStringLiteral("open"), caption, dir, {}, QMessageBox::NoButton, {}, filter, {}, parent});
    QVariant answer;
    return Next(&answer) ? answer.toString() : QString();
}

QString ScriptedPrompts::SaveFileName(QWidget* parent, const QString& caption, const QString& dir,
                                      const QString& filter)
{
    calls.append({QStringLiteral("save"), caption, dir, {}, QMessageBox::NoButton, {}, filter, {}, parent});
    QVariant answer;
    return Next(&answer) ? answer.toString() : QString();
}

bool ScriptedPrompts::OpenUrl(const QUrl& url)
{
    calls.append({QStringLiteral("url"), {}, {}, {}, QMessageBox::NoButton, {}, {}, url, nullptr});
    return true;
}
