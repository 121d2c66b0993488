#pragma once

#include <QDialog>
#include <QPersistentModelIndex>
#include <QPointer>

#include <memory>

namespace Ui {
class TRVEventOutgoingSSChecksum;
}

class OutgoingSSModel_c;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
struct ChecksumCandidate;

// How a checksum row sends a found candidate: its function type (index into
// ChecksumFunctionNames()) and output format; type -1 when the row cannot
// (a transform, a sum kept to 2 bytes, hex digits whose width %X cannot
// keep): the candidate's expression is then used as a formula.
struct ChecksumRowChoice
{
    int type = -1;
    int format = -1;
};
ChecksumRowChoice ChecksumRowFor(const ChecksumCandidate& candidate);

// "Configure Checksum": the function and the substrings a checksum row of
// an outgoing message covers. Shown modeless for one row at a time; the
// choice lives in the row (see SetChecksumSettings), and writing it makes
// the outgoing editor preview the row again.
class TRVEventOutgoingSSChecksum : public QDialog
{
    Q_OBJECT

public:
    explicit TRVEventOutgoingSSChecksum(QWidget* parent = nullptr);
    ~TRVEventOutgoingSSChecksum() override;

    // Lists model's rows with the row's covered rows selected and its
    // function chosen, and shows the dialog.
    void ShowForRow(OutgoingSSModel_c* model, int row);
    // The row being edited, -1 when none.
    int ChecksumRow() const;
    // Shows the bytes checksummed and the result of the row being edited
    // again, after its substrings changed.
    void Refresh();

signals:
    void savableDataChanged();

public slots:
    void on_m_pCmbOutgoingChecksumType_currentIndexChanged(int index);
    void SelectionChanged();
    // Forgets the row being edited.
    void ClearChecksumItem();
    // Finds the checksum of the frames typed (one a line, any notation) and
    // sets the row from the best candidate, or shows its formula; false
    // when nothing fits or the frames are not usable.
    bool FindFromFrames();

private:
    void Apply();
    void SelectCovered();

    std::unique_ptr<Ui::TRVEventOutgoingSSChecksum> ui;
    QPointer<OutgoingSSModel_c> m_pModel;
    QPersistentModelIndex m_ChecksumItem;
    bool m_Restoring = false;  // the form follows the row; nothing is written
    QPlainTextEdit* m_pEditFrames = nullptr;
    QLabel* m_pLblFound = nullptr;
    QLineEdit* m_pEditFormula = nullptr;
};
