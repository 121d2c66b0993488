#pragma once

#include <QList>
#include <QTimer>
#include <QWidget>

#include <memory>

#include "devicetest/devicesession.h"

namespace Ui {
class TRVDeviceTest;
}

struct PortFields;
struct Exchange;
class TRVTerminal;

// The window's "Test on Device": runs the driver the pages hold against a
// real device (or a simulator) over TCP, UDP or a serial line, sends one
// event at a time with chosen parameter values, and shows the log, the last
// step's result and the device variables. The connection fields start from
// the Ports page; changing them here does not change the file.
class TRVDeviceTest : public QWidget
{
    Q_OBJECT

public:
    explicit TRVDeviceTest(QWidget* parent);
    ~TRVDeviceTest() override;

    // Starts over on the pages' models: any connection is closed, the fields
    // are filled from ports and a new session lists the events and variables.
    void Open(const DriverModels& models, const PortFields& ports);
    // Closes the connection and drops the session: the pages it runs on are
    // about to be deleted. Nothing can be sent until the next Open.
    void DropSession();

    // The session the window runs; null after DropSession.
    DeviceSession* Session() const { return m_pSession.get(); }
    // The connection fields as settings, and back.
    LinkSettings Settings() const;
    void SetSettings(const LinkSettings& settings);
    // The log as shown, one line per entry (entries not flushed yet included).
    QString LogText();
    // The "Terminal" tab beside the event: bytes typed and sent on the session's link.
    TRVTerminal* Terminal() const { return m_pTerminal; }
    // The longest the log grows to, in lines; older lines are dropped first.
    static constexpr int LogLineLimit = 5000;
    // Entries that arrive within this time are shown in one go.
    static constexpr int FlushMs = 50;

public slots:
    void on_m_pButConnect_clicked();
    void on_m_pButDisconnect_clicked();
    void on_m_pButSend_clicked();
    void on_m_pButSaveLog_clicked();
    void on_m_pButClearLog_clicked();
    void on_m_pButRefreshDevices_clicked();
    void on_m_pComboKind_currentIndexChanged(int index);
    void on_m_pComboEvent_currentIndexChanged(int index);

signals:
    // The terminal's Make Event: the window adds the event to the events page.
    void makeEventRequested(const Exchange& exchange);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    // A new session on m_Models, replacing the old one (closing its link).
    void EndSession();
    void NewSession();
    void FillEvents();
    void FillParams();
    void FillVariables();
    void Flush();
    void ShowLinkState(DeviceLink::State state, const QString& text);
    void ShowStep(const StepResult& result);
    void ShowStatus(const QString& text, bool fault);
    void UpdateButtons();
    // The event row chosen, or -1.
    int EventRow() const;

    std::unique_ptr<Ui::TRVDeviceTest> ui;
    DriverModels m_Models;
    std::unique_ptr<DeviceSession> m_pSession;
    QList<DeviceLogEntry> m_Pending;  // logged, not shown yet
    bool m_VariablesStale = false;
    bool m_FollowLog = true;  // the log is scrolled to its end
    QTimer m_Flush;
    QTimer m_EventsChanged;  // the events page changed: list them again
    QString m_LastLogPath;
    TRVTerminal* m_pTerminal = nullptr;  // child
};
