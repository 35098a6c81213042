#include "data/crc_ccitt.h"

#include "tests/data/DataTestSupport.h"

namespace {

class DownloadCrc : public DataTest {};

TEST_F(DownloadCrc, Register) {
    CrcReset();
    for (char c : QByteArray("123456789"))
        CrcUpdate(uint8_t(c));
    CrcUpdate(0);
    CrcUpdate(0);
    EXPECT_EQ(CrcValue(), 0x31C3);
    EXPECT_EQ(CrcValue(), 12739);
}

// The check of a whole capture goes a byte at a time; it must end where the bit-at-a-time
// register does, whatever the register held before.
TEST_F(DownloadCrc, ByteAtATimeEqualsBitAtATime) {
    uint32_t seed = 12345;
    for (int round = 0; round < 50; ++round) {
        QByteArray data(round * 37 + 2, Qt::Uninitialized);
        for (char& c : data) {
            seed = seed * 1103515245u + 12345u;
            c = char(seed >> 16);
        }
        const qsizetype half = data.size() / 2;
        CrcReset();
        for (char c : data)
            CrcUpdate(uint8_t(c));
        const uint16_t bitwise = CrcValue();
        CrcReset();
        for (qsizetype k = 0; k < half; ++k)
            CrcUpdate(uint8_t(data[k]));
        CrcUpdate(data.constData() + half, std::size_t(data.size() - half));
        EXPECT_EQ(CrcValue(), bitwise) << "round " << round;
    }
}

TEST_F(DownloadCrc, Fields) {
    const struct {
        const char* capture;
        bool passes;
    } cases[] = {
        {"123456789", true},       // no "!": no CRC field
        {"123456789!", true},      // no bytes after it
        {"123456789!127", true},   // three bytes
        {"123456789!1273", false}, // four bytes
        {"123456789!12739", true},
        {"123456789!12739\r\nO", true}, // the capture ends before "K" CR LF
        {"123456789!12738", false},
        {"123456789!12a39", false}, // a letter among the digits
        {"123456789!1273 ", false}, // nothing after the digits
        {"123456789!+1273", false}, // five characters: +1273
        {"msg4! 1382", true},       // a blank and four digits
        {"msg4!01382", true},
        {"msg4!-1382", false},
        {"! 0000", true}, // the empty message has CRC 0
        {"!-0000", true},
        {"!    0", true},
        {"!     ", false},
        {"12345!12739!", false}, // only bytes before the first "!" count
    };
    for (const auto& c : cases) {
        SetCapture(c.capture);
        EXPECT_EQ(CheckDownloadCrc(), c.passes) << c.capture;
    }
    CaptureStream::Release();
    EXPECT_TRUE(CheckDownloadCrc()); // no capture: nothing to fail
}

TEST_F(DownloadCrc, CaptureStreamLifecycle) {
    EXPECT_FALSE(CaptureStream::Exists());
    CaptureStream::Create();
    EXPECT_TRUE(CaptureStream::Exists());
    CaptureStream::Append("ab");
    CaptureStream::Append("c");
    EXPECT_EQ(CaptureStream::Bytes(), QByteArray("abc"));
    CaptureStream::Create(); // a new capture starts empty
    EXPECT_TRUE(CaptureStream::Bytes().isEmpty());
    CaptureStream::Release();
    EXPECT_FALSE(CaptureStream::Exists());
    EXPECT_TRUE(CaptureStream::Bytes().isEmpty());
}

} // namespace
