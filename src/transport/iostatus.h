// Status vocabulary of the transports and the ROM command layer.
#pragma once
#include <QString>

namespace RomCmd {

enum IoStatus : int {
    IoOk = 0,                    // success
    IoNak = 1,                   // 0xA2 received, or a received UART frame failed its CRC
    IoAbort = 2,                 // 0xA3 received
    IoFailure = 3,               // unrecognised ack; refused OTP read; unknown RTE id
    IoTimeout = 4,               // UART: no frame start within the time-out
    IoOpenFailed = 5,            // device (or file) could not be opened
    IoWriteHeaderFailed = 6,     // UART header write failed
    IoWritePayloadFailed = 7,    // UART payload / HID report write failed
    IoWriteCrcFailed = 8,        // UART CRC write failed
    IoReadAckStartFailed = 9,    // UART: no first ack byte; HID: no ack report
    IoReadAckStatusFailed = 10,  // UART: no second ack byte
    IoReadPayloadFailed = 11,    // UART: 0x5A not followed by 0xA5; HID: report read failed
    IoReadLengthFailed = 12,     // UART: length bytes missing; either: length beyond the buffer
    IoReadPayloadBufferFailed = 13, // payload shorter than announced (UART and HID)
    IoReadCrcFailed = 14,        // UART: CRC bytes missing
    IoSendResponseFailed = 15,   // writing an acknowledgement failed
    IoSetTimeoutFailed = 16,     // reserved, never reported
    IoCommandFailed = 17,        // ROM answered non-zero, or transfer terminated
    IoBootModeFailed = 18        // ROM status says the boot mode is wrong
};

// Text of the transport status table; empty for codes outside it.
QString ioStatusText(int code);

} // namespace RomCmd
