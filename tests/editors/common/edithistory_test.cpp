#include <QStandardItemModel>
#include <QTest>
#include <QUndoStack>

#include "editors/common/cells.h"
#include "editors/common/edithistory.h"
#include "testregistry.h"

// Rows leave empty cells out; a cell made after its row went in must come
// and go with the row through undo and redo, and be freed with the history.
class EditHistoryTest : public QObject
{
    Q_OBJECT

private slots:
    void cellMadeAfterTheRowFollowsIt()
    {
        QObject root;
        EditHistory history(&root);
        auto* model = NewEditModel(2, &root);
        const auto step = [&](const char* name, const std::function<void()>& change) {
            {
                const EditHistory::Step named(model, QString::fromLatin1(name));
                change();
                history.NoteSavable();
            }
            history.Close();
        };
        step("Add", [&] { EditRows::Append(*model, {new EditItem(QStringLiteral("a")), nullptr}); });
        step("Write", [&] { SetCellText(*model, 0, 1, QStringLiteral("b")); });
        QCOMPARE(history.Stack()->count(), 2);

        history.Stack()->undo();
        QCOMPARE(CellText(*model, 0, 1), QString());
        history.Stack()->undo();
        QCOMPARE(model->rowCount(), 0);
        history.Stack()->redo();
        history.Stack()->redo();
        QCOMPARE(model->rowCount(), 1);
        QCOMPARE(CellText(*model, 0, 1), QStringLiteral("b"));

        // Undone again and dropped by a new step: the row and its made cell
        // belong to the dropped steps and are freed with them (the sanitizer
        // build reports a leak otherwise).
        history.Stack()->undo();
        history.Stack()->undo();
        step("Other", [&] { EditRows::Append(*model, {new EditItem(QStringLiteral("c")), nullptr}); });
        QCOMPARE(CellText(*model, 0, 0), QStringLiteral("c"));
    }
};

TARVO_REGISTER_TEST(EditHistoryTest);
#include "edithistory_test.moc"
