#pragma once
// Handles known to be ordinary files (probed, not bound), looked up without a
// lock so that their reads skip the handle table. One slot per hash of the
// handle value; a handle that lost its slot to another is simply not known
// here and takes the slow way.
#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>

class OrdinaryHandles {
public:
    using Handle = std::uintptr_t;

    bool contains(Handle handle) const { return handle && slot(handle).load(std::memory_order_acquire) == handle; }
    void add(Handle handle) { slot(handle).store(handle, std::memory_order_release); }
    // Must run before the handle is closed: once closed, its value may come
    // back for another file at any moment.
    void remove(Handle handle) {
        Handle expected = handle;
        slot(handle).compare_exchange_strong(expected, 0, std::memory_order_acq_rel);
    }
    void clear() {
        for (auto& s : slots_) s.store(0, std::memory_order_release);
    }

private:
    static constexpr size_t kSlots = 256;
    // Handle values are multiples of 4.
    std::atomic<Handle>& slot(Handle handle) { return slots_[(handle >> 2) % kSlots]; }
    const std::atomic<Handle>& slot(Handle handle) const { return slots_[(handle >> 2) % kSlots]; }

    std::array<std::atomic<Handle>, kSlots> slots_{};
};
