#include <QAbstractButton>
#include <QAbstractItemView>
#include <QLineEdit>
#include <QStackedWidget>
#include <QTest>

#include "editors/events/trvevents.h"
#include "editors/info/trvinfo.h"
#include "editors/params/paramrows.h"
#include "editors/params/trveventparamoptions.h"
#include "editors/setup/trvsetup.h"
#include "scriptedprompts.h"
#include "testregistry.h"

// Delete and Ctrl+D press the focused list's delete and duplicate buttons; a focused line edit keeps both keys.
class ListButtonsTest : public QObject
{
    Q_OBJECT

private slots:
    void keysPressTheFocusedListsButtons_data()
    {
        QTest::addColumn<QString>("names");  // list, its add button, a line edit[, a button clicked first]
        QTest::addColumn<int>("duplicated");  // rows Ctrl+D adds
        QTest::newRow("events") << "m_pListEvents m_pButAddEvent m_pEditEventName" << 1;
        QTest::newRow("events/params") << "m_pListParams m_pButAddParam m_pEditParamName m_pButAddEvent" << 1;
        QTest::newRow("events/outgoing") << "m_pListOutgoingSS m_pButAddOutgoingSS m_pEditSSText m_pButAddEvent" << 1;
        QTest::newRow("events/incoming") << "m_pListIncomingSS m_pButAddIncomingSS m_pEditSSMinChar m_pButAddEvent" << 1;
        QTest::newRow("setup") << "m_pListSetupMessages m_pButAddSetupMessage m_pEditExampleOutgoingMessage" << 1;
        QTest::newRow("setup/variables") << "m_pListVariables m_pButAddVariable m_pEditVariableName" << 1;
        QTest::newRow("options") << "m_pListOptions m_pButAddOption m_pEditOptionMatch" << 1;
        QTest::newRow("info") << "m_pListAuthors m_pButAddAuthor m_pEditMake" << 0;
    }
    void keysPressTheFocusedListsButtons()
    {
        QFETCH(QString, names);
        QFETCH(int, duplicated);
        const QString page = QString(QTest::currentDataTag()).section('/', 0, 0);
        ScriptedPrompts prompts;
        prompts.Answer(0);  // the setup page asks which kind of message to add
        QStandardItemModel variables, options(0, OptionColumnCount);
        const std::unique_ptr<QWidget> window(page == "events" ? new TRVEvents(&variables, nullptr)
                                              : page == "setup" ? new TRVSetup(nullptr, &variables)
                                              : page == "info"  ? static_cast<QWidget*>(new TRVInfo(nullptr, false))
                                                                : new TRVEventParamOptions(nullptr));
        if (auto* dialog = qobject_cast<TRVEventParamOptions*>(window.get()))
            dialog->SetModel(&options);
        if (names.count(' ') > 2)
            window->findChild<QAbstractButton*>(names.section(' ', 3))->click();
        auto* view = window->findChild<QAbstractItemView*>(names.section(' ', 0, 0));
        for (QWidget* shown = view; shown->parentWidget(); shown = shown->parentWidget())
            if (auto* tabs = qobject_cast<QStackedWidget*>(shown->parentWidget()))
                tabs->setCurrentWidget(shown);  // brings the list forward
        window->show();
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
        window->findChild<QAbstractButton*>(names.section(' ', 1, 1))->click();
        view->setFocus();
        QTest::keyClick(view, Qt::Key_D, Qt::ControlModifier);
        QCOMPARE(view->model()->rowCount(), 1 + duplicated);
        QTest::keyClick(view, Qt::Key_Delete);
        QCOMPARE(view->model()->rowCount(), duplicated);
        auto* field = window->findChild<QLineEdit*>(names.section(' ', 2, 2));
        field->setText("abc");
        field->setFocus(Qt::TabFocusReason);  // selects all the text
        QTest::keyClick(field, Qt::Key_Delete);
        QTest::keyClick(field, Qt::Key_D, Qt::ControlModifier);
        QCOMPARE(field->text(), QString());
        QCOMPARE(view->model()->rowCount(), duplicated);
    }
};

TARVO_REGISTER_TEST(ListButtonsTest);

#include "listbuttons_test.moc"
