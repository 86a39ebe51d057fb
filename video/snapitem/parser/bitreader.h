#pragma once

#include <cstddef>
#include <cstdint>

// MSB-first reader over a parameter-set payload. Reads past the end give zero bits
// and leave the position at the end, so callers test bs_eof() once after a group of
// reads instead of before every bit.
struct bs_t
{
    const uint8_t *start = nullptr;
    const uint8_t *p = nullptr;
    const uint8_t *end = nullptr;
    int bits_left = 8; // bits of *p not yet read, 8 on a byte boundary
};

void bs_init(bs_t *b, const uint8_t *data, size_t size);
bool bs_eof(const bs_t *b);
bool bs_byte_aligned(const bs_t *b);
void bs_skip(bs_t *b, int n);
uint32_t bs_read_u1(bs_t *b);
uint32_t bs_read_u(bs_t *b, int n);
uint32_t bs_read_u8(bs_t *b);
uint32_t bs_get_bits_long(bs_t *b, int n);
// ue(v); a code longer than 32 bits saturates at UINT32_MAX, which no syntax element allows.
uint32_t bs_read_ue(bs_t *b);
int64_t bs_read_se(bs_t *b);
uint32_t bs_read_te(bs_t *b, int range);
