#pragma once

#include <QByteArray>
#include <QString>

// A pseudo-terminal for playing a serial device: this side holds the master
// end (raw, non-blocking), a client opens SlavePath() as it would a serial
// port. The slave end is held open here too (raw), so the master never reads
// a hang-up while no client has it open, and clients may come and go.
class PtyPair
{
public:
    PtyPair() = default;
    ~PtyPair();
    PtyPair(const PtyPair&) = delete;
    PtyPair& operator=(const PtyPair&) = delete;

    // Opens a new pair (closing any other); false with why when the system
    // gives none.
    bool Open(QString* error);
    void Close();
    bool IsOpen() const { return m_Master >= 0; }
    // -1 when closed.
    int MasterFd() const { return m_Master; }
    // "/dev/pts/7"; empty when closed.
    QString SlavePath() const { return m_Path; }

    // What the client wrote, at most max bytes; empty when nothing is waiting.
    QByteArray Read(int max);
    // Writes all of bytes; false with why when the terminal takes no more
    // (a client that does not read fills its queue).
    bool Write(const QByteArray& bytes, QString* error);

private:
    int m_Master = -1;
    int m_Slave = -1;
    QString m_Path;
};
