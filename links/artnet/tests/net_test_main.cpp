// main() of the network link tests: enter the private namespace before anything else.
#include <gtest/gtest.h>

#include "links/artnet/tests/private_network.h"

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    j4::links::test::enterPrivateNetwork();
    return RUN_ALL_TESTS();
}
