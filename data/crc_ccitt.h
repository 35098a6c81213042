#pragma once

#include <cstddef>
#include <cstdint>

// One 16-bit accumulator for the whole program: the download check and the import use it.
void CrcReset();
void CrcUpdate(uint8_t byte);
uint16_t CrcValue();
// The same as CrcUpdate for each byte in turn, a byte at a time instead of a bit at a time.
void CrcUpdate(const char* bytes, std::size_t count);
