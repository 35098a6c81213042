#pragma once

#include <cstdint>

// One 16-bit accumulator for the whole program: the download check and the import use it.
void CrcReset();
void CrcUpdate(uint8_t byte);
uint16_t CrcValue();
