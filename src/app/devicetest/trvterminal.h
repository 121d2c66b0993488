#pragma once

#include <QPointer>
#include <QTimer>
#include <QWidget>

#include "devicetest/terminal.h"

class DeviceLink;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QSpinBox;

// The Device Test window's "Terminal": bytes typed in any notation are sent
// on the session's link as they are, replies are logged split at the chosen
// end, and a sent line with its reply becomes a new event.
class TRVTerminal : public QWidget
{
    Q_OBJECT

public:
    explicit TRVTerminal(QWidget* parent = nullptr);

    // The link bytes go out on and come in from (not owned; null: none).
    void SetLink(DeviceLink* link);

    QComboBox* Input() const { return m_pComboInput; }
    QListWidget* Log() const { return m_pListLog; }
    // Sends the typed bytes; false (nothing sent) when the text is not valid
    // or the link is not connected.
    bool Send();
    void SetEnd(const ReplyEnd& end);
    // The exchange the log's selection makes: the first selected sent line
    // and the reply after it (the selected one, else the next), with the
    // runs of digits ticked in the capture list. Empty sent bytes when the
    // selection holds no sent line.
    Exchange SelectedExchange() const;
    // The bytes of the selected lines, sent or received, in log order.
    QList<QByteArray> SelectedFrames() const;

    static constexpr int LogLineLimit = 2000;
    static constexpr int BytesRole = Qt::UserRole + 1;
    static constexpr int SentRole = Qt::UserRole + 2;
    static constexpr int OffsetRole = Qt::UserRole + 1;  // on a capture item: the run's offset

signals:
    void makeEventRequested(const Exchange& exchange);

private:
    void AddLine(bool sent, const QByteArray& bytes);
    void OnReceived(const QByteArray& bytes);
    void OnQuiet();
    void ShowTyped();
    void ReadEnd();
    void ShowCaptures();
    void FindChecksum();
    void UpdateButtons();

    QPointer<DeviceLink> m_pLink;
    ReplySplitter m_Splitter;
    QTimer m_Quiet;
    QComboBox* m_pComboInput = nullptr;
    QLabel* m_pLblHex = nullptr;
    QPushButton* m_pButSend = nullptr;
    QComboBox* m_pComboEnd = nullptr;
    QLineEdit* m_pEditEndByte = nullptr;
    QSpinBox* m_pSpinQuiet = nullptr;
    QListWidget* m_pListLog = nullptr;
    QListWidget* m_pListCaptures = nullptr;
    QPushButton* m_pButMakeEvent = nullptr;
    QPushButton* m_pButFindChecksum = nullptr;
    QPushButton* m_pButClear = nullptr;
};
