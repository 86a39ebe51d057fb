#include "bitreader.h"

#include <limits>

namespace {

constexpr uint32_t i_mask[33] = {
    0x00,       0x01,       0x03,       0x07,       0x0f,       0x1f,       0x3f,       0x7f,       0xff,
    0x1ff,      0x3ff,      0x7ff,      0xfff,      0x1fff,     0x3fff,     0x7fff,     0xffff,     0x1ffff,
    0x3ffff,    0x7ffff,    0xfffff,    0x1fffff,   0x3fffff,   0x7fffff,   0xffffff,   0x1ffffff,  0x3ffffff,
    0x7ffffff,  0xfffffff,  0x1fffffff, 0x3fffffff, 0x7fffffff, 0xffffffff};

// Moves on by one bit; the position never passes the end.
void advanceBit(bs_t *b)
{
    if (b->p >= b->end)
        return;
    if (--b->bits_left == 0) {
        ++b->p;
        b->bits_left = 8;
    }
}

} // namespace

void bs_init(bs_t *b, const uint8_t *data, size_t size)
{
    b->start = data;
    b->p = data;
    b->end = data ? data + size : data;
    b->bits_left = 8;
}

bool bs_eof(const bs_t *b)
{
    return b->p >= b->end;
}

bool bs_byte_aligned(const bs_t *b)
{
    return b->bits_left == 8;
}

void bs_skip(bs_t *b, int n)
{
    for (int i = 0; i < n && !bs_eof(b); ++i)
        advanceBit(b);
}

uint32_t bs_read_u1(bs_t *b)
{
    if (bs_eof(b))
        return 0;
    const uint32_t bit = (*b->p >> (b->bits_left - 1)) & 0x01;
    advanceBit(b);
    return bit;
}

uint32_t bs_read_u(bs_t *b, int n)
{
    uint32_t value = 0;
    for (int i = 0; i < n && i < 32; ++i)
        value = (value << 1) | bs_read_u1(b);
    return value;
}

uint32_t bs_read_u8(bs_t *b)
{
    return bs_read_u(b, 8);
}

uint32_t bs_get_bits_long(bs_t *b, int n)
{
    if (n < 1)
        return 0;
    if (n > 32)
        n = 32;
    uint64_t value = 0;
    int wanted = n;
    while (wanted > 0) {
        if (bs_eof(b)) {
            value <<= wanted; // bits beyond the data count as zero
            break;
        }
        const int take = wanted < b->bits_left ? wanted : b->bits_left;
        const uint32_t bits = (*b->p >> (b->bits_left - take)) & i_mask[take];
        value = (value << take) | bits;
        wanted -= take;
        b->bits_left -= take;
        if (b->bits_left == 0) {
            ++b->p;
            b->bits_left = 8;
        }
    }
    return static_cast<uint32_t>(value & i_mask[n]);
}

uint32_t bs_read_ue(bs_t *b)
{
    int zeros = 0;
    while (zeros < 32 && !bs_eof(b) && bs_read_u1(b) == 0)
        ++zeros;
    const uint64_t value = ((uint64_t{1} << zeros) - 1) + bs_get_bits_long(b, zeros);
    constexpr uint64_t largest = std::numeric_limits<uint32_t>::max();
    return static_cast<uint32_t>(value > largest ? largest : value);
}

int64_t bs_read_se(bs_t *b)
{
    const int64_t k = bs_read_ue(b);
    return (k % 2 == 0) ? -(k / 2) : (k + 1) / 2;
}

uint32_t bs_read_te(bs_t *b, int range)
{
    if (range > 1)
        return bs_read_ue(b);
    if (range == 1)
        return 1 - bs_read_u1(b);
    return 0;
}
