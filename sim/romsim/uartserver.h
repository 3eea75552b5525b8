// Serves a RomSim::Engine on the device side of a pseudo-terminal, on its own
// thread, with the UART framing: 5A A5 len payload CRC16, acks 5A code.
#pragma once

#include "ptylink.h"
#include "romsim.h"

#include <QByteArray>

#include <atomic>
#include <mutex>
#include <thread>

namespace RomSim {

class UartServer
{
public:
    // Starts serving at once; link and engine must outlive the server.
    UartServer(PtyLink& link, Engine& engine);
    ~UartServer();
    UartServer(const UartServer&) = delete;
    UartServer& operator=(const UartServer&) = delete;

    void stop();
    // While on, a frame that arrives while the tool's line speed differs from the
    // ROM's current speed (Engine::uartSpeed) is dropped unanswered, as a real UART
    // would garble it. Off by default.
    void setCheckLineSpeed(bool on) { m_checkSpeed = on; }
    // Every byte the tool has sent so far, in order.
    QByteArray received() const;
    void clearReceived();
    // Encodes one output as it goes on the wire (exposed for tests of the encoder).
    static QByteArray encode(const Output& out);

private:
    void run();
    void send(const QList<Output>& outs);

    PtyLink& m_link;
    Engine& m_engine;
    std::atomic<bool> m_stop { false };
    std::atomic<bool> m_checkSpeed { false };
    mutable std::mutex m_mutex;
    QByteArray m_received; // guarded by m_mutex
    std::thread m_thread;
};

} // namespace RomSim
