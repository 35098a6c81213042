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

namespace {
// Shifting a byte into the register is linear: the old high byte's share of the result comes
// from this table, the low byte moves up and the new byte comes in below it.
struct HighByteTable {
    uint16_t entry[256];
    HighByteTable() {
        for (int high = 0; high < 256; ++high) {
            auto r = static_cast<uint16_t>(high << 8);
            for (int bit = 0; bit < 8; ++bit)
                r = static_cast<uint16_t>((r << 1) ^ ((r & 0x8000u) ? 0x1021u : 0u));
            entry[high] = r;
        }
    }
};
} // namespace

void CrcUpdate(const char* bytes, std::size_t count) {
    static const HighByteTable table;
    uint16_t r = CrcRegister;
    for (std::size_t i = 0; i < count; ++i)
        r = static_cast<uint16_t>(table.entry[r >> 8] ^ ((r & 0xFFu) << 8) ^
                                  static_cast<uint8_t>(bytes[i]));
    CrcRegister = r;
}
