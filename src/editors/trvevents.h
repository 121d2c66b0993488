#pragma once

#include <QList>
#include <QString>
#include <QWidget>

class ProductData_c;
class QStandardItem;
class QStandardItemModel;

// The "Events" page: the protocol's events (commands), each with its
// parameters, outgoing message and incoming response, one row per event.
class TRVEvents : public QWidget
{
    Q_OBJECT

public:
    enum Column {
        ColName, ColDescription, ColRetries, ColTimeout, ColIncoming, ColUnsolicited, ColParams,
        ColOutgoingSS, ColMsgFormat, ColMsgArgs, ColMsgManEdit, ColIncomingSS, ColIRRegexp,
        ColIRExample, ColIncManEdit, ColumnCount
    };

    // variables: the shared variables model, owned by the device variables page.
    TRVEvents(QStandardItemModel* variables, QWidget* parent);
    ~TRVEvents() override;

    QStandardItemModel* EventModel() const { return m_pEventModel; }
    QStandardItemModel* VariablesModel() const { return m_pVariables; }

    void Load(ProductData_c* product);
    void Store(ProductData_c* product);

signals:
    void savableDataChanged();
    void requestVarTabFocus(QStandardItem* setupVarField);

public slots:
    // Appends an event for an imported infra-red code: the code is sent as a
    // manually edited format and the reply is matched by "completeir.+\r".
    void CreateIRFileEvent(QString name, QString message);
    // Drops links to variable rows that are no longer in the model.
    void CleanupVars();

private:
    QList<QStandardItem*> NewEventRow(const QString& name) const;

    QStandardItemModel* m_pVariables;   // not owned
    QStandardItemModel* m_pEventModel;  // owned through the Qt parent
};
