#include "crypto/wipe.h"

void wipeMemory(void* data, size_t size) {
    volatile unsigned char* bytes = static_cast<volatile unsigned char*>(data);
    for (size_t i = 0; i < size; ++i) bytes[i] = 0;
}

void wipeText(std::u16string& text) {
    wipeMemory(&text[0], text.size() * sizeof(char16_t));
    text.clear();
}
