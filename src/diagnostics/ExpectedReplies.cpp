#include "diagnostics/ExpectedReplies.h"

namespace diagnostics {

void ExpectedReplies::expectPoll(int rows, platform::Micros now, int firstRow) {
    giveUpOld(now);
    for (int row = firstRow; row < firstRow + rows; ++row) open_.push_back({row, now});
}

void ExpectedReplies::expectRealTimeStatus(platform::Micros now) {
    giveUpOld(now);
    open_.push_back({kRealTimeStatus, now});
}

int ExpectedReplies::take(platform::Micros arrivedAt) {
    giveUpOld(arrivedAt);
    if (open_.empty() || open_.front().sentAt > arrivedAt) return kNothing;
    const int row = open_.front().row;
    open_.pop_front();
    return row;
}

bool ExpectedReplies::owes(platform::Micros now) {
    giveUpOld(now);
    return !open_.empty();
}

void ExpectedReplies::giveUpOld(platform::Micros now) {
    while (!open_.empty() && now - open_.front().sentAt > kGiveUpMicros) open_.pop_front();
}

}  // namespace diagnostics
