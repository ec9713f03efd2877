#pragma once

#include <QTest>

// What a test expects not to happen has no moment to wait for: this watches `condition` while
// events are processed for `milliseconds`, and fails as soon as it does not hold, where a fixed
// wait followed by one look would miss a change that came and went.
template <typename Condition>
bool holdsThroughout(int milliseconds, Condition condition) {
    return !QTest::qWaitFor([&condition] { return !condition(); }, milliseconds);
}
