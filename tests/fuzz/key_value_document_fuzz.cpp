// Parses arbitrary bytes as a document and checks what every parsed pair must
// satisfy, then exercises the typed lookups on each key.
#include <cstdint>
#include <cstdlib>

#include "common/key_value_document.h"
#include "../native/ascii_text.h"

namespace {

bool isBlank(char16_t c) { return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n'; }

bool trimmed(const std::u16string& text) { return text.empty() || (!isBlank(text.front()) && !isBlank(text.back())); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    KeyValueDocument document;
    document.parseBytes(data, size);
    KeyValueDocument again = document;
    again.parseBytes(data, size);
    if (again.pairs() != document.pairs()) std::abort();
    for (const auto& [key, value] : document.pairs()) {
        if (!trimmed(key) || !trimmed(value)) std::abort();
        if (key.find(u"\r\n") != std::u16string::npos || value.find(u"\r\n") != std::u16string::npos) std::abort();
        if (key.find(u'\0') != std::u16string::npos || (!key.empty() && key.front() == u';')) std::abort();
        if (document.text(key, u"x") != value) std::abort();
        document.number(key, 1);
        document.flag(key, false);
        document.ansiText(key, asciiText);
        if (document.textWithBreaks(key).find(u'|') != std::u16string::npos) std::abort();
        document.textWithBreaks(key, u"\n");
    }
    return 0;
}
