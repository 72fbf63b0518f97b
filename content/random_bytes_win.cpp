#include <windows.h>
#include <wincrypt.h>

#include "content/random.h"

void randomBytes(void* buffer, size_t length) {
    // Acquired on first use and kept for the life of the process.
    static HCRYPTPROV provider = 0;
    if (!provider && !CryptAcquireContextA(&provider, nullptr, nullptr, PROV_RSA_FULL, CRYPT_VERIFYCONTEXT))
        provider = 0;
    if (provider) CryptGenRandom(provider, DWORD(length), static_cast<BYTE*>(buffer));
}
