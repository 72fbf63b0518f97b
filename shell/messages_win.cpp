#include "shell/messages_win.h"

#include <memory>

#include "common/text_win.h"
#include "resources/resource_ids.h"
#include "shell/message_caption.h"

namespace {

constexpr int kBufferSize = 256;

class FontHolder {
public:
    ~FontHolder() {
        if (font_) DeleteObject(font_);
    }
    HFONT font() const { return font_; }
    void keep(HFONT font) { font_ = font; }

private:
    HFONT font_ = nullptr;
};

FontHolder gCyrillicFont;

}  // namespace

int loadString(UINT id, wchar_t* buffer, int size) {
    if (size <= 0) return 0;
    buffer[0] = 0;
    HINSTANCE module = GetModuleHandleW(nullptr);
    if (isWideApiAvailable()) return LoadStringW(module, id, buffer, size);
    auto narrow = std::make_unique<char[]>(size);
    int length = LoadStringA(module, id, narrow.get(), size);
    if (length > 0) toWide(CP_ACP, narrow.get(), buffer, length + 1);
    return length;
}

std::wstring loadedString(UINT id) {
    wchar_t text[kBufferSize];
    loadString(id, text, kBufferSize);
    return text;
}

int messageBox(HWND owner, UINT textId, int cyrillicCaptionId, int englishCaptionId, bool isError) {
    wchar_t caption[kBufferSize] = L"Error";
    wchar_t text[kBufferSize] = L"";
    MessageCaption choice = messageCaption(GetACP(), cyrillicCaptionId, englishCaptionId);
    if (choice.stringId)
        loadString(choice.stringId, caption, kBufferSize);
    else
        lstrcpynW(caption, reinterpret_cast<const wchar_t*>(choice.literal), kBufferSize);
    loadString(textId, text, kBufferSize);
    UINT style = (isError ? MB_ICONERROR : MB_ICONINFORMATION) | MB_TOPMOST | MB_OK;
    return MessageBoxW(owner, text, caption, style);
}

int errorBox(HWND owner, UINT textId, bool withModuleCaption) {
    return messageBox(owner, textId, withModuleCaption ? IDS_MODULE_CAPTION : 0,
                      withModuleCaption ? IDS_MODULE_NAME_ENGLISH : 0, true);
}

void createCyrillicFont(HWND dialog) {
    if (gCyrillicFont.font()) return;
    HFONT dialogFont = reinterpret_cast<HFONT>(SendMessageW(dialog, WM_GETFONT, 0, 0));
    LOGFONTW description{};
    if (!dialogFont || !GetObjectW(dialogFont, sizeof description, &description)) return;
    description.lfCharSet = RUSSIAN_CHARSET;
    gCyrillicFont.keep(CreateFontIndirectW(&description));
}

void applyCyrillicFont(HWND dialog, const int* controlIds) {
    for (; *controlIds; ++controlIds)
        SendDlgItemMessageW(dialog, *controlIds, WM_SETFONT, reinterpret_cast<WPARAM>(gCyrillicFont.font()), TRUE);
}

void setCaptionForCodePage(HWND window, UINT stringId, UINT expectedCodePage) {
    if (GetACP() == expectedCodePage) return;
    char title[kBufferSize] = "";
    LoadStringA(GetModuleHandleW(nullptr), stringId, title, kBufferSize);
    SetWindowTextA(window, title);
}
