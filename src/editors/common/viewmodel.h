#pragma once

class QAbstractItemModel;
class QAbstractItemView;
class QComboBox;

// Shows model in view and deletes the selection model the view made for the
// model it showed before (one set from outside is left to its owner); for a
// table also the ones its header views make for themselves and then drop for
// the table's. Qt keeps them otherwise, each connected to its model, so a view
// that is handed model after model grows its models' connection lists.
// The same model again (null included) changes nothing and keeps the
// selection; connections to the new selection model are made after the call.
void SetViewModel(QAbstractItemView* view, QAbstractItemModel* model);

// The same for the list of a combo box; a null model is refused, as by the
// combo itself.
void SetComboModel(QComboBox* combo, QAbstractItemModel* model);
