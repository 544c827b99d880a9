#pragma once

#include <algorithm>
#include <string>

#include "run/platform.h"

namespace quorvel::test {

// A list held in memory, handed out in pieces of at most piece_size bytes, so
// that lines cross the reader's buffer ends. After fail_after bytes every read
// fails with fail_error.
class MemoryInput final : public InputStream {
public:
    explicit MemoryInput(std::string bytes, std::size_t piece_size = 1 << 20,
                         std::size_t fail_after = std::string::npos, std::int32_t fail_error = -1)
        : bytes_(std::move(bytes)),
          piece_size_(piece_size),
          fail_after_(fail_after),
          fail_error_(fail_error)
    {
    }

    IoResult read(std::span<char> buffer) override
    {
        if (position_ >= fail_after_)
            return {0, fail_error_};
        std::size_t count = std::min({buffer.size(), piece_size_, bytes_.size() - position_});
        if (fail_after_ != std::string::npos)
            count = std::min(count, fail_after_ - position_);
        std::copy_n(bytes_.data() + position_, count, buffer.data());
        position_ += count;
        return {count, 0};
    }

    std::int32_t close() override { return 0; }

private:
    std::string bytes_;
    std::size_t position_ = 0;
    std::size_t piece_size_;
    std::size_t fail_after_;
    std::int32_t fail_error_;
};

}  // namespace quorvel::test
