#pragma once

// Issues the 32-bit handles of the API and maps them back to their objects, from any thread.
// Handle values come from one counter shared by every table, so a read handle is never also
// a create handle, and a closed handle is not reissued until the counter wraps round.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <unordered_map>

#include "rawio/raw_api.h"

namespace rawio {

inline constexpr std::size_t kMaxOpenHandles = 1024;  // per kind

// Next candidate handle value; never 0.
RawHandle NextHandleValue();

template <typename T>
class HandleTable {
  public:
    RawStatus Insert(std::shared_ptr<T> object, RawHandle* handle) {
        std::lock_guard<std::mutex> lock(mutex);
        if (objects.size() >= kMaxOpenHandles) {
            return kRawTooManyHandles;
        }
        RawHandle value = NextHandleValue();
        while (objects.count(value) != 0) {
            value = NextHandleValue();
        }
        objects.emplace(value, std::move(object));
        *handle = value;
        return kRawOk;
    }

    // The shared pointer keeps the object alive even if another thread closes the handle.
    std::shared_ptr<T> Find(RawHandle handle) const {
        std::lock_guard<std::mutex> lock(mutex);
        const auto it = objects.find(handle);
        return it == objects.end() ? nullptr : it->second;
    }

    std::shared_ptr<T> Remove(RawHandle handle) {
        std::lock_guard<std::mutex> lock(mutex);
        const auto it = objects.find(handle);
        if (it == objects.end()) {
            return nullptr;
        }
        std::shared_ptr<T> object = std::move(it->second);
        objects.erase(it);
        return object;
    }

    std::size_t Size() const {
        std::lock_guard<std::mutex> lock(mutex);
        return objects.size();
    }

  private:
    mutable std::mutex mutex;
    std::unordered_map<RawHandle, std::shared_ptr<T>> objects;
};

}  // namespace rawio
