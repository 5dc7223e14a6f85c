#pragma once

#include <cstddef>
#include <cstdint>
#include <limits>

namespace kelmira {

// Takes values off the front of a fuzz input; once it is used up every value reads as 0.
class FuzzInput {
public:
    FuzzInput(const uint8_t* data, size_t size) : m_data(data), m_size(size) {}

    bool empty() const { return m_pos >= m_size; }

    uint8_t byte() { return m_pos < m_size ? m_data[m_pos++] : 0; }

    int32_t raw32() {
        uint32_t v = 0;
        for (int i = 0; i < 4; ++i)
            v |= uint32_t(byte()) << (8 * i);
        return static_cast<int32_t>(v);
    }

    // Mostly values near the board and its limits, where faults live; sometimes any 32 bits.
    int32_t value() {
        static constexpr int32_t edges[] = {std::numeric_limits<int32_t>::min(),
                                            std::numeric_limits<int32_t>::min() + 1,
                                            std::numeric_limits<int32_t>::max(),
                                            std::numeric_limits<int32_t>::max() - 1,
                                            -1,
                                            0,
                                            1,
                                            2,
                                            5,
                                            144,
                                            145,
                                            146,
                                            147,
                                            148,
                                            149,
                                            150,
                                            151,
                                            155};
        const uint8_t selector = byte();
        switch (selector % 4) {
        case 0:
            return int32_t(selector / 4) - 32;
        case 1:
            return edges[(selector / 4) % (sizeof edges / sizeof edges[0])];
        case 2:
            return int32_t(byte()) - 2;
        default:
            return raw32();
        }
    }

private:
    const uint8_t* m_data;
    size_t m_size;
    size_t m_pos = 0;
};

} // namespace kelmira
