#include <windows.h>
#include <wincrypt.h>

#include "content/random.h"

void randomBytes(void* buffer, size_t length) {
    // RtlGenRandom, exported by advapi32 as SystemFunction036 since Windows XP,
    // needs no provider: acquiring one loads three libraries. Older systems
    // take the provider, acquired on first use and kept for the process.
    using GenerateRandom = BOOLEAN(WINAPI*)(PVOID, ULONG);
    static const auto generate = reinterpret_cast<GenerateRandom>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("advapi32.dll"), "SystemFunction036")));
    if (generate && generate(buffer, ULONG(length))) return;
    static HCRYPTPROV provider = 0;
    if (!provider && !CryptAcquireContextA(&provider, nullptr, nullptr, PROV_RSA_FULL, CRYPT_VERIFYCONTEXT))
        provider = 0;
    if (provider) CryptGenRandom(provider, DWORD(length), static_cast<BYTE*>(buffer));
}
