#pragma once
// Single-block DES encryption (FIPS 46-3) for the NTLM hashes and
// responses, which use DES in ECB mode with keys of 7 bytes.

#include <cstdint>

namespace ostiva {

// Spreads 56 key bits over the 8 bytes of a DES key: seven bits to each
// byte, most significant bit of key7[0] first, in the upper seven bit
// positions; the parity bit (bit 0) of every byte is 0.
void DesExpandKey7(const uint8_t key7[7], uint8_t key8[8]);

// Encrypts one 8-byte block under an 8-byte DES key (parity bits ignored).
void DesEncrypt(const uint8_t block[8], const uint8_t key8[8], uint8_t out[8]);

// Encrypts one 8-byte block under a 7-byte key spread by DesExpandKey7.
// `out` may be the same buffer as `block`.
void DesEncrypt7(const uint8_t block[8], const uint8_t key7[7], uint8_t out[8]);

}  // namespace ostiva
