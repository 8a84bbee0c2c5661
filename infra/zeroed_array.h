#pragma once
// A fixed-size array of numbers that starts all zero, taken zero-filled from
// the allocator (calloc). Large blocks come straight from the system as
// fresh pages, which read as zero without being written: a map-sized array
// of which a game touches a few corners costs only the pages it touches,
// where a std::vector would write every element up front.
#include <cstddef>
#include <cstdlib>
#include <limits>
#include <new>
#include <type_traits>
#include <utility>

namespace orbitfall {

template <class T>
class TZeroedArray {
    // All-zero bytes are the value zero only for numbers.
    static_assert(std::is_arithmetic_v<T>, "TZeroedArray holds numbers");

public:
    TZeroedArray() = default;
    explicit TZeroedArray(std::size_t count) { Reset(count); }
    ~TZeroedArray() { std::free(data_); }
    TZeroedArray(const TZeroedArray&) = delete;
    TZeroedArray& operator=(const TZeroedArray&) = delete;
    TZeroedArray(TZeroedArray&& other) noexcept
        : data_(std::exchange(other.data_, nullptr)), size_(std::exchange(other.size_, 0)) {}
    TZeroedArray& operator=(TZeroedArray&& other) noexcept {
        if (this != &other) {
            std::free(data_);
            data_ = std::exchange(other.data_, nullptr);
            size_ = std::exchange(other.size_, 0);
        }
        return *this;
    }

    // count zeros in place of the old contents. Throws std::bad_alloc when
    // the memory cannot be had; the old contents then stay.
    void Reset(std::size_t count) {
        T* fresh = nullptr;
        if (count != 0) {
            // Refused here rather than by calloc: a sanitizer's calloc ends
            // the process on a size that overflows.
            if (count > std::numeric_limits<std::size_t>::max() / 2 / sizeof(T)) throw std::bad_alloc();
            fresh = static_cast<T*>(std::calloc(count, sizeof(T)));
            if (fresh == nullptr) throw std::bad_alloc();
        }
        std::free(data_);
        data_ = fresh;
        size_ = count;
    }

    std::size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }
    T* data() { return data_; }
    const T* data() const { return data_; }
    T& operator[](std::size_t i) { return data_[i]; }
    const T& operator[](std::size_t i) const { return data_[i]; }
    T* begin() { return data_; }
    T* end() { return data_ + size_; }
    const T* begin() const { return data_; }
    const T* end() const { return data_ + size_; }

private:
    T* data_ = nullptr;
    std::size_t size_ = 0;
};

}  // namespace orbitfall
