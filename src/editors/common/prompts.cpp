#include "editors/common/prompts.h"

#include <QAbstractButton>
#include <QDesktopServices>
#include <QFileDialog>
#include <QPushButton>

namespace {

Prompts* g_installed = nullptr;

} // namespace

Prompts& Prompts::Current()
{
    static QtPrompts qtPrompts;
    return g_installed ? *g_installed : qtPrompts;
}

void Prompts::Install(Prompts* prompts)
{
    g_installed = prompts;
}

void QtPrompts::Information(QWidget* parent, const QString& title, const QString& text)
{
    QMessageBox::information(parent, title, text, QMessageBox::Ok);
}

void QtPrompts::Critical(QWidget* parent, const QString& title, const QString& text)
{
    QMessageBox::critical(parent, title, text, QMessageBox::Ok);
}

QMessageBox::StandardButton QtPrompts::Question(QWidget* parent, const QString& title, const QString& text,
                                                QMessageBox::StandardButtons buttons,
                                                QMessageBox::StandardButton defaultButton)
{
    return QMessageBox::question(parent, title, text, buttons, defaultButton);
}

int QtPrompts::Choice(QWidget* parent, const QString& title, const QString& text, const QStringList& buttons)
{
    QMessageBox box(QMessageBox::Question, title, text, QMessageBox::NoButton, parent);
    QList<QAbstractButton*> added;
    for (const QString& caption : buttons) {
        // A Cancel caption is what Escape and closing the box choose.
        const bool cancel = caption == QLatin1String("Cancel");
        added.append(box.addButton(caption, cancel ? QMessageBox::RejectRole : QMessageBox::AcceptRole));
        if (cancel)
            box.setEscapeButton(added.last());
    }
    box.exec();
    return added.indexOf(box.clickedButton());
}

QString QtPrompts::OpenFileName(QWidget* parent, const QString& caption, const QString& dir,
                                const QString& filter)
{
    return QFileDialog::getOpenFileName(parent, caption, dir, filter);
}

QString QtPrompts::SaveFileName(QWidget* parent, const QString& caption, const QString& dir,
                                const QString& filter)
{
    return QFileDialog::getSaveFileName(parent, caption, dir, filter);
}

bool QtPrompts::OpenUrl(const QUrl& url)
{
    return QDesktopServices::openUrl(url);
}
