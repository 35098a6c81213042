#pragma once

#include <QByteArray>
#include <QtGlobal>

// CRC-16/XMODEM (polynomial 0x1021, start 0, no reflection, no final XOR), written for the
// virtual logger alone so that a fault in the program's check sum cannot hide behind a shared
// unit. "123456789" gives 0x31C3.
quint16 SimCrc16(const QByteArray& bytes);
