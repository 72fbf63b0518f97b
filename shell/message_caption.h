#pragma once

// The caption of a message box: a string-table entry on Cyrillic systems
// (code page 1251), a fixed English word elsewhere.
struct MessageCaption {
    int stringId = 0;                   // non-zero: load this string
    const char16_t* literal = nullptr;  // otherwise: this text
};

constexpr unsigned kCyrillicCodePage = 1251;
constexpr int kErrorCaptionId = 109;

MessageCaption messageCaption(unsigned ansiCodePage, int cyrillicCaptionId, int englishCaptionId);
