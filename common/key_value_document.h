#pragma once
#include <cstddef>
#include <map>
#include <string>
#include <string_view>

// Narrows UTF-16 text to the ANSI code page; the Win32 build supplies the
// system's conversion.
using NarrowText = std::string (*)(const std::u16string& text);

// Keys and values read from "key = value" lines of UTF-16 text. Keys are
// exact and case-sensitive; a later line with the same key wins, also across
// several parsed texts.
class KeyValueDocument {
public:
    // Merges the pairs of the text, which ends at its first U+0000 unit.
    void parse(std::u16string_view text);
    // The same for UTF-16LE bytes as read from a file; an odd last byte is
    // not a whole unit and is ignored.
    void parseBytes(const void* data, size_t size);

    bool contains(const std::u16string& key) const;
    // The stored value, even when empty; the fallback only for an absent key.
    std::u16string text(const std::u16string& key, const std::u16string& fallback = {}) const;
    // True exactly for the value "true"; an empty or absent value gives the fallback.
    bool flag(const std::u16string& key, bool fallback) const;
    // Leading blanks, optional sign, digits up to the first non-digit (0 when
    // none); an empty or absent value gives the fallback. Saturates at the
    // limits of int.
    int number(const std::u16string& key, int fallback) const;
    std::string ansiText(const std::u16string& key, NarrowText narrow) const;
    // Every separator replaced by CR LF.
    std::u16string textWithBreaks(const std::u16string& key, std::u16string_view separator = u"|") const;
    void remove(const std::u16string& key);

    size_t size() const { return pairs_.size(); }
    const std::map<std::u16string, std::u16string>& pairs() const { return pairs_; }

private:
    std::map<std::u16string, std::u16string> pairs_;
};

// Leading and trailing space, tab, CR and LF removed.
std::u16string_view trimBlanks(std::u16string_view text);
