#pragma once

#include "sync/cloud/CloudStore.h"

#include <functional>

namespace velunora::testing {

// The code of the CloudError the operation throws, or 0 when it succeeds.
inline int cloudErrorCode(const std::function<void()>& operation) {
    try {
        operation();
    } catch (const CloudError& error) {
        return error.code();
    }
    return 0;
}

} // namespace velunora::testing
