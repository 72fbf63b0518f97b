#include "scene/key_value_document_win.h"

#include "common/text_win.h"

std::string toAnsiCodePage(const std::u16string& text) {
    return wideToAnsi(reinterpret_cast<const wchar_t*>(text.c_str())).get();
}
