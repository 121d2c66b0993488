#pragma once

#include <QDialog>
#include <QModelIndex>
#include <QPointer>
#include <QStandardItemModel>

#include <memory>

namespace Ui {
class TRVEventParamOptions;
}

class QDataWidgetMapper;

// "Parameter Options": edits the options (match and replacement texts, see
// OptionColumn in paramrows.h) of one option parameter. Never owns the
// option model it shows.
class TRVEventParamOptions : public QDialog
{
    Q_OBJECT

public:
    explicit TRVEventParamOptions(QWidget* parent = nullptr);
    ~TRVEventParamOptions() override;

    QStandardItemModel* Model() const { return m_pModel; }
    // Shows options (null shows nothing) with its first row current.
    void SetModel(QStandardItemModel* options);
    // The row current in the list, or -1.
    int CurrentRow() const;

    // Connected to the list's selection model (each time a model is set); the
    // list view itself has no such signal to connect by name.
    void on_m_pListOptions_currentRowChanged(const QModelIndex& current, const QModelIndex& previous);

signals:
    void savableDataChanged();

public slots:
    void on_m_pButAddOption_clicked();
    void on_m_pButDupOption_clicked();
    void on_m_pButDeleteOption_clicked();
    void submit();

private:
    void MakeCurrent(int row);

    std::unique_ptr<Ui::TRVEventParamOptions> ui;
    QPointer<QStandardItemModel> m_pModel;  // not owned
    QDataWidgetMapper* m_pMapper;
};
