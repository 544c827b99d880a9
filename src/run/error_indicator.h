#pragma once

#include <cstdint>

namespace quorvel {

// The run's own error indicator: the number of the last failed open, read,
// write or close of the run's files, 0 while none has failed. Unlike errno it
// cannot be set by a library call that succeeded, and nothing clears it.
class ErrorIndicator {
public:
    void note(std::int32_t error)
    {
        if (error != 0)
            number_ = error;
    }
    std::int32_t number() const { return number_; }

private:
    std::int32_t number_ = 0;
};

}  // namespace quorvel
