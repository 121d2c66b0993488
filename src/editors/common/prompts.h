#pragma once

#include <QMessageBox>
#include <QString>
#include <QStringList>
#include <QUrl>

class QWidget;

// Every message box, question, file dialog and desktop hand-off of the editors
// and the main window goes through the current Prompts, so tests can script
// the answers instead of waiting on a modal dialog.
class Prompts
{
public:
    virtual ~Prompts() = default;

    virtual void Information(QWidget* parent, const QString& title, const QString& text) = 0;
    virtual void Critical(QWidget* parent, const QString& title, const QString& text) = 0;
    // Returns the button chosen; Escape or closing the box gives the escape button
    // (Cancel when offered, else NoButton).
    virtual QMessageBox::StandardButton Question(QWidget* parent, const QString& title, const QString& text,
                                                 QMessageBox::StandardButtons buttons,
                                                 QMessageBox::StandardButton defaultButton) = 0;
    // A box with the given button captions; returns the index of the chosen
    // caption, or -1 when the box was closed without a choice.
    virtual int Choice(QWidget* parent, const QString& title, const QString& text,
                       const QStringList& buttons) = 0;
    // File dialogs return the chosen path, or an empty string when cancelled.
    virtual QString OpenFileName(QWidget* parent, const QString& caption, const QString& dir,
                                 const QString& filter) = 0;
    virtual QString SaveFileName(QWidget* parent, const QString& caption, const QString& dir,
                                 const QString& filter) = 0;
    // Hands a URL to the desktop's default handler.
    virtual bool OpenUrl(const QUrl& url) = 0;

    // The prompts in use: the installed ones, or the Qt dialogs when none is installed.
    static Prompts& Current();
    // Installs prompts that stay owned by the caller; null goes back to the Qt dialogs.
    static void Install(Prompts* prompts);
};

// The production prompts: QMessageBox, QFileDialog and QDesktopServices.
class QtPrompts : public Prompts
{
public:
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
};
