#include "support/captured_output.h"

#include <utility>

namespace zoral::testing {

ScopedOutputCapture::ScopedOutputCapture() {
    previous_ = platform::output::setSink([this](std::string_view line) {
        std::lock_guard lock(mutex_);
        lines_.emplace_back(line);
    });
}

ScopedOutputCapture::~ScopedOutputCapture() {
    platform::output::setSink(std::move(previous_));
}

std::vector<std::string> ScopedOutputCapture::lines() const {
    std::lock_guard lock(mutex_);
    return lines_;
}

std::string ScopedOutputCapture::text() const {
    std::lock_guard lock(mutex_);
    std::string text;
    for (const auto& line : lines_) {
        text += line;
        text += '\n';
    }
    return text;
}

void ScopedOutputCapture::clear() {
    std::lock_guard lock(mutex_);
    lines_.clear();
}

}  // namespace zoral::testing
