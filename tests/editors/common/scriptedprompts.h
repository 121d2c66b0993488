#pragma once

#include <QList>
#include <QMessageBox>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <QVariant>

#include "editors/common/prompts.h"

// One prompt the code under test raised.
struct PromptCall
{
    QString kind;  // "information", "critical", "question", "choice", "open", "save", "url"
    QString title;
    QString text;  // message text, or the starting path of a file dialog
    QMessageBox::StandardButtons buttons;
    QMessageBox::StandardButton defaultButton = QMessageBox::NoButton;
    QStringList choices;
    QString filter;
    QUrl url;
    QWidget* parent = nullptr;
};

// Prompts that answer from a script and record what was asked. Installed for
// its lifetime. A question or file dialog with no scripted answer counts as
// unanswered and is cancelled, so a test never waits on a dialog.
class ScriptedPrompts : public Prompts
{
public:
    ScriptedPrompts();
    ~ScriptedPrompts() override;

    // Queues the answer of the next question (a StandardButton), choice (an
    // int) or file dialog (a QString; empty means cancelled).
    ScriptedPrompts& Answer(const QVariant& answer);

    QList<PromptCall> calls;
    QList<QVariant> answers;
    int unanswered = 0;

    // The kinds of the calls, in order.
    QStringList Kinds() const;

    void Information(QWidget* parent, const QString& title, const QString& text) override;
    void Critical(QWidget* parent, const QString& title, const QString& text) override;
    QMessageBox::StandardButton Question(QWidget* parent, const QString& title, const QString& text,
                                         QMessageBox::StandardButtons buttons,
                                         QMessageBox::StandardButton defaultButton) override;
    int Choice(QWidget* parent, const QString& title, const QString& text, const QStringList& buttons) override;
    QString OpenFileName(QWidget* parent, const QString& caption, const QString& dir,
                         const QString& filter) override;
    QString SaveFileName(QWidget* parent, const QString& caption, const QString& dir,
                         const QString& filter) override;
    bool OpenUrl(const QUrl& url) override;

private:
    bool Next(QVariant* answer);
};
