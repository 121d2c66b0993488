#pragma once

#include <QString>
#include <QStringList>
#include <QVariantMap>

class ProductData_c;

// The values of the "Device Information" page, detached from its widgets so
// the store and load rules can be exercised without a window.
struct InfoFields
{
    QString make;
    QString model;
    QString version;
    QString group;
    QString protocol;
    QString description;
    QStringList authors;

    bool operator==(const InfoFields&) const = default;
};

// The version stored on save: text that is not a number, or is 0, becomes
// "1.0"; otherwise a page built for an opened file raises it by 0.1 (1 gives
// 1.1, 2.5 gives 2.6) and any other page keeps the text as typed.
QString NextVersionText(const QString& text, bool hasFile);

// Fills what a save must not leave empty, in store order: make "Make", model
// "Model", the version rule above, protocol make + "_" + model.
void PrepareInfoForStore(InfoFields& fields, bool hasFile);

// Writes the fields into the product: make, model, version, authors,
// description, the first protocol's name, the hardware group (a word outside
// the group vocabulary is refused by the hardware and leaves the group unset).
void StoreInfoFields(const InfoFields& fields, ProductData_c& product);

// Reads the fields back from the product; a missing protocol reads as an
// empty name and creates nothing.
InfoFields LoadInfoFields(ProductData_c& product);

// The fields by name, for the undo history; InfoFieldsWith puts back those
// named in values over fields.
QVariantMap InfoFieldMap(const InfoFields& fields);
InfoFields InfoFieldsWith(InfoFields fields, const QVariantMap& values);
