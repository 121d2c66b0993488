#pragma once

#include <QWidget>

#include <memory>

#include "editors/info/infofields.h"

namespace Ui {
class TRVInfo;
}

class ProductData_c;

// The "Device Information" page: make, model, version, group, protocol,
// description and authors. Its widgets hold the values between load and store.
class TRVInfo : public QWidget
{
    Q_OBJECT

public:
    // hasFile: a product file was open when the page was built; storing then
    // raises the version by 0.1 each time.
    TRVInfo(QWidget* parent, bool hasFile);
    ~TRVInfo() override;

    void Load(ProductData_c* product);
    // Fills empty fields visibly on the page, then writes them into product.
    void Store(ProductData_c* product);

    InfoFields Fields() const;
    void SetFields(const InfoFields& fields);
    bool HasFile() const { return m_HasFile; }

signals:
    void savableDataChanged();

public slots:
    void on_m_pButAddAuthor_clicked();
    void on_m_pButDeleteAuthor_clicked();
    void on_m_pButMoveAuthorUp_clicked();
    void on_m_pButMoveAuthorDown_clicked();

private:
    void MoveCurrentAuthor(int offset);

    std::unique_ptr<Ui::TRVInfo> ui;
    const bool m_HasFile;
};
