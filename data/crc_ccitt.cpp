#include "data/crc_ccitt.h"

namespace {
uint16_t CrcRegister = 0;
}

void CrcReset() {
    CrcRegister = 0;
}

// Shift-in form of CRC-CCITT (polynomial 0x1021): with two zero bytes appended to the message it
// yields the CRC-16/XMODEM value the logger sends.
void CrcUpdate(uint8_t byte) {
    for (int i = 0; i < 8; ++i) {
        const bool top = (CrcRegister & 0x8000u) != 0;
        CrcRegister = static_cast<uint16_t>((CrcRegister << 1) | ((byte >> 7) & 1u));
        byte = static_cast<uint8_t>(byte << 1);
        if (top)
            CrcRegister ^= 0x1021u;
    }
}

uint16_t CrcValue() {
    return CrcRegister;
}
