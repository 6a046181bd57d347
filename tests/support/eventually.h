#pragma once
// Lets the event loop run until a condition holds. (QTest's QTRY macros only
// return from the test on failure under gtest.)

#include <QDeadlineTimer>
#include <QTest>

namespace landuse::test {

// False when the condition still fails after `ms` milliseconds.
template <typename Condition>
bool eventually(Condition condition, int ms = 5000)
{
    QDeadlineTimer deadline(ms);
    while (!condition()) {
        if (deadline.hasExpired())
            return false;
        QTest::qWait(5);
    }
    return true;
}

} // namespace landuse::test
