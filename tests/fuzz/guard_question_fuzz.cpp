// Any bytes a program writes into the guard's pipe: a question read from them
// is one the guard would write the same way; a child's program other than the
// guard's module is told only which process the module is, and the module
// itself is never granted the parents' commands.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "guard/parents_grants.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::optional<GuardQuestion> question = decodeQuestion(data, size);
    if (!question) return 0;
    if (encodeQuestion(*question) != std::vector<uint8_t>(data, data + size)) std::abort();
    ParentsGrants grants;
    const auto anyPassword = [](const std::u16string&) { return true; };
    const ChannelClient child{1, false, 8}, module{1, false, 9};
    if (question->ask != GuardAsk::Module && grants.answer(*question, child, {{1, 9}}, anyPassword, 0).yes)
        std::abort();
    if (question->ask == GuardAsk::Grant && grants.answer(*question, module, {{1, 9}}, anyPassword, 0).yes)
        std::abort();
    return 0;
}
