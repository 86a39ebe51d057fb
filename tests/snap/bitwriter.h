#pragma once

#include <QByteArray>

#include <cstdint>

// Builds parameter sets bit by bit for the parser tests: MSB-first fixed-width fields,
// Exp-Golomb codes, the stop bit, and Annex B escaping of the finished payload.
class BitWriter
{
public:
    void u(int bits, uint64_t value)
    {
        for (int i = bits - 1; i >= 0; --i)
            bit((value >> i) & 1);
    }
    void ue(uint64_t value)
    {
        const uint64_t coded = value + 1;
        int length = 0;
        while ((coded >> length) > 1)
            ++length;
        u(length, 0);
        u(length + 1, coded);
    }
    void se(int64_t value) { ue(value > 0 ? uint64_t(2 * value - 1) : uint64_t(-2 * value)); }
    void flag(bool set) { bit(set ? 1 : 0); }
    // rbsp_trailing_bits(): the stop bit, then zeros to the byte boundary.
    void stop()
    {
        bit(1);
        while (m_used != 0)
            bit(0);
    }
    QByteArray bytes() const { return m_bytes; }

    // Inserts an emulation-prevention byte wherever two zeros meet a byte of 0 to 3.
    static QByteArray escaped(const QByteArray &payload)
    {
        QByteArray out;
        int zeros = 0;
        for (char c : payload) {
            const auto byte = static_cast<uint8_t>(c);
            if (zeros == 2 && byte <= 3) {
                out.append(char(3));
                zeros = 0;
            }
            out.append(c);
            zeros = byte == 0 ? zeros + 1 : 0;
        }
        return out;
    }

private:
    void bit(int value)
    {
        if (m_used == 0)
            m_bytes.append(char(0));
        if (value)
            m_bytes[m_bytes.size() - 1] = char(uint8_t(m_bytes.back()) | (0x80 >> m_used));
        m_used = (m_used + 1) % 8;
    }

    QByteArray m_bytes;
    int m_used = 0;
};
