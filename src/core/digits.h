#pragma once

namespace kelmira {

// The value of a digit in base 10 or 16 (either case of a..f), or -1 when c is not a digit of
// that base. Project files and the settings file spell numbers the same way.
constexpr int digitValue(char c, int base) {
    int d = -1;
    if (c >= '0' && c <= '9')
        d = c - '0';
    else if (c >= 'a' && c <= 'f')
        d = c - 'a' + 10;
    else if (c >= 'A' && c <= 'F')
        d = c - 'A' + 10;
    return d < base ? d : -1;
}

} // namespace kelmira
