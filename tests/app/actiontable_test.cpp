#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QSpinBox>
#include <QStatusBar>
#include <QStackedWidget>
#include <QTabWidget>
#include <QStandardItemModel>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <QUndoStack>

#include <functional>

#include "reveal.h"
#include "app/productfiles.h"
#include "app/tarvo.h"
#include "editors/common/edithistory.h"
#include "appfixtures.h"
#include "editors/events/eventrows.h"
#include "editors/events/trvevents.h"
#include "editors/incoming/incomingssmodel.h"
#include "editors/outgoing/outgoingssmodel.h"
#include "editors/incoming/trveventincomingss.h"
#include "editors/outgoing/trveventoutgoingss.h"
#include "editors/outgoing/trveventoutgoingsschecksum.h"
#include "editors/params/trveventparamoptions.h"
#include "editors/params/trveventparams.h"
#include "editors/info/trvinfo.h"
#include "editors/functions/trvinsertfunction.h"
#include "editors/ports/trvportsimport.h"
#include "editors/setup/trvsetup.h"
#include "editors/variables/trvvariables.h"
#include "scriptedprompts.h"
#include "testregistry.h"

namespace {

template <class T>
T* Child(QObject* root, const char* name)
{
    T* child = root->findChild<T*>(QString::fromLatin1(name));
    if (!child)
        qFatal("no %s named %s", T::staticMetaObject.className(), name);
    return child;
}

void Click(QObject* root, const char* name)
{
    qobject_cast<QAbstractButton*>(Reveal(Child<QAbstractButton>(root, name)))->click();
}

// A checkable group box clicked.
void Toggle(QObject* root, const char* name)
{
    auto* group = Child<QGroupBox>(root, name);
    Reveal(group);
    group->setChecked(!group->isChecked());
    emit group->clicked(group->isChecked());
}

// As typed over the whole text: every key emits textEdited.
void Type(QObject* root, const char* name, const QString& text)
{
    Reveal(Child<QWidget>(root, name));
    if (auto* edit = root->findChild<QLineEdit*>(QString::fromLatin1(name))) {
        edit->setFocus();
        edit->selectAll();
        QTest::keyClicks(edit, text);
    } else if (auto* plain = root->findChild<QPlainTextEdit*>(QString::fromLatin1(name))) {
        plain->setFocus();
        plain->selectAll();
        QTest::keyClicks(plain, text);
    } else {
        auto* spin = Child<QSpinBox>(root, name);
        spin->setFocus();
        spin->selectAll();
        QTest::keyClicks(spin, text);
    }
}

// As chosen from the list: the index changes, then activated. -1 chooses
// the item after the current one, -2 the current one again.
void Choose(QObject* root, const char* name, int index)
{
    auto* combo = Child<QComboBox>(root, name);
    Reveal(combo);
    if (index < 0)
        index = index == -2 ? combo->currentIndex() : (combo->currentIndex() + 1) % combo->count();
    combo->setCurrentIndex(index);
    emit combo->activated(index);
}

void SelectRow(QObject* root, const char* name, int row)
{
    auto* view = Child<QAbstractItemView>(root, name);
    Reveal(view);
    const int column = qobject_cast<QListView*>(view) ? qobject_cast<QListView*>(view)->modelColumn() : 0;
    view->setCurrentIndex(view->model()->index(row, column));
}

int RowNamed(const QStandardItemModel* model, const QString& name)
{
    for (int row = 0; row < model->rowCount(); ++row)
        if (model->item(row, 0) && model->item(row, 0)->text() == name)
            return row;
    qFatal("no row %s", qPrintable(name));
}

// Runs handle on the window of class T once it shows (a modal dialog's loop
// has started); closes whatever is modal if it never does.
template <class T>
void WhenShown(std::function<void(T*)> handle, int attempts = 300)
{
    QTimer::singleShot(attempts == 300 ? 0 : 10, [handle, attempts] {
        for (QWidget* top : QApplication::topLevelWidgets()) {
            if (auto* window = qobject_cast<T*>(top); window && window->isVisible()) {
                handle(window);
                return;
            }
        }
        if (attempts > 0)
            WhenShown<T>(handle, attempts - 1);
        else if (QWidget* modal = QApplication::activeModalWidget())
            modal->close();
    });
}

void Press(QWidget* window, QDialogButtonBox::StandardButton which)
{
    for (QDialogButtonBox* box : window->findChildren<QDialogButtonBox*>())
        if (QAbstractButton* button = box->button(which))
            return button->click();
    qFatal("no such button");
}

struct Window
{
    Tarvo& tarvo;
    ScriptedPrompts& prompts;
    TRVEvents* Events() const { return tarvo.EventsEditor(); }
    TRVEventParams* Params() const { return Events()->ParamsEditor(); }
    TRVEventOutgoingSS* Outgoing() const { return Events()->OutgoingEditor(); }
    TRVEventIncomingSS* Incoming() const { return Events()->IncomingEditor(); }
    TRVVariables* Variables() const { return tarvo.VariablesEditor(); }
    TRVVariables* SetupVariables() const { return tarvo.SetupEditor()->findChild<TRVVariables*>(); }
    // Event e current, then its substring row (outgoing or incoming) or parameter.
    TRVEventOutgoingSS* OutgoingAt(int e, int row) const
    {
        Events()->SelectRow(e);
        Reveal(Outgoing());
        Outgoing()->SelectRow(row);
        return Outgoing();
    }
    TRVEventIncomingSS* IncomingAt(int e, int row) const
    {
        Events()->SelectRow(e);
        Reveal(Incoming());
        Incoming()->SelectRow(row);
        return Incoming();
    }
    TRVEventParams* ParamAt(int e, int row) const
    {
        Events()->SelectRow(e);
        SelectRow(Params(), "m_pListParams", row);
        return Params();
    }
    TRVVariables* VariableNamed(const char* name) const
    {
        SelectRow(Variables(), "m_pListVariables", RowNamed(Variables()->Model(), QString::fromLatin1(name)));
        return Variables();
    }
};

struct Action
{
    const char* name;
    bool writes;  // whether a save writes other bytes afterwards
    std::function<void(Window&)> act;
};

using OK = QDialogButtonBox::StandardButton;

// Events of the fixture: 0 Power (option State, incoming), 1 Volume (integer
// Level; outgoing constant, parameter, constant, variable, local, checksum,
// constant; incoming constant, wildcard, constant, variable, local, constant),
// 2 Say (string, decimal, bool, timecode, percent, datetime; no incoming),
// 3 Lamp Hours (unsolicited), 4 IR Power (manual), 5 Input, 6 Blend.
const QList<Action>& Actions()
{
    static const QList<Action> actions = {
        {"select rows only", false, [](Window& w) { w.OutgoingAt(1, 3); w.IncomingAt(1, 4); w.ParamAt(2, 1); w.VariableNamed("Gain"); }},
        {"event add", true, [](Window& w) { Click(w.Events(), "m_pButAddEvent"); }},
        {"event duplicate", true, [](Window& w) { w.Events()->SelectRow(1); Click(w.Events(), "m_pButDupEvent"); }},
        {"event delete", true, [](Window& w) { w.Events()->SelectRow(1); Click(w.Events(), "m_pButDeleteEvent"); }},
        {"event move up", true, [](Window& w) { w.Events()->SelectRow(1); Click(w.Events(), "m_pButMoveEventUp"); }},
        {"event move down", true, [](Window& w) { w.Events()->SelectRow(1); Click(w.Events(), "m_pButMoveEventDown"); }},
        {"event move up at the top", false, [](Window& w) { w.Events()->SelectRow(0); Click(w.Events(), "m_pButMoveEventUp"); }},
        {"event name", true, [](Window& w) { w.Events()->SelectRow(1); Type(w.Events(), "m_pEditEventName", "Loud"); }},
        {"event description", true, [](Window& w) { w.Events()->SelectRow(1); Type(w.Events(), "m_pEditEventDescription", "x"); }},
        {"event timeout", true, [](Window& w) { w.Events()->SelectRow(1); Type(w.Events(), "m_pNumEventTimeout", "77"); }},
        {"event retries", true, [](Window& w) { w.Events()->SelectRow(1); Type(w.Events(), "m_pNumEventRetries", "4"); }},
        {"event incoming response on", true, [](Window& w) { w.Events()->SelectRow(2); Click(w.Events(), "m_pChkIncomingResponse"); }},
        {"event incoming response off", true, [](Window& w) { w.Events()->SelectRow(1); Click(w.Events(), "m_pChkIncomingResponse"); }},
        {"event unsolicited off", true, [](Window& w) { w.Events()->SelectRow(3); Click(w.Events(), "m_pChkUnsolicitedCommand"); }},
        {"event unsolicited on", true, [](Window& w) { w.Events()->SelectRow(1); Click(w.Events(), "m_pChkUnsolicitedCommand"); }},

        {"param add", true, [](Window& w) { w.ParamAt(2, 0); Click(w.Params(), "m_pButAddParam"); }},
        {"param duplicate", true, [](Window& w) { w.ParamAt(2, 0); Click(w.Params(), "m_pButDupParam"); }},
        {"param delete", true, [](Window& w) { w.ParamAt(2, 0); Click(w.Params(), "m_pButDeleteParam"); }},
        {"param move up", true, [](Window& w) { w.ParamAt(2, 1); Click(w.Params(), "m_pButMoveParamUp"); }},
        {"param move down", true, [](Window& w) { w.ParamAt(2, 1); Click(w.Params(), "m_pButMoveParamDown"); }},
        {"param name", true, [](Window& w) { Type(w.ParamAt(2, 0), "m_pEditParamName", "Words"); }},
        {"param type", true, [](Window& w) { Choose(w.ParamAt(2, 0), "m_pCmbParamType", 0); }},
        {"param same type", false, [](Window& w) { Choose(w.ParamAt(2, 0), "m_pCmbParamType", -2); }},
        {"param description", true, [](Window& w) { Type(w.ParamAt(2, 0), "m_pEditParamDescription", "d"); }},
        {"param example", true, [](Window& w) { Type(w.ParamAt(1, 0), "m_pEditParamExampleValue", "42"); }},
        {"param min", true, [](Window& w) { Type(w.ParamAt(1, 0), "m_pEditParamMinValue", "5"); }},
        {"param max", true, [](Window& w) { Type(w.ParamAt(2, 1), "m_pEditParamMaxValue", "9"); }},
        {"param pattern", true, [](Window& w) { Type(w.ParamAt(2, 0), "m_pEditParamRegex", "[a-z]+"); }},
        // The options dialog edits in place and has only Close.
        {"options add, then Close", true, [](Window& w) {
             WhenShown<TRVEventParamOptions>([](TRVEventParamOptions* d) { Click(d, "m_pButAddOption"); Press(d, OK::Close); });
             Click(w.ParamAt(0, 0), "m_pButParamOptions"); }},
        {"options match and replace, then Close", true, [](Window& w) {
             WhenShown<TRVEventParamOptions>([](TRVEventParamOptions* d) {
                 Type(d, "m_pEditOptionMatch", "up"); Type(d, "m_pEditOptionReplace", "7"); Press(d, OK::Close); });
             Click(w.ParamAt(0, 0), "m_pButParamOptions"); }},
        {"options duplicate and delete, then Close", true, [](Window& w) {
             WhenShown<TRVEventParamOptions>([](TRVEventParamOptions* d) {
                 Click(d, "m_pButDupOption"); SelectRow(d, "m_pListOptions", 0); Click(d, "m_pButDeleteOption");
                 Press(d, OK::Close); });
             Click(w.ParamAt(0, 0), "m_pButParamOptions"); }},
        {"options closed unchanged", false, [](Window& w) {
             WhenShown<TRVEventParamOptions>([](TRVEventParamOptions* d) { SelectRow(d, "m_pListOptions", 1); Press(d, OK::Close); });
             Click(w.ParamAt(0, 0), "m_pButParamOptions"); }},

        {"outgoing add", true, [](Window& w) { w.prompts.Answer(3); Click(w.OutgoingAt(0, 0), "m_pButAddOutgoingSS"); }},
        {"outgoing add cancelled", false, [](Window& w) { Click(w.OutgoingAt(0, 0), "m_pButAddOutgoingSS"); }},
        {"outgoing duplicate", true, [](Window& w) { Click(w.OutgoingAt(0, 1), "m_pButDupOutgoingSS"); }},
        {"outgoing delete", true, [](Window& w) { Click(w.OutgoingAt(0, 2), "m_pButDeleteOutgoingSS"); }},
        {"outgoing move up", true, [](Window& w) { Click(w.OutgoingAt(0, 2), "m_pButMoveOutgoingSSUp"); }},
        {"outgoing move down", true, [](Window& w) { Click(w.OutgoingAt(0, 0), "m_pButMoveOutgoingSSDown"); }},
        {"outgoing type", true, [](Window& w) { Choose(w.OutgoingAt(1, 0), "m_pCmbOutgoingSSType", 1); }},
        {"outgoing same type", false, [](Window& w) { Choose(w.OutgoingAt(0, 1), "m_pCmbOutgoingSSType", -2); }},
        {"outgoing output format", true, [](Window& w) { Choose(w.OutgoingAt(1, 1), "m_pCmbOutgoingSSFormat", 2); }},
        {"outgoing parameter", true, [](Window& w) { Choose(w.OutgoingAt(6, 1), "m_pCmbSSParam", 1); }},
        {"outgoing variable", true, [](Window& w) { Choose(w.OutgoingAt(1, 3), "m_pCmbSSVar", 0); }},
        {"outgoing constant text", true, [](Window& w) { Type(w.OutgoingAt(1, 0), "m_pEditSSText", "V"); }},
        {"outgoing local name", true, [](Window& w) { Type(w.OutgoingAt(1, 4), "m_pEditSSLocal", "Off"); }},
        {"outgoing arithmetic", true, [](Window& w) { Type(w.OutgoingAt(1, 1), "m_pEditSSParamArithmetic", "Level*3"); }},
        {"outgoing formatting", true, [](Window& w) { Click(w.OutgoingAt(1, 1), "m_pChkParamOptions"); }},
        {"outgoing width", true, [](Window& w) { Type(w.OutgoingAt(1, 1), "m_pEditSSFormatSpaces", "5"); }},
        {"outgoing manual edit on", true, [](Window& w) { Click(w.OutgoingAt(1, 0), "m_pChkOutgoingManEdit"); }},
        {"outgoing manual format", true, [](Window& w) { Type(w.OutgoingAt(4, -1), "m_pEditOutgoingMsgFormat", "\"OFF\\r\""); }},
        {"outgoing manual arguments", true, [](Window& w) { Type(w.OutgoingAt(4, -1), "m_pEditOutgoingMsgArgs", "1"); }},
        {"outgoing add selection", true, [](Window& w) {
             auto* page = w.OutgoingAt(0, 0);
             Type(page, "m_pEditExampleOutgoingMessage", "ABC");
             Child<QLineEdit>(page, "m_pEditExampleOutgoingMessage")->setSelection(0, 2);
             w.prompts.Answer(3);
             Click(page, "m_pButAddSelectionAsSS"); }},
        {"checksum OK after a function change", true, [](Window& w) {
             auto* page = w.OutgoingAt(1, 5);
             Click(page, "m_pButConfigureOutgoingChecksum");
             auto* dialog = page->findChild<TRVEventOutgoingSSChecksum*>();
             Choose(dialog, "m_pCmbOutgoingChecksumType", 0);
             Click(dialog, "m_pOutgoingChecksumOK"); }},
        {"checksum closed unchanged", false, [](Window& w) {
             auto* page = w.OutgoingAt(1, 5);
             Click(page, "m_pButConfigureOutgoingChecksum");
             page->findChild<TRVEventOutgoingSSChecksum*>()->reject(); }},
        {"outgoing insert function OK", true, [](Window& w) {
             WhenShown<TRVInsertFunction>([](TRVInsertFunction* d) { SelectRow(d, "m_pListFunctions", 0); Press(d, OK::Ok); });
             Click(w.OutgoingAt(1, 1), "m_pButInsertFunction"); }},
        {"outgoing insert function OK without a choice", false, [](Window& w) {
             WhenShown<TRVInsertFunction>([](TRVInsertFunction* d) { Press(d, OK::Ok); });
             Click(w.OutgoingAt(1, 1), "m_pButInsertFunction"); }},
        {"outgoing insert function Cancel", false, [](Window& w) {
             WhenShown<TRVInsertFunction>([](TRVInsertFunction* d) { SelectRow(d, "m_pListFunctions", 0); Press(d, OK::Cancel); });
             Click(w.OutgoingAt(1, 1), "m_pButInsertFunction"); }},
        {"add parameter OK", true, [](Window& w) {
             WhenShown<TRVEventParams>([](TRVEventParams* d) { Press(d, OK::Ok); });
             Click(w.OutgoingAt(1, 1), "m_pButAddEditParam"); }},
        {"add parameter Cancel", false, [](Window& w) {
             WhenShown<TRVEventParams>([](TRVEventParams* d) {
                 Type(d, "m_pEditParamName", "Z"); SelectRow(d, "m_pListParams", 0); Press(d, OK::Cancel); });
             Click(w.OutgoingAt(1, 1), "m_pButAddEditParam"); }},
        {"outgoing add variable OK", true, [](Window& w) {
             WhenShown<TRVVariables>([](TRVVariables* d) { Press(d, OK::Ok); });
             Click(w.OutgoingAt(1, 3), "m_pButAddEditVar"); }},
        {"outgoing add variable Cancel", false, [](Window& w) {
             WhenShown<TRVVariables>([](TRVVariables* d) { Type(d, "m_pEditVariableName", "Q"); Press(d, OK::Cancel); });
             Click(w.OutgoingAt(1, 3), "m_pButAddEditVar"); }},

        {"incoming add", true, [](Window& w) { w.prompts.Answer(0); Click(w.IncomingAt(1, 0), "m_pButAddIncomingSS"); }},
        {"incoming add cancelled", false, [](Window& w) { Click(w.IncomingAt(1, 0), "m_pButAddIncomingSS"); }},
        {"incoming duplicate", true, [](Window& w) { Click(w.IncomingAt(1, 1), "m_pButDupIncomingSS"); }},
        {"incoming delete", true, [](Window& w) { Click(w.IncomingAt(1, 1), "m_pButDeleteIncomingSS"); }},
        {"incoming move up", true, [](Window& w) { Click(w.IncomingAt(1, 1), "m_pButMoveIncomingSSUp"); }},
        {"incoming move down", true, [](Window& w) { Click(w.IncomingAt(1, 1), "m_pButMoveIncomingSSDown"); }},
        {"incoming type", true, [](Window& w) { Choose(w.IncomingAt(1, 0), "m_pCmbIncomingSSType", 1); }},
        {"incoming constant text", true, [](Window& w) { Type(w.IncomingAt(1, 0), "m_pEditIncomingSSText", "V="); }},
        {"incoming min chars", true, [](Window& w) { Type(w.IncomingAt(1, 1), "m_pEditSSMinChar", "2"); }},
        {"incoming max chars", true, [](Window& w) { Type(w.IncomingAt(1, 1), "m_pEditSSMaxChar", "6"); }},
        {"incoming character type", true, [](Window& w) { Choose(w.IncomingAt(1, 1), "m_pCmbSSCharType", -1); }},
        {"incoming variable", true, [](Window& w) { Choose(w.IncomingAt(1, 3), "m_pCmbSSVars", -1); }},
        {"incoming local name", true, [](Window& w) { Type(w.IncomingAt(1, 4), "m_pEditSSLocal", "Units"); }},
        {"incoming arithmetic", true, [](Window& w) { Type(w.IncomingAt(1, 3), "m_pEditSSVarArithmetic", "Gaintemp+1"); }},
        {"incoming manual edit on", true, [](Window& w) { Click(w.IncomingAt(1, 0), "m_pChkIncomingManEdit"); }},
        {"incoming manual pattern", true, [](Window& w) { Type(w.IncomingAt(4, -1), "m_pEditIncomingMsgFormat", "done\\r"); }},
        {"incoming example", true, [](Window& w) { Type(w.IncomingAt(1, 0), "m_pEditExampleIncomingReponse", "VOL=1"); }},
        {"incoming add selection", true, [](Window& w) {
             auto* page = w.IncomingAt(0, 0);
             Child<QLineEdit>(page, "m_pEditExampleIncomingReponse")->setFocus();
             Child<QLineEdit>(page, "m_pEditExampleIncomingReponse")->setSelection(0, 3);
             w.prompts.Answer(0);
             Click(page, "m_pButAddSelectionAsSS"); }},
        {"incoming insert function OK", true, [](Window& w) {
             WhenShown<TRVInsertFunction>([](TRVInsertFunction* d) { SelectRow(d, "m_pListFunctions", 0); Press(d, OK::Ok); });
             Click(w.IncomingAt(1, 3), "m_pButInsertFunction"); }},
        {"incoming insert function Cancel", false, [](Window& w) {
             WhenShown<TRVInsertFunction>([](TRVInsertFunction* d) { Press(d, OK::Cancel); });
             Click(w.IncomingAt(1, 3), "m_pButInsertFunction"); }},
        {"incoming add variable OK", true, [](Window& w) {
             WhenShown<TRVVariables>([](TRVVariables* d) { Press(d, OK::Ok); });
             Click(w.IncomingAt(1, 3), "m_pButAddEditVariable"); }},
        {"incoming add variable Cancel", false, [](Window& w) {
             WhenShown<TRVVariables>([](TRVVariables* d) { Press(d, OK::Cancel); });
             Click(w.IncomingAt(1, 3), "m_pButAddEditVariable"); }},

        {"setup add outgoing", true, [](Window& w) { w.prompts.Answer(0); Click(w.tarvo.SetupEditor(), "m_pButAddSetupMessage"); }},
        {"setup add incoming", true, [](Window& w) { w.prompts.Answer(1); Click(w.tarvo.SetupEditor(), "m_pButAddSetupMessage"); }},
        {"setup add cancelled", false, [](Window& w) { Click(w.tarvo.SetupEditor(), "m_pButAddSetupMessage"); }},
        {"setup duplicate", true, [](Window& w) { w.tarvo.SetupEditor()->SelectRow(0); Click(w.tarvo.SetupEditor(), "m_pButDupSetupMessage"); }},
        {"setup delete", true, [](Window& w) { w.tarvo.SetupEditor()->SelectRow(0); Click(w.tarvo.SetupEditor(), "m_pButDeleteSetupMessage"); }},
        {"setup move down", true, [](Window& w) { w.tarvo.SetupEditor()->SelectRow(0); Click(w.tarvo.SetupEditor(), "m_pButMoveSetupMessageDown"); }},
        {"setup move down at the end", false, [](Window& w) {
             w.tarvo.SetupEditor()->SelectRow(w.tarvo.SetupEditor()->MessageModel()->rowCount() - 1);
             Click(w.tarvo.SetupEditor(), "m_pButMoveSetupMessageDown"); }},
        {"setup messages tab hidden", false, [](Window& w) { Click(w.tarvo.SetupEditor(), "m_pChkSetupMessages"); }},
        {"setup outgoing constant text", true, [](Window& w) {
             w.tarvo.SetupEditor()->SelectRow(0);
             auto* page = w.tarvo.SetupEditor()->findChild<TRVEventOutgoingSS*>();
             page->SelectRow(0);
             Type(page, "m_pEditSSText", "LOG "); }},
        {"setup incoming example", true, [](Window& w) {
             w.tarvo.SetupEditor()->SelectRow(1);
             Type(w.tarvo.SetupEditor()->findChild<TRVEventIncomingSS*>(), "m_pEditExampleIncomingReponse", "WELCOME 9"); }},
        {"setup variable add", true, [](Window& w) { Click(w.SetupVariables(), "m_pButAddVariable"); }},

        {"variable add", true, [](Window& w) { Click(w.Variables(), "m_pButAddVariable"); }},
        {"variable duplicate", true, [](Window& w) { Click(w.VariableNamed("Gain"), "m_pButDupVariable"); }},
        {"variable delete", true, [](Window& w) { Click(w.VariableNamed("Gain"), "m_pButDeleteVariable"); }},
        {"variable delete Error", false, [](Window& w) { Click(w.VariableNamed("Error"), "m_pButDeleteVariable"); }},
        {"variable delete TCPStatus", false, [](Window& w) { Click(w.VariableNamed("TCPStatus"), "m_pButDeleteVariable"); }},
        {"variable move up", true, [](Window& w) { Click(w.VariableNamed("Gain"), "m_pButMoveVariableUp"); }},
        {"variable move down", true, [](Window& w) { Click(w.VariableNamed("Gain"), "m_pButMoveVariableDown"); }},
        {"variable name", true, [](Window& w) { Type(w.VariableNamed("Gain"), "m_pEditVariableName", "Trim"); }},
        {"variable type", true, [](Window& w) { Choose(w.VariableNamed("Gain"), "m_pCmbVariableType", 2); }},
        {"variable same type", false, [](Window& w) { Choose(w.VariableNamed("Gain"), "m_pCmbVariableType", 0); }},
        {"variable initial value", true, [](Window& w) { Type(w.VariableNamed("Gain"), "m_pEditVariableInitial", "3"); }},
        {"variable description", true, [](Window& w) { Type(w.VariableNamed("Gain"), "m_pEditVariableDescription", "g"); }},
        {"variable list", true, [](Window& w) { Click(w.VariableNamed("Gain"), "m_pChkList"); }},
        {"variable list size", true, [](Window& w) { Type(w.VariableNamed("Inputs"), "m_pEditListSize", "5"); }},
        {"variable zero-indexed", true, [](Window& w) { Click(w.VariableNamed("Inputs"), "m_pChkListZero"); }},

        {"info make", true, [](Window& w) { Type(w.tarvo.InfoEditor(), "m_pEditMake", "Zeta"); }},
        {"info model", true, [](Window& w) { Type(w.tarvo.InfoEditor(), "m_pEditModel", "Z1"); }},
        {"info group", true, [](Window& w) { Choose(w.tarvo.InfoEditor(), "m_pCmbGroupType", -1); }},
        {"info protocol", true, [](Window& w) { Type(w.tarvo.InfoEditor(), "m_pEditProtocol", "Zp"); }},
        {"info description", true, [](Window& w) { Type(w.tarvo.InfoEditor(), "m_pEditDescription", "about"); }},
        {"info author add", true, [](Window& w) { Click(w.tarvo.InfoEditor(), "m_pButAddAuthor"); }},
        {"info author delete", true, [](Window& w) {
             Child<QListWidget>(w.tarvo.InfoEditor(), "m_pListAuthors")->setCurrentRow(0);
             Click(w.tarvo.InfoEditor(), "m_pButDeleteAuthor"); }},
        {"info author move down", true, [](Window& w) {
             Child<QListWidget>(w.tarvo.InfoEditor(), "m_pListAuthors")->setCurrentRow(0);
             Click(w.tarvo.InfoEditor(), "m_pButMoveAuthorDown"); }},

        {"ports serial baud", true, [](Window& w) { Choose(w.tarvo.PortsImportEditor(), "m_pCmbSerialBaud", -1); }},
        {"ports serial bits", true, [](Window& w) { Choose(w.tarvo.PortsImportEditor(), "m_pCmbSerialBits", -1); }},
        {"ports serial parity", true, [](Window& w) { Choose(w.tarvo.PortsImportEditor(), "m_pCmbSerialParity", -1); }},
        {"ports serial stop bits", true, [](Window& w) { Choose(w.tarvo.PortsImportEditor(), "m_pCmbSerialStopBits", -1); }},
        {"ports serial off", true, [](Window& w) { Toggle(w.tarvo.PortsImportEditor(), "m_pGrpSerial"); }},
        {"ports ethernet off", true, [](Window& w) { Toggle(w.tarvo.PortsImportEditor(), "m_pGrpEthernet"); }},
        {"ports MIDI off", true, [](Window& w) { Toggle(w.tarvo.PortsImportEditor(), "m_pGrpMidi"); }},
        {"ports ethernet type", true, [](Window& w) { Choose(w.tarvo.PortsImportEditor(), "m_pCmbEthType", -1); }},
        {"ports address", true, [](Window& w) { Type(w.tarvo.PortsImportEditor(), "m_pEditIP", "10.0.0.9"); }},
        {"ports device port", true, [](Window& w) { Type(w.tarvo.PortsImportEditor(), "m_pEditDevicePort", "23"); }},
        {"IR import", true, [](Window& w) {
             const QString path = QDir::tempPath() + "/actiontable-ir.txt";
             WriteFixture(path, "Power On: sendir,1:1,1,38000,1,69,343\n");
             w.prompts.Answer(path);
             Click(w.tarvo.PortsImportEditor(), "m_pButImportBrowse");
             Click(w.tarvo.PortsImportEditor(), "m_pButImportFile");
             QFile::remove(path); }},
        {"IR browse cancelled", false, [](Window& w) {
             w.prompts.Answer(QString());
             Click(w.tarvo.PortsImportEditor(), "m_pButImportBrowse"); }},
    };
    return actions;
}

// The bytes with the device version (raised by every save) blanked.
QByteArray WithoutVersion(QByteArray bytes)
{
    static const QRegularExpression version(QStringLiteral("<version>[^<]*</version>"));
    return QString::fromUtf8(bytes).replace(version, QStringLiteral("<version/>")).toUtf8();
}

} // namespace

// Every action of every page on an opened driver: the document is marked
// changed exactly when the action changes what Save writes, and Cancel in a
// window form changes nothing.
class ActionTableTest : public QObject
{
    Q_OBJECT

private slots:
    void actions_data()
    {
        QTest::addColumn<int>("index");
        for (int i = 0; i < Actions().size(); ++i)
            QTest::newRow(Actions()[i].name) << i;
    }
    // Each action also runs on the driver opened with rows built only when
    // shown (as a large file opens): it must save the same.
    void actions()
    {
        QFETCH(int, index);
        QByteArray saved[2][2];
        Run(Actions()[index], saved[false][0], saved[false][1]);
        const int usual = EventRow::SetBuildWhenShownFrom(0);
        if (!QTest::currentTestFailed())
            Run(Actions()[index], saved[true][0], saved[true][1]);
        EventRow::SetBuildWhenShownFrom(usual);
        QCOMPARE(saved[true][0], saved[false][0]);
        QCOMPARE(saved[true][1], saved[false][1]);
    }

private:
    static void Run(const Action& action, QByteArray& before, QByteArray& after)
    {
        TemporaryHome home;
        ScriptedPrompts prompts;
        const QString path = home.Path() + "/driver.prd";
        QVERIFY(QFile::copy(QStringLiteral(TARVO_TEST_DATA_DIR "/roundtrip/projector.prd"), path));
        Tarvo tarvo;
        tarvo.show();
        QApplication::setActiveWindow(&tarvo);  // fields take focus as when typed into
        tarvo.OpenFile(path);
        tarvo.Save();
        QVERIFY(!tarvo.IsChanged());
        before = WithoutVersion(ReadWholeFile(path));

        Window window{tarvo, prompts};
        action.act(window);
        const bool marked = tarvo.IsChanged();
        tarvo.Save();
        after = WithoutVersion(ReadWholeFile(path));
        QCOMPARE(after != before, action.writes);
        QCOMPARE(marked, action.writes);

        // Undo gives back the file as it was, redo the action's; the "*"
        // says whether that differs from the last save.
        QUndoStack* history = tarvo.History()->Stack();
        QCOMPARE(history->canUndo(), action.writes);
        if (!action.writes)
            return;
        history->undo();
        QVERIFY(tarvo.IsChanged());
        tarvo.Save();
        QCOMPARE(WithoutVersion(ReadWholeFile(path)), before);
        history->redo();
        QVERIFY(tarvo.IsChanged());
        tarvo.Save();
        QCOMPARE(WithoutVersion(ReadWholeFile(path)), after);
        history->undo();
        history->redo();
        QVERIFY(!tarvo.IsChanged());
    }
};

TARVO_REGISTER_TEST(ActionTableTest);

// What the table cannot show: a deleted variable comes back with the links
// to it, typing in a field is one step and the keys reach the history from
// the field, and the "*" follows the saved step.
class UndoTest : public QObject
{
    Q_OBJECT

    struct Opened
    {
        TemporaryHome home;
        ScriptedPrompts prompts;
        Tarvo tarvo;
        Window window{tarvo, prompts};
        QUndoStack* history = tarvo.History()->Stack();

        Opened()
        {
            const QString path = home.Path() + "/driver.prd";
            QFile::copy(QStringLiteral(TARVO_TEST_DATA_DIR "/roundtrip/projector.prd"), path);
            tarvo.show();
            QApplication::setActiveWindow(&tarvo);
            tarvo.OpenFile(path);
        }
        bool Starred() const { return tarvo.windowTitle().endsWith('*'); }
    };

private slots:
    void deletedVariableComesBackWithItsLinks()
    {
        Opened o;
        QStandardItem* gain = o.window.VariableNamed("Gain")->SelectedVariable();
        const QStandardItemModel& events = *o.window.Events()->EventModel();
        const auto links = [&] {
            return QList<const QStandardItem*>{EventRow::Outgoing(events, 1)->VarRef(3),
                                               EventRow::Outgoing(events, 6)->VarRef(3),
                                               IncomingSS::LinkedVariable(*EventRow::Incoming(events, 1), 3,
                                                                          o.tarvo.VariablesEditor()->Model())};
        };
        QCOMPARE(links(), QList<const QStandardItem*>(3, gain));

        Click(o.window.Variables(), "m_pButDeleteVariable");
        QCOMPARE(o.tarvo.statusBar()->currentMessage(),
                 QStringLiteral("Deleted 'Gain' (used by 2 events): Ctrl+Z restores it"));
        QCOMPARE(links(), QList<const QStandardItem*>(3, nullptr));
        QCOMPARE(o.history->undoText(), QStringLiteral("Delete Variable 'Gain'"));

        o.history->undo();
        QCOMPARE(links(), QList<const QStandardItem*>(3, gain));
        QVERIFY(!o.tarvo.IsChanged());
        o.history->redo();
        QCOMPARE(links(), QList<const QStandardItem*>(3, nullptr));
    }

    void typingInAFieldIsOneStep()
    {
        Opened o;
        o.window.Events()->SelectRow(0);
        auto* name = Child<QLineEdit>(o.window.Events(), "m_pEditEventName");
        name->setFocus();
        name->selectAll();
        for (const char key : {'L', 'a', 'm', 'p'}) {
            QTest::keyClick(name, key);
            QCoreApplication::processEvents();  // each key ends its own step, merged into the last
        }
        QCOMPARE(o.history->count(), 1);
        QCOMPARE(o.history->undoText(), QStringLiteral("Edit Name"));
        Type(o.window.Events(), "m_pEditEventDescription", "on");
        QCoreApplication::processEvents();
        QCOMPARE(o.history->count(), 2);

        // The keys undo the window's steps even from a text field.
        name->setFocus();
        QTest::keyClick(name, Qt::Key_Z, Qt::ControlModifier);
        QTest::keyClick(name, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(o.history->index(), 0);
        QCOMPARE(name->text(), QStringLiteral("Power"));
        QTest::keyClick(name, Qt::Key_Y, Qt::ControlModifier);
        QTest::keyClick(name, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(o.history->index(), 2);
        QCOMPARE(name->text(), QStringLiteral("Lamp"));
    }

    // The table's actions one after another in one window, then undone back
    // to the start and redone to the end: each step's undo gives the file as
    // it was before it, whatever came before it.
    void everyStepOfASessionUndoesAndRedoes()
    {
        Opened o;
        const auto saved = [&] {
            o.tarvo.Save();
            return WithoutVersion(ReadWholeFile(o.tarvo.FileName()));
        };
        QList<QByteArray> files = {saved()};
        QList<int> steps = {o.history->index()};
        QList<const Action*> deletes;
        for (const Action& action : Actions()) {
            const QString name = QString::fromLatin1(action.name);
            // Windows and questions belong to the table; a row moved or gone
            // would send later actions elsewhere, so deletes come last.
            if (!action.writes || name.contains(QLatin1String("OK")) || name.contains(QLatin1String(", then"))
                || name.startsWith(QLatin1String("event move")) || name.contains(QLatin1String(" add"))
                || name.startsWith(QLatin1String("IR")) || name == QLatin1String("variable name"))
                continue;
            if (name.contains(QLatin1String("delete"))) {
                deletes << &action;
                continue;
            }
            action.act(o.window);
            files << saved();
            steps << o.history->index();
        }
        for (const Action* action : deletes) {
            action->act(o.window);
            files << saved();
            steps << o.history->index();
        }
        QVERIFY(files.size() > 40);
        for (qsizetype i = files.size() - 2; i >= 0; --i) {
            o.history->setIndex(steps[i]);
            QCOMPARE(saved(), files[i]);
        }
        for (qsizetype i = 1; i < files.size(); ++i) {
            o.history->setIndex(steps[i]);
            QCOMPARE(saved(), files[i]);
        }
    }

    // Each event hands its models to the editors; the selection models of
    // the ones shown before must go with them (they slow every later undo).
    void browsingEventsLeavesNoSelectionModels()
    {
        Opened o;
        const int events = o.window.Events()->EventModel()->rowCount();
        QVERIFY(events > 2);
        const auto browse = [&](int changes) {
            for (int i = 0; i < changes; ++i)
                o.window.Events()->SelectRow(i % events);
            QCoreApplication::processEvents();
            return o.tarvo.findChildren<QItemSelectionModel*>().size();
        };
        const qsizetype afterTwo = browse(2);
        QCOMPARE(browse(3 * events), afterTwo);
        // Undo and redo show the events afresh.
        Click(o.window.Events(), "m_pButAddEvent");
        o.history->undo();
        o.history->redo();
        QCOMPARE(browse(2), afterTwo);
        // The events' child models are not the page's own children (every
        // paint in the page would walk them): adding events adds none.
        const qsizetype pageChildren = o.window.Events()->children().size();
        for (int i = 0; i < 3; ++i)
            Click(o.window.Events(), "m_pButAddEvent");
        QCOMPARE(o.window.Events()->children().size(), pageChildren);
    }

    void starFollowsTheSavedStep()
    {
        Opened o;
        QVERIFY(!o.Starred());
        Click(o.window.Events(), "m_pButAddEvent");
        QCoreApplication::processEvents();
        QVERIFY(o.Starred());
        o.tarvo.Save();
        QVERIFY(!o.Starred());
        o.history->undo();
        QVERIFY(o.Starred());
        o.history->redo();
        QVERIFY(!o.Starred());
        o.tarvo.on_actionNew_triggered();
        QVERIFY(!o.history->canUndo() && !o.Starred());
    }
};

TARVO_REGISTER_TEST(UndoTest);

#include "actiontable_test.moc"
