#include "handle_table.h"

#include <atomic>

namespace rawio {

RawHandle NextHandleValue() {
    static std::atomic<RawHandle> counter{0};
    RawHandle value = ++counter;
    while (value == 0) {
        value = ++counter;
    }
    return value;
}

}  // namespace rawio
