#include "tools/hyetra-sim/SimCrc.h"

// The register-first form: each byte is folded into the top of the register and the eight bits
// are divided out at once, which equals shifting the message and two zero bytes through bit by
// bit, as the logger's firmware does.
quint16 SimCrc16(const QByteArray& bytes) {
    quint16 crc = 0;
    for (const char c : bytes) {
        crc ^= quint16(quint16(static_cast<unsigned char>(c)) << 8);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 0x8000) ? quint16((crc << 1) ^ 0x1021) : quint16(crc << 1);
    }
    return crc;
}
