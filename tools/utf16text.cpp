// utf16text IN OUT: turns a UTF-8 text file with LF or CR LF line ends into
// the form the suite's documents are stored in: UTF-16LE, CR LF, no BOM.
#include <cstdint>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>

namespace {

// Decodes one UTF-8 sequence at text[i]; false for malformed input.
bool decode(const std::string& text, size_t& i, uint32_t& code) {
    auto byte = [&](size_t k) { return static_cast<uint8_t>(text[k]); };
    uint8_t first = byte(i);
    int extra = first < 0x80 ? 0 : (first >> 5) == 6 ? 1 : (first >> 4) == 14 ? 2 : (first >> 3) == 30 ? 3 : -1;
    if (extra < 0 || i + extra >= text.size()) return false;
    code = extra == 0 ? first : first & (0x3F >> extra);
    for (int k = 1; k <= extra; ++k) {
        if (i + k >= text.size() || (byte(i + k) & 0xC0) != 0x80) return false;
        code = (code << 6) | (byte(i + k) & 0x3F);
    }
    i += extra + 1;
    return code <= 0x10FFFF;
}

void put(std::string& out, uint32_t unit) {
    out += static_cast<char>(unit & 0xFF);
    out += static_cast<char>(unit >> 8);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: utf16text IN OUT\nWrites the UTF-8 text IN as UTF-16LE with CR LF line ends.\n";
        return 2;
    }
    std::ifstream in(argv[1], std::ios::binary);
    if (!in) {
        std::cerr << "utf16text: cannot read " << argv[1] << "\n";
        return 1;
    }
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::string out;
    for (size_t i = 0; i < text.size();) {
        uint32_t code;
        if (!decode(text, i, code)) {
            std::cerr << "utf16text: " << argv[1] << " is not UTF-8 (byte " << i << ")\n";
            return 1;
        }
        if (code == '\r') continue;
        if (code == '\n') put(out, '\r');
        if (code >= 0x10000) {
            code -= 0x10000;
            put(out, 0xD800 + (code >> 10));
            put(out, 0xDC00 + (code & 0x3FF));
        } else {
            put(out, code);
        }
    }
    std::ofstream file(argv[2], std::ios::binary);
    file.write(out.data(), static_cast<std::streamsize>(out.size()));
    if (!file) {
        std::cerr << "utf16text: cannot write " << argv[2] << "\n";
        return 1;
    }
    return 0;
}
