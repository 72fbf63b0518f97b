// Any bytes a program writes into the guard's pipe: a question read from them
// is one the guard would write the same way, and answering it never grants
// anything to a client that is not an administrator.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "guard/parents_grants.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::optional<GuardQuestion> question = decodeQuestion(data, size);
    if (!question) return 0;
    if (encodeQuestion(*question) != std::vector<uint8_t>(data, data + size)) std::abort();
    ParentsGrants grants;
    const ChannelClient child{1, false, 9};
    const GuardAnswer answer = grants.answer(
        *question, child, {{1, 9}}, [](const std::u16string&) { return true; }, 0);
    if (question->ask != GuardAsk::Module && answer.yes) std::abort();
    return 0;
}
