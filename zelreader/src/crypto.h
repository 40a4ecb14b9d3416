// Checksum, cipher and digest functions: the library's own code.
#pragma once

#include <cstddef>
#include <cstdint>

namespace zel {

uint32_t crc32Variant(const uint8_t* data, int32_t len);

// One 8-byte block in place; decrypt when `decrypt` is true.
void desBlock(uint8_t block[8], const uint8_t key[8], bool decrypt);
void tripleDes(uint8_t block[8], const uint8_t key1[8], const uint8_t key2[8], bool decrypt);
// ISO/IEC 9797-1 padding method 2; algorithm 3 for a 16-byte key, else 1.
void retailMac(const uint8_t* data, int32_t dataLen, const uint8_t* key, int32_t keyLen,
               uint8_t mac[8]);

void sha1(const uint8_t* data, std::size_t len, uint8_t out[20]);
void md5(const uint8_t* data, std::size_t len, uint8_t out[16]);

}  // namespace zel
