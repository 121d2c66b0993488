#include <QStandardItemModel>
#include <QTest>
#include <QUndoStack>

#include "editors/common/cells.h"
#include "editors/common/edithistory.h"
#include "testregistry.h"

// A cell made after its row went in comes and goes with the row through undo
// and redo, and is freed with the steps (the sanitizer build finds a leak).
class EditHistoryTest : public QObject
{
    Q_OBJECT

private slots:
    void cellMadeAfterTheRowFollowsIt()
    {
        QObject root;
        EditHistory history(&root);
        QStandardItemModel* model = NewEditModel(2, &root);
        const auto step = [&](const std::function<void()>& change) {
            {
                const EditHistory::Step named(model, QStringLiteral("Edit"));
                change();
                history.NoteSavable();
            }
            history.Close();
        };
        step([&] { EditRows::Append(*model, {new EditItem(QStringLiteral("a")), nullptr}); });
        step([&] { SetCellText(*model, 0, 1, QStringLiteral("b")); });
        for (const bool redo : {false, false, true, true})
            redo ? history.Stack()->redo() : history.Stack()->undo();
        QCOMPARE(CellText(*model, 0, 1), QStringLiteral("b"));
        history.Stack()->undo();
        history.Stack()->undo();
    }
};

TARVO_REGISTER_TEST(EditHistoryTest);
#include "edithistory_test.moc"
