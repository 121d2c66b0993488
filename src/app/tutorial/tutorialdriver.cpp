#include "app/tutorial/tutorialdriver.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QSpinBox>
#include <QStackedWidget>
#include <QTabWidget>
#include <QTest>
#include <QTimer>

#include <functional>

#include "app/tarvo.h"
#include "editors/common/prompts.h"
#include "editors/events/trvevents.h"
#include "editors/incoming/trveventincomingss.h"
#include "editors/outgoing/trveventoutgoingss.h"
#include "editors/params/trveventparamoptions.h"
#include "editors/params/trveventparams.h"
#include "editors/info/trvinfo.h"
#include "editors/ports/trvportsimport.h"
#include "editors/setup/trvsetup.h"
#include "editors/variables/trvvariables.h"

QList<MarkdownTable> MarkdownTables(const QString& markdown)
{
    static const QRegularExpression rule(QStringLiteral("^\\|?\\s*:?-+:?\\s*(\\|\\s*:?-+:?\\s*)*\\|?$"));
    QList<MarkdownTable> tables;
    const QStringList lines = markdown.split(QLatin1Char('\n'));
    MarkdownTable* current = nullptr;
    for (int i = 0; i < lines.size(); ++i) {
        const QString line = lines.at(i).trimmed();
        if (!line.startsWith(QLatin1Char('|'))) {
            current = nullptr;
            continue;
        }
        QStringList cells = line.mid(1, line.endsWith(QLatin1Char('|')) ? line.size() - 2 : -1)
                                .split(QLatin1Char('|'));
        for (QString& cell : cells) {
            cell = cell.trimmed();
            // A value shown as code is taken as it is written, spaces included.
            if (cell.size() >= 2 && cell.startsWith(QLatin1Char('`')) && cell.endsWith(QLatin1Char('`'))
                && cell.count(QLatin1Char('`')) == 2)
                cell = cell.mid(1, cell.size() - 2);
        }
        if (!current) {
            if (i + 1 < lines.size() && rule.match(lines.at(i + 1).trimmed()).hasMatch()) {
                tables.append({cells, {}});
                current = &tables.last();
                ++i;
            }
            continue;
        }
        current->rows.append(cells);
    }
    return tables;
}

QString TutorialValues::Get(const QString& name) const
{
    const auto it = settings.constFind(name);
    if (it == settings.cend()) {
        missing.append(name);
        return QString();
    }
    return *it;
}

TutorialValues ReadTutorialValues(const QString& markdown)
{
    TutorialValues values;
    for (const MarkdownTable& table : MarkdownTables(markdown)) {
        if (table.header == QStringList{QStringLiteral("Setting"), QStringLiteral("Value")}) {
            for (const QStringList& row : table.rows)
                if (row.size() == 2)
                    values.settings.insert(row.at(0), row.at(1));
        } else if (table.header.value(0) == QLatin1String("Variable") && table.header.size() == 5) {
            values.variables.append(table.rows);
        }
    }
    return values;
}

namespace {

// Answers the choices the steps make by their captions and the Save As
// dialog with a fixed path; any other prompt is a problem of the build.
class StepPrompts : public Prompts
{
public:
    explicit StepPrompts(QStringList* problems) : m_pProblems(problems) { Install(this); }
    ~StepPrompts() override { Install(nullptr); }

    QString nextChoice;
    QString savePath;

    void Information(QWidget*, const QString& title, const QString& text) override { Unexpected(title, text); }
    void Critical(QWidget*, const QString& title, const QString& text) override { Unexpected(title, text); }
    QMessageBox::StandardButton Question(QWidget*, const QString& title, const QString& text,
                                         QMessageBox::StandardButtons, QMessageBox::StandardButton) override
    {
        Unexpected(title, text);
        return QMessageBox::Cancel;
    }
    int Choice(QWidget*, const QString& title, const QString&, const QStringList& buttons) override
    {
        const int index = buttons.indexOf(nextChoice);
        if (index < 0)
            m_pProblems->append(QStringLiteral("%1 offers no \"%2\"").arg(title, nextChoice));
        nextChoice.clear();
        return index;
    }
    QString OpenFileName(QWidget*, const QString& caption, const QString&, const QString&) override
    {
        Unexpected(caption, QString());
        return QString();
    }
    QString SaveFileName(QWidget*, const QString&, const QString&, const QString&) override { return savePath; }
    bool OpenUrl(const QUrl&) override { return false; }

private:
    void Unexpected(const QString& title, const QString& text)
    {
        m_pProblems->append(QStringLiteral("unexpected message: %1: %2").arg(title, text));
    }
    QStringList* m_pProblems;
};

// The reader's hands: finds the named control under a page, brings its tab
// to the front and uses it as a user would.
class Hands
{
public:
    Hands(StepPrompts& prompts, QStringList& problems) : m_Prompts(prompts), m_Problems(problems) {}

    template <class T>
    T* Find(QObject* root, const char* name)
    {
        T* child = root ? root->findChild<T*>(QString::fromLatin1(name)) : nullptr;
        if (!child)
            m_Problems.append(QStringLiteral("no %1 %2").arg(QLatin1String(T::staticMetaObject.className()),
                                                              QLatin1String(name)));
        else
            Reveal(child);
        return child;
    }

    void Click(QObject* root, const char* name)
    {
        if (auto* button = Find<QAbstractButton>(root, name))
            button->click();
    }

    // Clicks the button that asks which kind to add and answers with caption.
    void Add(QObject* root, const char* name, const QString& caption)
    {
        m_Prompts.nextChoice = caption;
        Click(root, name);
    }

    void Tick(QObject* root, const char* name, bool on)
    {
        if (auto* group = qobject_cast<QGroupBox*>(root->findChild<QWidget*>(QString::fromLatin1(name)))) {
            if (group->isChecked() != on) {
                group->setChecked(on);
                emit group->clicked(on);
            }
            return;
        }
        if (auto* box = Find<QCheckBox>(root, name); box && box->isChecked() != on)
            box->click();
    }

    // Replaces the field's text key by key.
    void Type(QObject* root, const char* name, const QString& text)
    {
        QWidget* field = Find<QWidget>(root, name);
        if (!field)
            return;
        if (auto* combo = qobject_cast<QComboBox*>(field); combo && combo->isEditable())
            field = combo->lineEdit();
        field->setFocus();
        if (auto* edit = qobject_cast<QLineEdit*>(field))
            edit->selectAll();
        else if (auto* plain = qobject_cast<QPlainTextEdit*>(field))
            plain->selectAll();
        else if (auto* spin = qobject_cast<QAbstractSpinBox*>(field))
            spin->selectAll();
        if (text.isEmpty())
            QTest::keyClick(field, Qt::Key_Backspace);
        QTest::keyClicks(field, text);
        if (qobject_cast<QAbstractSpinBox*>(field) || qobject_cast<QLineEdit*>(field))
            QTest::keyClick(field, Qt::Key_Tab);
    }

    void Choose(QObject* root, const char* name, const QString& text)
    {
        auto* combo = Find<QComboBox>(root, name);
        if (!combo)
            return;
        const int index = combo->findText(text);
        if (index < 0) {
            m_Problems.append(QStringLiteral("%1 offers no \"%2\"").arg(QLatin1String(name), text));
            return;
        }
        combo->setCurrentIndex(index);
        emit combo->activated(index);
    }

    void SelectRow(QObject* root, const char* name, int row)
    {
        auto* view = Find<QAbstractItemView>(root, name);
        if (!view || !view->model() || row >= view->model()->rowCount()) {
            m_Problems.append(QStringLiteral("%1 has no row %2").arg(QLatin1String(name)).arg(row));
            return;
        }
        const auto* list = qobject_cast<QListView*>(view);
        view->setCurrentIndex(view->model()->index(row, list ? list->modelColumn() : 0));
    }

    // Runs fill on the dialog of class T once its own event loop runs, then
    // clicks opener; closes the dialog when it never shows.
    template <class T>
    void InDialog(QObject* root, const char* opener, std::function<void(T*)> fill)
    {
        bool shown = false;
        QTimer::singleShot(0, [&shown, fill] {
            for (QWidget* top : QApplication::topLevelWidgets())
                if (auto* dialog = qobject_cast<T*>(top); dialog && dialog->isVisible()) {
                    shown = true;
                    fill(dialog);
                    return;
                }
            if (QWidget* modal = QApplication::activeModalWidget())
                modal->close();
        });
        Click(root, opener);
        if (!shown)
            m_Problems.append(QStringLiteral("%1 opened no dialog").arg(QLatin1String(opener)));
    }

private:
    static void Reveal(QWidget* widget)
    {
        for (QWidget* child = widget; child->parentWidget(); child = child->parentWidget()) {
            auto* stack = qobject_cast<QStackedWidget*>(child->parentWidget());
            if (!stack)
                continue;
            if (auto* tabs = qobject_cast<QTabWidget*>(stack->parentWidget()))
                tabs->setCurrentWidget(child);
        }
    }

    StepPrompts& m_Prompts;
    QStringList& m_Problems;
};

// "1 to 5" as its two numbers.
QStringList Range(const QString& text)
{
    return text.split(QStringLiteral(" to "));
}

void AddVariables(Hands& hands, TRVVariables* page, const TutorialValues& values, const QString& tab)
{
    for (const QStringList& row : values.variables) {
        if (row.size() != 5 || row.at(1) != tab)
            continue;
        hands.Click(page, "m_pButAddVariable");
        hands.Type(page, "m_pEditVariableName", row.at(0));
        hands.Choose(page, "m_pCmbVariableType", row.at(2));
        hands.Type(page, "m_pEditVariableInitial", row.at(3));
        hands.Type(page, "m_pEditVariableDescription", row.at(4));
    }
}

void AddOutgoingConstant(Hands& hands, TRVEventOutgoingSS* page, const QString& text)
{
    hands.Add(page, "m_pButAddOutgoingSS", QStringLiteral("Constant"));
    hands.Type(page, "m_pEditSSText", text);
}

void AddOutgoingParameter(Hands& hands, TRVEventOutgoingSS* page, const QString& name, const QString& format)
{
    hands.Add(page, "m_pButAddOutgoingSS", QStringLiteral("Parameter"));
    hands.Choose(page, "m_pCmbSSParam", name);
    hands.Choose(page, "m_pCmbOutgoingSSFormat", format);
}

void AddIncomingConstant(Hands& hands, TRVEventIncomingSS* page, const QString& text)
{
    hands.Add(page, "m_pButAddIncomingSS", QStringLiteral("Constant"));
    hands.Type(page, "m_pEditIncomingSSText", text);
}

// A reply: constant prefix, a capture of chars into variable, the end of message.
void AddReply(Hands& hands, TRVEventIncomingSS* page, const QString& prefix, const QString& chars,
              const QString& length, const QString& variable, const QString& end, const QString& example)
{
    AddIncomingConstant(hands, page, prefix);
    hands.Add(page, "m_pButAddIncomingSS", QStringLiteral("Variable"));
    hands.Choose(page, "m_pCmbSSVars", variable);
    const QStringList range = Range(length);
    hands.Type(page, "m_pEditSSMinChar", range.value(0));
    hands.Type(page, "m_pEditSSMaxChar", range.value(1));
    hands.Choose(page, "m_pCmbSSCharType", chars);
    AddIncomingConstant(hands, page, end);
    hands.Type(page, "m_pEditExampleIncomingReponse", example);
}

void BuildLogin(Hands& hands, TRVSetup* setup, const TutorialValues& values)
{
    AddVariables(hands, setup->findChild<TRVVariables*>(), values, QStringLiteral("Setup Messages"));
    auto* outgoing = setup->findChild<TRVEventOutgoingSS*>();
    auto* incoming = setup->findChild<TRVEventIncomingSS*>();
    const QString end = values.Get(QStringLiteral("End of every message"));

    hands.Add(setup, "m_pButAddSetupMessage", QStringLiteral("Outgoing Message"));
    AddOutgoingConstant(hands, outgoing, values.Get(QStringLiteral("Greeting")));

    hands.Add(setup, "m_pButAddSetupMessage", QStringLiteral("Incoming Response"));
    AddReply(hands, incoming, values.Get(QStringLiteral("Seed reply")), QStringLiteral("any"),
             values.Get(QStringLiteral("Seed length")), QStringLiteral("Seed"), end,
             values.Get(QStringLiteral("Seed example")));

    hands.Add(setup, "m_pButAddSetupMessage", QStringLiteral("Outgoing Message"));
    AddOutgoingConstant(hands, outgoing, values.Get(QStringLiteral("Login answer")));
    hands.Add(outgoing, "m_pButAddOutgoingSS", QStringLiteral("Local"));
    hands.Type(outgoing, "m_pEditSSLocal", values.Get(QStringLiteral("Login local")));
    hands.Type(outgoing, "m_pEditSSParamArithmetic", values.Get(QStringLiteral("Login formula")));
    hands.Choose(outgoing, "m_pCmbOutgoingSSFormat", values.Get(QStringLiteral("Login output format")));
    AddOutgoingConstant(hands, outgoing, end);

    hands.Add(setup, "m_pButAddSetupMessage", QStringLiteral("Incoming Response"));
    AddIncomingConstant(hands, incoming, values.Get(QStringLiteral("Login accepted")));
    hands.Type(incoming, "m_pEditExampleIncomingReponse", values.Get(QStringLiteral("Login accepted")));
}

// Adds an event named name with its description and, when the show asks for
// it, the retries the text gives.
void AddEvent(Hands& hands, TRVEvents* events, const TutorialValues& values, const QString& name, bool retries = true)
{
    hands.Click(events, "m_pButAddEvent");
    hands.Type(events, "m_pEditEventName", name);
    hands.Type(events, "m_pEditEventDescription", values.Get(name + QStringLiteral(" description")));
    if (retries)
        hands.Type(events, "m_pNumEventRetries", values.Get(QStringLiteral("Retries")));
}

void AddParameter(Hands& hands, TRVEventParams* params, const TutorialValues& values, const QString& name,
                  const QString& type)
{
    hands.Click(params, "m_pButAddParam");
    hands.Type(params, "m_pEditParamName", name);
    hands.Choose(params, "m_pCmbParamType", type);
    hands.Type(params, "m_pEditParamDescription", values.Get(name + QStringLiteral(" parameter description")));
    hands.Type(params, "m_pEditParamExampleValue", values.Get(name + QStringLiteral(" example")));
}

void BuildEvents(Hands& hands, TRVEvents* events, const TutorialValues& values)
{
    TRVEventParams* params = events->ParamsEditor();
    TRVEventOutgoingSS* outgoing = events->OutgoingEditor();
    TRVEventIncomingSS* incoming = events->IncomingEditor();
    const QString end = values.Get(QStringLiteral("End of every message"));

    AddEvent(hands, events, values, QStringLiteral("Power"));
    AddParameter(hands, params, values, QStringLiteral("State"), QStringLiteral("option"));
    const QStringList options = values.Get(QStringLiteral("State options")).split(QStringLiteral(", "));
    hands.InDialog<TRVEventParamOptions>(params, "m_pButParamOptions", [&hands, options](TRVEventParamOptions* d) {
        for (const QString& option : options) {
            hands.Click(d, "m_pButAddOption");
            hands.Type(d, "m_pEditOptionMatch", option.section(QLatin1Char('='), 0, 0));
            hands.Type(d, "m_pEditOptionReplace", option.section(QLatin1Char('='), 1));
        }
        d->accept();
    });

    AddEvent(hands, events, values, QStringLiteral("Input"));
    AddParameter(hands, params, values, QStringLiteral("Input"), QStringLiteral("integer"));
    const QStringList limits = Range(values.Get(QStringLiteral("Input limits")));
    hands.Type(params, "m_pEditParamMinValue", limits.value(0));
    hands.Type(params, "m_pEditParamMaxValue", limits.value(1));

    AddEvent(hands, events, values, QStringLiteral("LampHours"));

    // The outgoing messages, then the replies, in the order the text builds them.
    const struct
    {
        const char* event;
        const char* parameter;
        const char* format;
    } sends[] = {{"Power", "State", "State output format"}, {"Input", "Input", "Input output format"},
                 {"LampHours", nullptr, nullptr}};
    for (int row = 0; row < 3; ++row) {
        const QString event = QLatin1String(sends[row].event);
        events->SelectRow(row);
        AddOutgoingConstant(hands, outgoing, values.Get(event + QStringLiteral(" sends")));
        if (sends[row].parameter) {
            AddOutgoingParameter(hands, outgoing, QLatin1String(sends[row].parameter),
                                 values.Get(QLatin1String(sends[row].format)));
            AddOutgoingConstant(hands, outgoing, end);
        }
    }
    const char* const replies[] = {"LampHours", "Power", "Input"};
    for (const char* name : replies) {
        const QString event = QLatin1String(name);
        events->SelectRow(event == QLatin1String("Power") ? 0 : event == QLatin1String("Input") ? 1 : 2);
        AddReply(hands, incoming, values.Get(event + QStringLiteral(" reply")), QStringLiteral("digits only"),
                 values.Get(event + QStringLiteral(" digits")), event, end,
                 values.Get(event + QStringLiteral(" example reply")));
    }

    AddEvent(hands, events, values, QStringLiteral("PowerReport"), false);
    hands.Tick(events, "m_pChkUnsolicitedCommand", true);
    AddReply(hands, incoming, values.Get(QStringLiteral("PowerReport reply")), QStringLiteral("digits only"),
             values.Get(QStringLiteral("Power digits")), QStringLiteral("Power"), end,
             values.Get(QStringLiteral("PowerReport example reply")));
}

} // namespace

QStringList BuildTutorialDriver(Tarvo& window, const TutorialValues& values)
{
    QStringList problems;
    StepPrompts prompts(&problems);
    Hands hands(prompts, problems);

    TRVInfo* info = window.InfoEditor();
    hands.Type(info, "m_pEditMake", values.Get(QStringLiteral("Make")));
    hands.Type(info, "m_pEditModel", values.Get(QStringLiteral("Model")));
    hands.Type(info, "m_pEditVersion", values.Get(QStringLiteral("Version")));
    hands.Type(info, "m_pCmbGroupType", values.Get(QStringLiteral("Device group")));
    hands.Type(info, "m_pEditProtocol", values.Get(QStringLiteral("Protocol")));
    hands.Type(info, "m_pEditDescription", values.Get(QStringLiteral("Description")));
    hands.Click(info, "m_pButAddAuthor");
    if (auto* authors = hands.Find<QListWidget>(info, "m_pListAuthors")) {
        // The new author's name is edited in place; Return commits it.
        auto* editor = authors->viewport()->findChild<QLineEdit*>();
        if (!editor) {
            problems.append(QStringLiteral("the new author is not edited in place"));
        } else {
            editor->selectAll();
            QTest::keyClicks(editor, values.Get(QStringLiteral("Author")));
            QTest::keyClick(editor, Qt::Key_Return);
        }
    }

    TRVPortsImport* ports = window.PortsImportEditor();
    hands.Tick(ports, "m_pGrpEthernet", true);
    hands.Choose(ports, "m_pCmbEthType", values.Get(QStringLiteral("Ethernet type")));
    hands.Type(ports, "m_pEditIP", values.Get(QStringLiteral("IP address")));
    hands.Type(ports, "m_pEditDevicePort", values.Get(QStringLiteral("Device port")));

    AddVariables(hands, window.VariablesEditor(), values, QStringLiteral("Device Variables"));
    BuildLogin(hands, window.SetupEditor(), values);
    BuildEvents(hands, window.EventsEditor(), values);
    QApplication::processEvents();

    for (const QString& name : values.missing)
        problems.append(QStringLiteral("the text gives no \"%1\"").arg(name));
    values.missing.clear();
    return problems;
}

bool SaveTutorialDriver(Tarvo& window, const QString& path)
{
    QStringList problems;
    StepPrompts prompts(&problems);
    prompts.savePath = path;
    window.SaveAs();
    return problems.isEmpty() && !window.IsChanged() && window.FileName() == path;
}
