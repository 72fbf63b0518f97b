#include "shell/guard_channel_protocol.h"

#include <algorithm>

namespace {

void put32(std::vector<uint8_t>& bytes, uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8) bytes.push_back(static_cast<uint8_t>(value >> shift));
}

uint32_t get32(const uint8_t* bytes) {
    return bytes[0] | bytes[1] << 8 | bytes[2] << 16 | static_cast<uint32_t>(bytes[3]) << 24;
}

}  // namespace

std::vector<uint8_t> encodeQuestion(const GuardQuestion& question) {
    std::vector<uint8_t> bytes;
    put32(bytes, static_cast<uint32_t>(question.ask));
    put32(bytes, question.command);
    if (question.ask == GuardAsk::Screen) {
        const size_t count = std::min(question.onScreen.size(), kGuardScreenLimit);
        put32(bytes, static_cast<uint32_t>(count));
        for (size_t i = 0; i < count; ++i) put32(bytes, question.onScreen[i]);
        return bytes;
    }
    const size_t units = std::min(question.password.size(), kGuardPasswordLimit);
    put32(bytes, static_cast<uint32_t>(units));
    for (size_t i = 0; i < units; ++i)
        bytes.insert(bytes.end(),
                     {static_cast<uint8_t>(question.password[i]), static_cast<uint8_t>(question.password[i] >> 8)});
    return bytes;
}

std::optional<GuardQuestion> decodeQuestion(const uint8_t* bytes, size_t size) {
    if (size < kGuardQuestionHead) return std::nullopt;
    const uint32_t ask = get32(bytes), units = get32(bytes + 8);
    if (ask < static_cast<uint32_t>(GuardAsk::Module) || ask > static_cast<uint32_t>(GuardAsk::Request))
        return std::nullopt;
    GuardQuestion question;
    question.ask = static_cast<GuardAsk>(ask);
    question.command = get32(bytes + 4);
    if (question.ask == GuardAsk::Screen) {
        if (units > kGuardScreenLimit || size != kGuardQuestionHead + 4 * size_t{units}) return std::nullopt;
        for (size_t i = 0; i < units; ++i) question.onScreen.push_back(get32(bytes + kGuardQuestionHead + 4 * i));
        return question;
    }
    if (units > kGuardPasswordLimit || size != kGuardQuestionHead + 2 * size_t{units}) return std::nullopt;
    question.password.resize(units);
    const uint8_t* text = bytes + kGuardQuestionHead;
    for (size_t i = 0; i < units; ++i) question.password[i] = static_cast<char16_t>(text[2 * i] | text[2 * i + 1] << 8);
    return question;
}

std::vector<uint8_t> encodeAnswer(const GuardAnswer& answer) {
    std::vector<uint8_t> bytes;
    put32(bytes, answer.yes ? 1 : 0);
    put32(bytes, answer.moduleProcess);
    put32(bytes, static_cast<uint32_t>(answer.note));
    put32(bytes, answer.noteValue);
    return bytes;
}

std::optional<GuardAnswer> decodeAnswer(const uint8_t* bytes, size_t size) {
    if (size != kGuardAnswerSize && size != kGuardAnswerWithoutNote) return std::nullopt;
    GuardAnswer answer{get32(bytes) == 1, get32(bytes + 4)};
    if (size == kGuardAnswerSize && get32(bytes + 8) <= kLastGuardNote) {
        answer.note = static_cast<GuardNote>(get32(bytes + 8));
        answer.noteValue = get32(bytes + 12);
    }
    return answer;
}
