// PtrList: the kernel's growable pointer registry. Grows by exactly one slot
// at a time, keeps its order on removal, accepts duplicates and does not own
// its elements.
#pragma once
#include <cstdint>
#include <cstdlib>

#include "kernel/error.h"

template <class T>
class PtrList {
public:
    PtrList() = default;
    PtrList(const PtrList&) = delete;
    PtrList& operator=(const PtrList&) = delete;
    ~PtrList() { std::free(items_); }

    // NotEnoughMemory (list unchanged) when the array cannot grow.
    ErrorCode add(T* item) {
        if (count_ == capacity_) {
            auto* grown = static_cast<T**>(std::realloc(items_, (capacity_ + 1) * sizeof(T*)));
            if (!grown) return NotEnoughMemory;
            items_ = grown;
            ++capacity_;
        }
        items_[count_++] = item;
        return Ok;
    }

    // Removes the first entry equal to item; an absent item changes nothing.
    void remove(T* item) {
        for (uint32_t i = 0; i < count_; ++i) {
            if (items_[i] != item) continue;
            for (uint32_t j = i + 1; j < count_; ++j) items_[j - 1] = items_[j];
            --count_;
            return;
        }
    }

    uint32_t count() const { return count_; }
    uint32_t capacity() const { return capacity_; }
    T* operator[](uint32_t index) const { return items_[index]; }

private:
    uint32_t count_ = 0;
    uint32_t capacity_ = 0;
    T** items_ = nullptr;
};
