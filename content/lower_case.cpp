#include "content/lower_case.h"

namespace {

bool between(char16_t unit, char16_t first, char16_t last) { return unit >= first && unit <= last; }

// In these ranges a capital letter and its small letter are neighbours.
bool isCapitalOfPair(char16_t unit) {
    if (between(unit, 0x0100, 0x012F) || between(unit, 0x0132, 0x0137) || between(unit, 0x014A, 0x0177) ||
        between(unit, 0x0460, 0x0481) || between(unit, 0x048A, 0x04BF) || between(unit, 0x04D0, 0x052F))
        return unit % 2 == 0;
    if (between(unit, 0x0139, 0x0148) || between(unit, 0x0179, 0x017E) || between(unit, 0x04C1, 0x04CE))
        return unit % 2 == 1;
    return false;
}

}  // namespace

char16_t lowerCase(char16_t unit) {
    if (between(unit, u'A', u'Z') || (between(unit, 0x00C0, 0x00DE) && unit != 0x00D7) ||
        (between(unit, 0x0391, 0x03AB) && unit != 0x03A2) || between(unit, 0x0410, 0x042F) ||
        between(unit, 0xFF21, 0xFF3A))
        return unit + 0x20;
    if (between(unit, 0x0400, 0x040F)) return unit + 0x50;
    if (unit == 0x0178) return 0x00FF;
    if (unit == 0x04C0) return 0x04CF;
    if (isCapitalOfPair(unit)) return unit + 1;
    return unit;
}

std::u16string lowerCase(std::u16string_view text) {
    std::u16string lower(text);
    for (char16_t& unit : lower) unit = lowerCase(unit);
    return lower;
}
