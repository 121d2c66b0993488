#pragma once

#include <QList>

#include "check/checkproblem.h"

class ProductData_c;
class QStandardItemModel;

// What a driver check looks at: the models of the editor pages, as the
// window's pages hold them after a load or an edit, and, for a file, the
// product it was loaded from.
struct CheckInput
{
    const QStandardItemModel* events = nullptr;         // the events page's rows
    const QStandardItemModel* setupMessages = nullptr;  // the setup page's rows
    const QStandardItemModel* variables = nullptr;      // the shared variables model
    // What the pages do not hold: whether the window opens the file, and the
    // ports its protocol and its hardware list. Null skips those checks.
    ProductData_c* product = nullptr;
};

// Every problem found, in page order: the product, ports, setup messages,
// events, variables; within a page by row.
QList<CheckProblem> CheckProductFile(const CheckInput& input);
