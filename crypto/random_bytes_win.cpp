#include <windows.h>
#include <wincrypt.h>

#include "crypto/random.h"

namespace {

// RtlGenRandom (advapi32's SystemFunction036, Windows XP on): the system's
// generator without a provider to acquire, which under Wine loads a library
// and costs a scene's start several milliseconds.
using GenRandom = BOOLEAN(WINAPI*)(PVOID, ULONG);

GenRandom systemGenerator() {
    static const GenRandom generator = reinterpret_cast<GenRandom>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"advapi32.dll"), "SystemFunction036")));
    return generator;
}

}  // namespace

void randomBytes(void* buffer, size_t length) {
    if (GenRandom generator = systemGenerator(); generator && generator(buffer, static_cast<ULONG>(length))) return;
    // Acquired on first use and kept for the life of the process.
    static HCRYPTPROV provider = 0;
    if (!provider && !CryptAcquireContextA(&provider, nullptr, nullptr, PROV_RSA_FULL, CRYPT_VERIFYCONTEXT))
        provider = 0;
    if (provider) CryptGenRandom(provider, DWORD(length), static_cast<BYTE*>(buffer));
}
