#pragma once
// The long commands' progress step: called once per line or entry, it wakes
// the window only once per interval (the bar, the status text, pending events
// and the Cancel button), so the per-line cost is one counter test.

#include <cstdint>
#include <functional>
#include <utility>

namespace twinsift {

class ProgressStep {
public:
    // Runs at every interval-th call with the caller's value; false ends the command.
    using Service = std::function<bool(std::int64_t value)>;

    ProgressStep() = default;
    ProgressStep(std::int32_t interval, Service service) : interval_(interval), service_(std::move(service)) {}

    void setInterval(std::int32_t interval) { interval_ = interval; }
    void setService(Service service) { service_ = std::move(service); }
    void resetBatch() { batch_ = 0; }
    std::int32_t batch() const { return batch_; }

    // The batch counter starts at 0 and is 1 after a serviced call, so with an
    // interval of 50 the 51st, 101st, ... calls are serviced.
    bool operator()(std::int64_t value) {
        if (batch_ >= interval_) {
            if (service_ && !service_(value)) return false;
            batch_ = 0;
        }
        ++batch_;
        return true;
    }

private:
    std::int32_t interval_ = 50;
    std::int32_t batch_ = 0;
    Service service_;
};

} // namespace twinsift
