#pragma once
// Every test that sends anything runs inside a private network namespace: the test
// process moves itself there before any thread starts, so a broadcast that went wrong
// cannot leave the machine. Inside, only loopback exists; it is brought up with a
// route for 255.255.255.255 so limited broadcasts stay on it too.

#include <string>

#include <gtest/gtest.h>

namespace j4::links::test {

// Call first thing in main(). Records why when the namespace cannot be made.
void enterPrivateNetwork();
bool inPrivateNetwork();
const std::string& privateNetworkError();

}  // namespace j4::links::test

#define J4_REQUIRE_PRIVATE_NETWORK()                                  \
    do {                                                              \
        if (!::j4::links::test::inPrivateNetwork())                   \
            GTEST_SKIP() << "no private network namespace: "          \
                         << ::j4::links::test::privateNetworkError(); \
    } while (0)
