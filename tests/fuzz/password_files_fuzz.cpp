// The bytes of the hand-over file and of the password digest file, as any
// other program of the user's may have left them.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <vector>

#include "shell/hand_over_password.h"
#include "control/video_title.h"
#include "settings/password.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::u16string password = passwordFromHandOver(data, size);
    if (password.size() > kHandOverPasswordLimit || password.size() > size / 2) std::abort();
    if (password.find(u'\0') != std::u16string::npos) std::abort();

    std::vector<uint8_t> fileStart(data, data + (size < 32 ? size : 32));
    const bool accepted = passwordAccepted(password, fileStart);
    if (size < 32 && !accepted) std::abort();
    if (passwordAccepted(password, std::nullopt) != password.empty()) std::abort();
    if (size >= 32) {
        const PasswordDigest digest = passwordDigest(password);
        if (accepted != std::equal(digest.begin(), digest.end(), fileStart.begin())) std::abort();
    }

    // Window titles of other programs are as untrusted as the files.
    isVideoTitle(password);
    return 0;
}
