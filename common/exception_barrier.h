#pragma once

// Windows calls window and dialog procedures and enumeration callbacks from
// its own code, which a C++ exception cannot pass: the process ends. Each such
// callback answers through this barrier. An exception thrown by `handler` is
// caught, `recover` runs (whatever it throws is dropped too) and `fallback` is
// the answer.
template <typename Result, typename Handler, typename Recover>
Result exceptionBarrier(Handler&& handler, Result fallback, Recover&& recover) noexcept {
    try {
        return handler();
    } catch (...) {
        try {
            recover();
        } catch (...) {}
        return fallback;
    }
}

template <typename Result, typename Handler>
Result exceptionBarrier(Handler&& handler, Result fallback) noexcept {
    return exceptionBarrier(handler, fallback, [] {});
}
